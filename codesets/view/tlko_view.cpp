#include "codesets/tlko.h"
#include "codesets/view/codesets_view.h"
#include "data/slots.h"

namespace TLKO_VIEW {

using namespace tavlo;

void INIT(ErrorClass& errors, INIClass* settings)
{
    TLKO::INIT(errors, settings);
    procedures::KODEVERKKARTOTEK.fill(desktop::KODEVERKKARTOTEK);
    procedures::IMPORTEKSPORTKODEVERK.fill(desktop::IMPORTEKSPORTKODEVERK);
}

void KILL()
{
    procedures::KODEVERKKARTOTEK.clear();
    procedures::IMPORTEKSPORTKODEVERK.clear();
    TLKO::KILL();
}

} // namespace TLKO_VIEW
