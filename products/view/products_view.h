#pragma once
// The products' windows.
#include <functional>

#include "data/store.h"
#include "framework/moduleface.h"

namespace tavlo {
class Context;
namespace desktop {

// The product register "Produktkartotek". With `selected`, the register is opened for choosing
// a product in the caller's context: it ends with RequestCompleted and the chosen product in the
// PRODUKT buffer (memos too), or RequestCancelled when closed without a choice.
// `selected` runs before the register closes its files: a caller that holds the table open itself
// gets its own record back afterwards, so it takes the chosen one there.
void PRODUKTKARTOTEK(Context& ctx, std::function<void(int response)> selected = {});
// The register's update procedure: the product form for GlobalRequest on the PRO buffer.
void openProduktForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);
// "Produktrapport": the order and limits of the product list, then the list.
void AVGRENSNINGERPRODUKTRAPPORT(Context& ctx);
// "Produktvedlikehold": every product to the exchange file, or such a file read in.
void PRODUKTVEDLIKEHOLD(Context& ctx);

} // namespace desktop
} // namespace tavlo

// The products' desktop half: TLPR::INIT, then PRODUKTKARTOTEK, AVGRENSNINGERPRODUKTRAPPORT and
// PRODUKTVEDLIKEHOLD into their slots. KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLPR_VIEW)
