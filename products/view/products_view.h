#pragma once
// The products' windows.
#include <functional>

#include "data/store.h"

namespace tavlo {
class Context;
class ErrorClass;
class INIClass;
namespace desktop {

// The product register "Produktkartotek". With `selected`, the register is opened for choosing
// a product in the caller's context: it ends with RequestCompleted and the chosen product in the
// PRODUKT buffer (memos too), or RequestCancelled when closed without a choice.
// `selected` runs before the register closes its files: a caller that holds the table open itself
// gets its own record back afterwards, so it takes the chosen one there.
void PRODUKTKARTOTEK(Context& ctx, std::function<void(int response)> selected = {});
// The register's update procedure: the product form for GlobalRequest on the PRO buffer.
void openProduktForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);

} // namespace desktop
} // namespace tavlo

// The products' desktop half: TLPR::INIT, then PRODUKTKARTOTEK into its slot. KILL clears it and
// ends the module.
namespace TLPR_VIEW {
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
void KILL();
} // namespace TLPR_VIEW
