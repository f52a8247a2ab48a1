#include "data/slots.h"
#include "products/tlpr.h"
#include "products/view/products_view.h"

namespace TLPR_VIEW {

TAVLO_DESKTOP_MODULE(
    TLPR, tavlo::fills(tavlo::procedures::PRODUKTKARTOTEK, tavlo::desktop::PRODUKTKARTOTEK),
    tavlo::fills(tavlo::procedures::AVGRENSNINGERPRODUKTRAPPORT,
                 tavlo::desktop::AVGRENSNINGERPRODUKTRAPPORT),
    tavlo::fills(tavlo::procedures::PRODUKTVEDLIKEHOLD, tavlo::desktop::PRODUKTVEDLIKEHOLD))

} // namespace TLPR_VIEW
