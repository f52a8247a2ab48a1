#include "codesets/tlko.h"

#include "data/context.h"
#include "framework/modulestate.h"

namespace TLKO {
TAVLO_MODULE("tlko.INI", TAVLO_USES(TLFI))
} // namespace TLKO
