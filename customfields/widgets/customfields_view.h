#pragma once
// The desktop half of the custom fields' module: TLDR::INIT, then EGENDEFBROWSE and FILTERBROWSE
// into their slots. KILL clears them and ends the module.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace TLDR_VIEW {
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
void KILL();
} // namespace TLDR_VIEW
