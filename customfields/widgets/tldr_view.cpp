#include "customfields/tldr.h"
#include "customfields/widgets/customfields_view.h"
#include "customfields/widgets/egendefbrowse.h"
#include "customfields/widgets/filterbrowse.h"
#include "data/slots.h"

namespace TLDR_VIEW {

using namespace tavlo;

void INIT(ErrorClass& errors, INIClass* settings)
{
    TLDR::INIT(errors, settings);
    procedures::EGENDEFBROWSE.fill(tavlo::EGENDEFBROWSE);
    procedures::FILTERBROWSE.fill(tavlo::FILTERBROWSE);
}

void KILL()
{
    procedures::EGENDEFBROWSE.clear();
    procedures::FILTERBROWSE.clear();
    TLDR::KILL();
}

} // namespace TLDR_VIEW
