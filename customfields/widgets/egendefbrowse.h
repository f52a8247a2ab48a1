#pragma once
// The register of custom-field definitions, "Egendefinerte felter", and its form.
#include <cstdint>

#include "framework/browse.h"

namespace tavlo {

class Context;
class FormWindow;
class TabRegister;

// Opens the register in the context, on the customers' tab, and returns at once.
void EGENDEFBROWSE(Context& ctx);
// The register's window (EGENDEFBROWSE shows it).
TabRegister* egenDefBrowse(Context& ctx);
// The definition form for GlobalRequest over the EGN buffer; a new definition belongs to
// table `tableNo`. Started already: `done` hears how it ended.
FormWindow* egenDefForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done);

} // namespace tavlo
