#pragma once
// What a module keeps from its initialiser: the main program's error manager and settings object,
// or a settings file of its own when it was given none; and the modules it uses, started and
// ended with it. Each initialiser runs once.
#include <string>
#include <vector>

#include "framework/iniclass.h"

namespace tavlo {

class ErrorClass;

class ModuleState {
  public:
    // A module this one uses: its initialiser and finaliser.
    struct Uses {
        void (*init)(ErrorClass&, INIClass*);
        void (*kill)();
    };
    explicit ModuleState(std::string iniName, std::vector<Uses> uses = {})
        : iniName_(std::move(iniName)), uses_(std::move(uses))
    {
    }
    // Keeps the two and starts the modules used with them. False, nothing done, when the module
    // was initialised already.
    bool init(ErrorClass& errors, INIClass* settings);
    // Ends the modules used too. False, nothing done, when the module was not initialised.
    bool kill();
    // The main program's error manager, or the data module's before INIT.
    ErrorClass& errorManager();
    INIClass& settings() { return shared_ ? *shared_ : own_; }

  private:
    std::string iniName_;
    std::vector<Uses> uses_;
    ErrorClass* errors_ = nullptr;
    INIClass* shared_ = nullptr;
    INIClass own_;
    bool initialised_ = false;
};

} // namespace tavlo

// The initialiser, finaliser and the two kept objects of a module, over one ModuleState: inside
// the module's namespace, with its settings file's name and the modules it uses, e.g.
//   namespace TLKU {
//   TAVLO_MODULE("tlku.INI", TAVLO_USES(TLFI), TAVLO_USES(TLDR))
//   }
// clang-format off
#define TAVLO_USES(module) ::tavlo::ModuleState::Uses{module::INIT, module::KILL}
#define TAVLO_MODULE(iniName, ...)                                                             \
    namespace {                                                                                \
    ::tavlo::ModuleState& moduleState()                                                        \
    {                                                                                          \
        static ::tavlo::ModuleState s(iniName, {__VA_ARGS__});                                 \
        return s;                                                                              \
    }                                                                                          \
    }                                                                                          \
    void INIT(::tavlo::ErrorClass& errors, ::tavlo::INIClass* settings)                        \
    {                                                                                          \
        moduleState().init(errors, settings);                                                  \
    }                                                                                          \
    void KILL() { moduleState().kill(); }                                                      \
    ::tavlo::ErrorClass& errorManager() { return moduleState().errorManager(); }               \
    ::tavlo::INIClass& settings() { return moduleState().settings(); }
// clang-format on
