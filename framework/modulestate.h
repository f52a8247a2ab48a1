#pragma once
// What a module keeps from its initialiser: the main program's error manager and settings object,
// or a settings file of its own when it was given none. Each initialiser runs once.
#include <string>

#include "framework/iniclass.h"

namespace tavlo {

class ErrorClass;

class ModuleState {
  public:
    explicit ModuleState(std::string iniName) : iniName_(std::move(iniName)) {}
    // False when the module was initialised already (its caller then does nothing more).
    bool init(ErrorClass& errors, INIClass* settings);
    // False when the module was not initialised.
    bool kill();
    // The main program's error manager, or the data module's before INIT.
    ErrorClass& errorManager();
    INIClass& settings() { return shared_ ? *shared_ : own_; }

  private:
    std::string iniName_;
    ErrorClass* errors_ = nullptr;
    INIClass* shared_ = nullptr;
    INIClass own_;
    bool initialised_ = false;
};

} // namespace tavlo
