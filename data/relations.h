#pragma once
// The parent-child relations between the tables, declared once.
#include <utility>
#include <vector>

#include "data/tables.h"

namespace tavlo {

enum RelationAction : int {
    RI_NONE = 0,
    RI_CLEAR = 1,    // the children's linking fields are emptied
    RI_RESTRICT = 2, // the parent may not change or go while it has children
    RI_CASCADE = 3,  // the children follow the parent's new key, or go with it
};

struct RelationDecl {
    Tbl parent;
    Tbl child;
    KeyRef childKey; // through which the children are found; starts with the linking fields
    RelationAction onUpdate;
    RelationAction onDelete;
    std::vector<std::pair<uint16_t, uint16_t>> links; // (parent field, child field)
};

// In declaration order: a parent's relations run in this order.
const std::vector<RelationDecl>& relations();

} // namespace tavlo
