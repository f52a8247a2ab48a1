#include "invoices/tlfa.h"

#include "customers/tlku.h"
#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"
#include "products/tlpr.h"
#include "projects/tlpj.h"

namespace TLFA {
TAVLO_MODULE("tlfa.INI", TAVLO_USES(TLFI), TAVLO_USES(TLKU), TAVLO_USES(TLPR), TAVLO_USES(TLDR),
             TAVLO_USES(TLPJ))
} // namespace TLFA
