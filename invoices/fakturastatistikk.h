#pragma once
// "Fakturastatistikk": the turnover of one year per month (the invoices' totals, credit notes
// reducing them) and per product and month (the lines' quantities and amounts), and the bar
// chart of the month totals as geometry the window only has to paint.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/decimal.h"

namespace tavlo {

class Context;

constexpr int kMaaneder = 12;

struct ProduktRad {
    int32_t produktId = 0;
    std::string navn; // the product's, "Uspesifisert ***" for lines without product
    std::array<Decimal, kMaaneder> antall{};
    Decimal antallTotalt;
    std::array<Decimal, kMaaneder> belop{}; // without VAT; a credit note's lines count negative
    Decimal belopTotalt;
};

struct Aarsstatistikk {
    int aar = 0;
    std::array<Decimal, kMaaneder> maanedTotal{}; // the invoices' totals, VAT included
    std::array<int, kMaaneder> antallFakturaer{};
    Decimal totalt;                    // LOC:TOTALT
    std::vector<ProduktRad> produkter; // in product-number order
};

// "Jan" … "Des"; m from 0.
const char* maanedNavn(int m);
// An amount as the chart shows it under its bar: "n-14.", no decimals, without the padding.
std::string maanedBelop(const Decimal& belop);

// The statistics of `aar`: the invoices dated 1 January to 31 December of that year, read from
// the invoice files the globals name (the archive's in archive mode), and their lines.
// LEVEL_BENIGN, or the level of a file that did not open or read (the record store has said why;
// `out` then holds the year with nothing in it).
int statistikkForAar(Context& ctx, int aar, Aarsstatistikk& out);

// The bar chart in its own units, y downwards from the top: bars of equal width with 3 units
// between them, the highest reaching 3 units below the top. Months above 0 stand on the base
// line, months below 0 (credit notes outweighing the invoices) hang from it; the base line sits
// at the bottom while no month is below 0 and rises just far enough for the deepest one. A month
// with total 0 has no bar; any other month at least 1 unit.
struct Stolpe {
    int x = 0, y = 0, bredde = 0, hoyde = 0; // hoyde 0: no bar
    bool negativ = false;
};
struct Stolpediagram {
    std::array<Stolpe, kMaaneder> stolper{};
    int grunnlinje = 0; // y of the base line
    int stolpebredde = 0;
};
Stolpediagram stolpediagram(const std::array<Decimal, kMaaneder>& maanedTotal, int bredde,
                            int hoyde);

// The window's rules: the year `LOC:AAR` and its statistics, recomputed as the year steps.
class FakturaStatistikk {
  public:
    explicit FakturaStatistikk(Context& ctx);

    int aar() const { return stat_.aar; }
    const Aarsstatistikk& statistikk() const { return stat_; }
    // Sets the year and computes its statistics; a year outside the calendar's range is not
    // taken (false, nothing changes).
    bool settAar(int aar);
    bool forrigeAar() { return settAar(stat_.aar - 1); }
    bool nesteAar() { return settAar(stat_.aar + 1); }

  private:
    Context& ctx_;
    Aarsstatistikk stat_;
};

} // namespace tavlo
