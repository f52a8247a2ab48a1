#include "customfields/tldr.h"

#include "data/context.h"
#include "framework/modulestate.h"

namespace TLDR {
TAVLO_MODULE("tldr.INI", TAVLO_USES(TLFI))
} // namespace TLDR
