#pragma once
// The products' module: the register and the product form (produktkartotek.h,
// produktform.h); the windows are in view/. Its initialiser and finaliser follow the other
// modules'.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace TLPR {
// Runs once: keeps the error manager and the settings object (null: the module's own settings
// file tlpr.INI) and starts the modules it uses with the same two.
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
// Runs once after INIT: ends those modules too.
void KILL();
tavlo::ErrorClass& errorManager();
tavlo::INIClass& settings();
} // namespace TLPR
