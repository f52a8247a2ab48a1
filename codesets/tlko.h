#pragma once
// The code-set module: the register's rules (kodeverkform.h) and the exchange of code sets with
// text files (importeksport.h). Its initialiser and finaliser follow the other modules'.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace TLKO {
// Runs once: keeps the error manager and the settings object (null: the module's own settings
// file tlko.INI) and starts the data module with the same two.
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
// Runs once after INIT: ends the data module too.
void KILL();
tavlo::ErrorClass& errorManager();
tavlo::INIClass& settings();
} // namespace TLKO
