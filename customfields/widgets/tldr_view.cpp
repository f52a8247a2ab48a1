#include "customfields/tldr.h"
#include "customfields/widgets/customfields_view.h"
#include "data/slots.h"

namespace TLDR_VIEW {

TAVLO_DESKTOP_MODULE(TLDR, tavlo::fills(tavlo::procedures::EGENDEFBROWSE, tavlo::EGENDEFBROWSE),
                     tavlo::fills(tavlo::procedures::FILTERBROWSE, tavlo::FILTERBROWSE))

} // namespace TLDR_VIEW
