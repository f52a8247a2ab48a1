#pragma once
// The project register's rules: six sort orders as tabs, three of them limited to a type, a
// status or a customer, the saved filters, and the texts the list shows in place of codes. The
// window only binds.
#include <cstdint>
#include <string>

#include "data/registerfilter.h"

namespace tavlo {

class Context;

class ProsjektKartotek : public FilteredRegister {
  public:
    enum Tab { TabProsjektid, TabStartdato, TabType, TabNavn, TabStatus, TabKunde };
    // The range of a tab: what it is limited to, and the text shown beside it.
    enum Range { RangeType, RangeStatus, RangeKunde };

    explicit ProsjektKartotek(Context& ctx);
    ~ProsjektKartotek() override;

    // Shows the "Navn" tab and applies the register's fixed filter when it still exists.
    void open();
    void setTab(int tab);
    // The tab that is limited by `range`.
    static int tabOf(Range range);
    void setRange(Range range, int32_t value);
    int32_t range(Range range) const { return ranges_[range]; }
    std::string rangeTekst(Range range);

    // The texts of the "Type", "Status" and "Kunde" columns.
    static std::string typeFormat(Context& ctx, int32_t type);
    static std::string statusFormat(Context& ctx, int32_t status);
    static std::string kundeFormat(Context& ctx, int32_t kundeId);

  private:
    void reread() override;
    // The range values into the buffer, where the limited orders read them.
    void primeRanges();

    int32_t ranges_[3] = {0, 0, 0};
};

} // namespace tavlo
