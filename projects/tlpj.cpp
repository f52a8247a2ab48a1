#include "projects/tlpj.h"

#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"

namespace TLPJ {
TAVLO_MODULE("tlpj.INI", TAVLO_USES(TLFI), TAVLO_USES(TLDR))
} // namespace TLPJ
