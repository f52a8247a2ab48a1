#pragma once
// Stock of a product: checked when an invoice line asks for more goods, changed when invoice or
// billing-basis lines take goods out or give them back.
#include <cstdint>

#include "framework/decimal.h"

namespace tavlo {

class Context;
class WriteHooks;

// quantity: negative takes goods out of stock, positive puts them back. checkOnly: only whether
// quantity is in stock, nothing changes. interactive: the question and the warnings may be shown;
// failures to read or write the product are shown in any case.
// Returns 1 when the check passed, the stock was changed, or there was nothing to do (no stock
// control, quantity 0, the user declined); 0 for product 0, a product that cannot be read, a
// failed check or a failed write.
// Callers must not rely on the context's PRODUKT buffer across the call. A caller that has
// PRODUKT open in the same context gets its record and position back.
int OPPDATERLAGERBEHOLDNING(Context& ctx, int32_t productId, const Decimal& quantity,
                            bool checkOnly, bool interactive);

// The data module's rules of stock, as write hooks: a deleted invoice line gives its stored
// quantity back to its product, in the deleting transaction.
void addStockRules(WriteHooks& hooks);

} // namespace tavlo
