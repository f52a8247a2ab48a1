#include "billing/tlgr.h"

#include "customers/tlku.h"
#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"
#include "invoices/tlfa.h"
#include "products/tlpr.h"

namespace TLGR {
TAVLO_MODULE("tlgr.INI", TAVLO_USES(TLFI), TAVLO_USES(TLKU), TAVLO_USES(TLPR), TAVLO_USES(TLFA),
             TAVLO_USES(TLDR))
} // namespace TLGR
