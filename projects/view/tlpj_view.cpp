#include "data/slots.h"
#include "projects/tlpj.h"
#include "projects/view/projects_view.h"

namespace TLPJ_VIEW {

TAVLO_DESKTOP_MODULE(TLPJ, tavlo::fills(tavlo::procedures::PROSJEKTKARTOTEK,
                                        tavlo::desktop::PROSJEKTKARTOTEK))

} // namespace TLPJ_VIEW
