#include "codesets/tlko.h"
#include "codesets/view/codesets_view.h"
#include "data/slots.h"

namespace TLKO_VIEW {

TAVLO_DESKTOP_MODULE(
    TLKO, tavlo::fills(tavlo::procedures::KODEVERKKARTOTEK, tavlo::desktop::KODEVERKKARTOTEK),
    tavlo::fills(tavlo::procedures::IMPORTEKSPORTKODEVERK, tavlo::desktop::IMPORTEKSPORTKODEVERK))

} // namespace TLKO_VIEW
