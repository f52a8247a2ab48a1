#pragma once
// The tables of data version 3, the version before this one: each is this version's table less
// the fields this version added (and, in the parameter table, plus the one it dropped). They
// follow from the tables' own declarations, so a field is never listed twice.
#include <string>
#include <vector>

#include "data/tables.h"

namespace tavlo::omlegg {

// The tables whose record changed: the parameter table, customers, products, billing bases and
// the invoice pair (which the archive pair shares).
bool endretIVersjon4(Tbl t);
// The version 3 record of a table: this version's where it did not change.
const TableDecl& versjon3(Tbl t);
// Names (without prefix) of the fields this version added to a table; empty when unchanged.
const std::vector<std::string>& nyeFelt(Tbl t);

} // namespace tavlo::omlegg
