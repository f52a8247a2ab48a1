#include "customers/tlku.h"
#include "customers/view/customers_view.h"
#include "data/slots.h"

namespace TLKU_VIEW {

using namespace tavlo;

void INIT(ErrorClass& errors, INIClass* settings)
{
    TLKU::INIT(errors, settings);
    procedures::KUNDEKARTOTEK.fill(desktop::KUNDEKARTOTEK);
}

void KILL()
{
    procedures::KUNDEKARTOTEK.clear();
    TLKU::KILL();
}

} // namespace TLKU_VIEW
