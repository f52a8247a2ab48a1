#pragma once
// The invoice register's rules: seven sort orders as tabs, the marks in GLQ::TAG_FAKTURA, the
// saved filters and the customer-name search of the "Kunde" tab, and each row's state: marked,
// to be printed, overdue, its status's text and colour. The window only binds.
#include <cstdint>
#include <string>

#include "data/marks.h"
#include "data/registerfilter.h"

namespace tavlo {

class Context;
class Record;

class FakturaKartotek : public FilteredRegister {
  public:
    enum Tab {
        TabFakturanr,
        TabKundenr,
        TabKunde,
        TabTotalsum,
        TabFakturadato,
        TabForfallsdato,
        TabBetaltdato
    };
    // The row marks the window draws as icons, as bits.
    enum Mark : int { MarkTagged = 1, MarkPrint = 2, MarkOverdue = 4 };

    explicit FakturaKartotek(Context& ctx);
    ~FakturaKartotek() override;

    // `caller` blank (the menu) empties the marks; any other keeps them. Shows "Fakturadato"
    // and applies the fixed filter when it still exists.
    void open(const std::string& caller);
    void setTab(int tab);
    void setKundenavn(const std::string& text);
    const std::string& kundenavn() const { return kundenavn_; }
    // The filter the list is read with on a tab: the active one and, on "Kunde", the search.
    std::string listFilter(int tab) const;

    void toggleTag(int32_t fakturaId);
    static bool tagged(int32_t fakturaId);
    // Every invoice of the table, whatever the list shows.
    bool merkAlle();
    void fjernAvmerkinger();

    // "NB! *** ARKIV ***" while the program runs on the archive.
    static std::string arkivStreng();
    // The row's state (Mark bits), its status text and the status's colour (-1: the default).
    // The list's row mark holds the state and, from bit 8 on, the status code.
    static int rowState(const Record& faktura, int32_t today);
    static int32_t statusOfMark(int mark) { return mark >> 8; }
    static std::string statusFormat(Context& ctx, int32_t status);
    static int32_t statusFarge(Context& ctx, int32_t status);

  private:
    void reread() override;

    std::string kundenavn_;
    Marks marks_;
};

} // namespace tavlo
