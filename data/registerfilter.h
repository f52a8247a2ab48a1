#pragma once
// The saved-filter part of a register: the working filter the builder and the pick list write,
// the active filter the list is read with, and the description shown above the list. Several
// registers share these rules; each tells which table it filters and how its list is re-read.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/tables.h"
#include "framework/browse.h"

namespace tavlo {

class Context;
class Marks;

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

// The rules of a register with saved filters: its list's rules, which a list widget may take
// over, and its filter. Each register builds its list in its constructor and says how its list
// is re-read when the active filter changes.
class FilteredRegister {
  public:
    FilteredRegister(const FilteredRegister&) = delete;
    FilteredRegister& operator=(const FilteredRegister&) = delete;
    virtual ~FilteredRegister() = default;

    BrowseClass& browse() { return *browse_; }
    // For a list widget that must own the list's rules; these rules go on using them.
    std::unique_ptr<BrowseClass> releaseBrowse() { return std::move(owned_); }
    Context& context() { return ctx_; }
    // The saved filters: "Avgrensning", the pick list, "Fjern avgrensning", the fixed filter.
    RegisterFilter& filter() { return filter_; }

  protected:
    FilteredRegister(Context& ctx, int32_t tableNo, Tbl table)
        : ctx_(ctx), filter_(ctx, tableNo, table, [this] { reread(); }), table_(table)
    {
    }
    // "Merk alle poster": the marks emptied, then every record that `filter` takes marked in
    // the order of `key` (the record numbers' own), through a second view of the table; the
    // list's buffer keeps its record. False, after the message, when the records could not all
    // be read.
    bool markAll(Marks& marks, KeyRef key, IntField id, const std::string& filter);
    // The list's rules over `view`, with its columns and the tabs' names.
    BrowseClass& makeBrowse(std::unique_ptr<ViewManager> view,
                            std::vector<PagedTableModel::Column> columns,
                            std::vector<std::string> tabs)
    {
        owned_ = std::make_unique<BrowseClass>(ctx_, std::move(view), std::move(columns),
                                               std::move(tabs));
        browse_ = owned_.get();
        return *browse_;
    }
    // The active filter on every order, then the current tab read from the top.
    virtual void reread() = 0;

    Context& ctx_;
    RegisterFilter filter_;

  private:
    Tbl table_;
    std::unique_ptr<BrowseClass> owned_;
    BrowseClass* browse_ = nullptr;
};

} // namespace tavlo
