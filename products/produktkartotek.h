#pragma once
// The product register's rules: three sort orders as tabs, the product-group range, the saved
// filters and the texts the list shows in place of codes. The window only binds.
#include <cstdint>
#include <memory>
#include <string>

#include "data/registerfilter.h"

namespace tavlo {

class Context;
class Record;

class ProduktKartotek : public FilteredRegister {
  public:
    enum Tab { TabProduktnr, TabNavn, TabProduktgruppe };
    enum Kolonne {
        KolProduktnr,
        KolNavn,
        KolGruppe,
        KolPris,
        KolRabatt,
        KolMva,
        KolLager,
        KolEnhet
    };

    explicit ProduktKartotek(Context& ctx);
    ~ProduktKartotek() override;

    // Shows the "Navn" tab and applies the register's fixed filter when it still exists.
    void open();
    void setTab(int tab);
    // The range of the "Produktgruppe" tab (0: the products without a group); re-reads.
    void setProduktgruppe(int32_t group);
    int32_t produktgruppe() const { return produktgruppe_; }
    std::string produktgruppeTekst();

    // The texts of the "Produktgruppe", "MVA" and "Lagerbeholding" columns.
    static std::string gruppeFormat(Context& ctx, int32_t group);
    static std::string mvaFormat(const Record& produkt);
    static std::string lagerbeholdningFormat(const Record& produkt);

  private:
    // The active filter on every order, then the current tab read from the top.
    void reread() override;

    int32_t produktgruppe_ = 0;
};

} // namespace tavlo
