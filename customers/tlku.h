#pragma once
// The customers' module: the register, the customer form and the contact form (kundekartotek.h,
// kundeform.h); the windows are in view/. Its initialiser and finaliser follow the other
// modules'.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace TLKU {
// Runs once: keeps the error manager and the settings object (null: the module's own settings
// file tlku.INI) and starts the modules it uses with the same two.
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
// Runs once after INIT: ends those modules too.
void KILL();
tavlo::ErrorClass& errorManager();
tavlo::INIClass& settings();
} // namespace TLKU
