#pragma once
// The custom fields' windows: the register of custom-field definitions, "Egendefinerte felter",
// and the register of saved filters, "Filter", each with its form.
#include <cstdint>

#include "framework/browse.h"
#include "framework/moduleface.h"

namespace tavlo {

class Context;
class FormWindow;
class TabRegister;

// Open their register in the context, on the customers' tab, and return at once.
void EGENDEFBROWSE(Context& ctx);
void FILTERBROWSE(Context& ctx);
// The registers' windows (EGENDEFBROWSE and FILTERBROWSE show them).
TabRegister* egenDefBrowse(Context& ctx);
TabRegister* filterBrowse(Context& ctx);
// The definition form over the EGN buffer and the filter form over the FIL buffer, for
// GlobalRequest; a new record belongs to table `tableNo`. Started already: `done` hears how it
// ended.
FormWindow* egenDefForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done);
FormWindow* filterForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done);

} // namespace tavlo

// The desktop half of the custom fields' module: TLDR::INIT, then EGENDEFBROWSE and FILTERBROWSE
// into their slots. KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLDR_VIEW)
