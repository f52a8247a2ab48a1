#include "billing/tlgr.h"
#include "billing/view/billing_view.h"
#include "data/slots.h"

namespace TLGR_VIEW {

TAVLO_DESKTOP_MODULE(
    TLGR, tavlo::fills(tavlo::procedures::GRUNNLAGKARTOTEK, tavlo::desktop::GRUNNLAGKARTOTEK),
    tavlo::fills(tavlo::procedures::GRUNNLAGFORM, tavlo::desktop::GRUNNLAGFORM),
    tavlo::fills(tavlo::procedures::GENERERNYEFAKTURAER, tavlo::desktop::GENERERNYEFAKTURAER))

} // namespace TLGR_VIEW
