#pragma once
// The module of custom fields and saved filters: the definitions of the spare fields and their
// creation on the forms (egendef.h), and the saved filters' form (filterform.h). The windows are
// in widgets/. Its initialiser and finaliser follow the other modules'.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace TLDR {
// Runs once: keeps the error manager and the settings object (null: the module's own settings
// file tldr.INI) and starts the data module with the same two.
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
// Runs once after INIT: ends the data module too.
void KILL();
tavlo::ErrorClass& errorManager();
tavlo::INIClass& settings();
} // namespace TLDR
