#include "products/tlpr.h"

#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"

namespace TLPR {
TAVLO_MODULE("tlpr.INI", TAVLO_USES(TLFI), TAVLO_USES(TLDR))
} // namespace TLPR
