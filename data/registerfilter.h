#pragma once
// The saved-filter part of a register: the working filter the builder and the pick list write,
// the active filter the list is read with, and the description shown above the list. Several
// registers share these rules; each tells which table it filters and how its list is re-read.
#include <cstdint>
#include <functional>
#include <string>

#include "data/tables.h"

namespace tavlo {

class Context;

class RegisterFilter {
  public:
    // tableNo: the table's number among those that have saved filters (1 customers, 2 products,
    // ...). reread: called whenever the active filter changed.
    RegisterFilter(Context& ctx, int32_t tableNo, Tbl table, std::function<void()> reread);

    // The register's fixed filter, when it still exists; a vanished one leaves the list as it
    // is, without a word.
    void applyFixed(int32_t filterNo);
    // "Avgrensning": the filter builder on the working filter, then applied.
    bool avgrensning();
    // A saved filter chosen from the pick list, then applied.
    bool hentFilter();
    // The working filter made active: false when it is blank, or refused with a message
    // because it does not evaluate (the active filter then stays).
    bool apply();
    // "Fjern avgrensning".
    void fjern();

    std::string& working() { return working_; }
    const std::string& active() const { return active_; }
    const std::string& description() const { return description_; }

  private:
    Context& ctx_;
    int32_t tableNo_;
    Tbl table_;
    std::function<void()> reread_;
    std::string working_, active_, description_;
};

} // namespace tavlo
