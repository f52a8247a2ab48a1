#include "customers/tlku.h"
#include "customers/view/customers_view.h"
#include "data/slots.h"

namespace TLKU_VIEW {

TAVLO_DESKTOP_MODULE(TLKU,
                     tavlo::fills(tavlo::procedures::KUNDEKARTOTEK, tavlo::desktop::KUNDEKARTOTEK),
                     tavlo::fills(tavlo::procedures::AVGRENSNINGERKUNDERAPPORT,
                                  tavlo::desktop::AVGRENSNINGERKUNDERAPPORT),
                     tavlo::fills(tavlo::procedures::KUNDEVEDLIKEHOLD,
                                  tavlo::desktop::KUNDEVEDLIKEHOLD))

} // namespace TLKU_VIEW
