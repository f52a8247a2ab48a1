#include "data/context.h"
#include "data/slots.h"
#include "data/view/data_view.h"
#include "data/view/parameterbilde.h"

namespace TLFI_VIEW {

TAVLO_DESKTOP_MODULE(TLFI, tavlo::fills(tavlo::procedures::PARAMETERBILDE, tavlo::PARAMETERBILDE),
                     tavlo::fills(tavlo::procedures::BACKUP,
                                  [](tavlo::Context& c) { tavlo::desktop::BACKUP(c); }),
                     tavlo::fills(tavlo::procedures::LAGFILER, tavlo::desktop::LAGFILER))

} // namespace TLFI_VIEW
