#include "customers/tlku.h"

#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"

namespace TLKU {
TAVLO_MODULE("tlku.INI", TAVLO_USES(TLFI), TAVLO_USES(TLDR))
} // namespace TLKU
