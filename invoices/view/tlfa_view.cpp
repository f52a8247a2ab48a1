#include "data/slots.h"
#include "invoices/tlfa.h"
#include "invoices/view/invoices_view.h"

namespace TLFA_VIEW {

TAVLO_DESKTOP_MODULE(
    TLFA, tavlo::fills(tavlo::procedures::FAKTURAKARTOTEK, tavlo::desktop::FAKTURAKARTOTEK),
    tavlo::fills(tavlo::procedures::FAKTURAFORM, tavlo::desktop::FAKTURAFORM),
    tavlo::fills(tavlo::procedures::VELGFAKTURARAPPORT, tavlo::desktop::VELGFAKTURARAPPORT),
    tavlo::fills(tavlo::procedures::AVGRENSNINGERFAKTURARAPPORT,
                 tavlo::desktop::AVGRENSNINGERFAKTURARAPPORT),
    tavlo::fills(tavlo::procedures::FAKTURASTATISTIKK, tavlo::desktop::FAKTURASTATISTIKK),
    tavlo::fills(tavlo::procedures::OCRINNBETALINGER,
                 [](tavlo::Context& ctx) { tavlo::desktop::OCRINNBETALINGER(ctx); }))

} // namespace TLFA_VIEW
