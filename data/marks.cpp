#include "data/marks.h"

#include <algorithm>

namespace tavlo {

namespace {

// Halving, so that every row drawn finds its mark without reading through all of them.
bool byId(const TagEntry& t, int32_t id)
{
    return t.id < id;
}

} // namespace

void Marks::toggle(int32_t id)
{
    auto it = std::lower_bound(list_.begin(), list_.end(), id, byId);
    if (it != list_.end() && it->id == id)
        list_.erase(it);
    else
        list_.insert(it, {id, ++counter_});
}

bool Marks::has(int32_t id) const
{
    auto it = std::lower_bound(list_.begin(), list_.end(), id, byId);
    return it != list_.end() && it->id == id;
}

} // namespace tavlo
