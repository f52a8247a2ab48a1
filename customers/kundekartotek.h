#pragma once
// The customer register's rules: five sort orders as tabs, the name search of the "Navn" tab,
// the group range, the marks in GLQ::TAG_KUNDE and the saved filters. The window only binds.
#include <cstdint>
#include <memory>
#include <string>

#include "data/marks.h"
#include "data/registerfilter.h"

namespace tavlo {

class Context;

class KundeKartotek : public FilteredRegister {
  public:
    enum Tab { TabKundenr, TabNavn, TabAdresse, TabPostnr, TabKundegruppe };

    explicit KundeKartotek(Context& ctx);
    ~KundeKartotek() override;

    // Empties the marks, shows the "Navn" tab and applies the fixed filter of the register
    // when it still exists.
    void open();

    void setTab(int tab);
    // The name search and the group range; both re-read the list.
    void setNavn(const std::string& text);
    const std::string& navn() const { return navn_; }
    void setKundegruppe(int32_t group);
    int32_t kundegruppe() const { return kundegruppe_; }
    std::string kundegruppeTekst();

    // The filter the list is read with on a tab: the active one and, on "Navn", the search.
    std::string listFilter(int tab) const;

    // Space on a row: marks the customer or takes the mark away. The marks stay in
    // customer-number order; each keeps the number it was marked with.
    void toggleTag(int32_t kundeId);
    static bool tagged(int32_t kundeId);
    // "Merk alle poster": every customer of the list, numbered in customer-number order.
    bool merkAlle();
    // "Fjern alle avmerkinger".
    void fjernAvmerkinger();

    // The texts of the "Poststed" and "Kundegruppe" columns.
    static std::string postnrFormat(Context& ctx, int32_t postnr);
    static std::string kundegruppeFormat(Context& ctx, int32_t group);

  private:
    // The filters of every order rebuilt, then the current tab read from the top.
    void reread() override;

    std::string navn_;
    int32_t kundegruppe_ = 0;
    Marks marks_;
};

} // namespace tavlo
