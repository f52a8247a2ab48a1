#pragma once
// A register's marks over one of the process-wide mark lists: kept in id order with each id
// once, every new mark numbered after the last (the order of marking), the numbering starting
// again when the list is emptied.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/globals.h"

namespace tavlo {

class Marks {
  public:
    // New marks are numbered after those the list holds already (marks kept from another
    // window).
    explicit Marks(std::vector<TagEntry>& list) : list_(list)
    {
        for (const TagEntry& t : list_)
            counter_ = std::max(counter_, t.order);
    }

    // Space on a row: marked, or the mark taken away.
    void toggle(int32_t id);
    bool has(int32_t id) const;
    // Appends; the ids must come in increasing order (a walk in id order).
    void append(int32_t id) { list_.push_back({id, ++counter_}); }
    void clear()
    {
        list_.clear();
        counter_ = 0;
    }
    int32_t counter() const { return counter_; }

  private:
    std::vector<TagEntry>& list_;
    int32_t counter_ = 0;
};

} // namespace tavlo
