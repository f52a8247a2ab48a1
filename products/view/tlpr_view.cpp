#include "data/slots.h"
#include "products/tlpr.h"
#include "products/view/products_view.h"

namespace TLPR_VIEW {

using namespace tavlo;

void INIT(ErrorClass& errors, INIClass* settings)
{
    TLPR::INIT(errors, settings);
    procedures::PRODUKTKARTOTEK.fill(desktop::PRODUKTKARTOTEK);
}

void KILL()
{
    procedures::PRODUKTKARTOTEK.clear();
    TLPR::KILL();
}

} // namespace TLPR_VIEW
