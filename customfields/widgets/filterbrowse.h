#pragma once
// The register of saved filters, "Filter", and its form.
#include <cstdint>

#include "framework/browse.h"

namespace tavlo {

class Context;
class FormWindow;
class TabRegister;

// Opens the register in the context, on the customers' tab, and returns at once.
void FILTERBROWSE(Context& ctx);
// The register's window (FILTERBROWSE shows it).
TabRegister* filterBrowse(Context& ctx);
// The filter form for GlobalRequest over the FIL buffer; a new filter belongs to table
// `tableNo`. Started already: `done` hears how it ended.
FormWindow* filterForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done);

} // namespace tavlo
