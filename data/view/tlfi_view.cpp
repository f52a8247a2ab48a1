#include "data/context.h"
#include "data/slots.h"
#include "data/view/data_view.h"
#include "data/view/parameterbilde.h"

namespace TLFI_VIEW {

using namespace tavlo;

void INIT(ErrorClass& errors, INIClass* settings)
{
    TLFI::INIT(errors, settings);
    procedures::PARAMETERBILDE.fill(tavlo::PARAMETERBILDE);
    procedures::BACKUP.fill([](Context& c) { desktop::BACKUP(c); });
    procedures::LAGFILER.fill(desktop::LAGFILER);
}

void KILL()
{
    procedures::PARAMETERBILDE.clear();
    procedures::BACKUP.clear();
    procedures::LAGFILER.clear();
    TLFI::KILL();
}

} // namespace TLFI_VIEW
