// The product list: the filter and description built from the limits, the filter refused before
// anything prints, and the pages: a line per product with its VAT rate and stock only where they
// apply, the sort orders, the closing, page breaks, and "Ingen poster".
#include <gtest/gtest.h>

#include "data/tests/fixture.h"
#include "framework/report/tests/pagetexts.h"
#include "products/print/produktrapport.h"

using namespace tavlo;
using namespace tavlo::testing;

namespace {

class ProduktrapportTest : public ContextTest {
  protected:
    report::PageList rapport(Produktavgrensning a)
    {
        slaOppProdukttekster(*ctx, a);
        const Produktutvalg u = byggProduktutvalg(a);
        if (!produktfilterKanBrukes(*ctx, u, a))
            return {};
        return PRODUKTRAPPORT(*ctx, u.sortering, u.beskrivelse, u.filter);
    }
};

} // namespace

TEST(Produktutvalg, NoLimitsGiveTheWholeTableAndEveryLimitItsLineInOrder)
{
    Produktutvalg u = byggProduktutvalg({});
    EXPECT_EQ(u.filter, "(1)");
    EXPECT_EQ(u.beskrivelse, "");
    EXPECT_EQ(u.sortering, "PRO:ProduktId");
    EXPECT_EQ(produktsortering(2), std::string("PRO:Navn"));
    EXPECT_EQ(produktsortering(3), std::string("PRO:ProduktGruppe"));

    Produktavgrensning a;
    a.produktgruppe = 3;
    a.gruppeTekst = "Tjenester";
    a.mvaPliktig = 1;
    u = byggProduktutvalg(a);
    EXPECT_EQ(u.filter, "(1) AND (PRO:ProduktGruppe = 3) AND (PRO:MVAPliktig)");
    EXPECT_EQ(u.beskrivelse, "Produktgruppe = Tjenester\r\nBare MVA pliktige produkter\r\n");

    // The free filter comes before the stock limit.
    a = {};
    a.mvaPliktig = 2;
    a.filterstreng = "PRO:Enhetspris > 10 ";
    a.lagerstyring = true;
    u = byggProduktutvalg(a);
    EXPECT_EQ(u.filter,
              "(1) AND (NOT PRO:MVAPliktig) AND (PRO:Enhetspris > 10) AND (PRO:Lagerstyring)");
    EXPECT_EQ(u.beskrivelse, "Ingen MVA pliktige produkter\r\nFilterstreng: PRO:Enhetspris > "
                             "10\r\nBare produkter med lagerstyring\r\n");
}

TEST_F(ProduktrapportTest, AFilterThatCannotBeUsedIsShownAndNothingPrints)
{
    addProduct(*ctx, "Skrue");
    for (const char* fritt : {"PRO:Prs > 1", "PRO:ProduktId = 3) OR (1"}) {
        answers.shown.clear();
        Produktavgrensning a;
        a.filterstreng = fritt;
        EXPECT_TRUE(rapport(a).empty()) << fritt;
        ASSERT_EQ(answers.shown.size(), 1u) << fritt;
        EXPECT_EQ(answers.shown[0].caption, "Feil");
        EXPECT_EQ(answers.shown[0].text, "Filteret inneholder feil og kan ikke brukes:|(1) AND (" +
                                             std::string(fritt) + ")");
    }
}

TEST_F(ProduktrapportTest, RateAndStockShowOnlyWhereTheyApplyAndLimitsNarrowTheList)
{
    addCode(*ctx, 102, 3, "Jernvare");
    addProduct(*ctx, "Øks", [](Record& r) {
        r.set(PRO::PRODUKTGRUPPE, 3);
        r.set(PRO::ENHETSBENEVNING, "stk");
        r.set(PRO::MVAPLIKTIG, 1);
        r.set(PRO::MVASATS, 25);
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("1234.5"));
        r.set(PRO::ENHETSPRIS, *Decimal::parse("499.90"));
        r.set(PRO::STDFAKTURALINJERABATT, *Decimal::parse("10"));
    });
    addProduct(*ctx, "Rådgivning", [](Record& r) {
        r.set(PRO::MVASATS, 25);                           // not VAT-liable: the rate is not shown
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("7")); // no stock control: not shown
        r.set(PRO::ENHETSPRIS, *Decimal::parse("950"));
    });
    const report::PageList alle = rapport({});
    ASSERT_EQ(alle.size(), 1u);
    const auto t = texts(alle);
    for (const char* s : {"Produktrapport",  "Produktnr",   "Navn",     "Produktgruppe",
                          "Enhets-",         "benevning",   "MVA",      "sats",
                          "Lagerbeholdning", "Enhetsspris", "Rabatt %", "Øks",
                          "Jernvare",        "stk",         "25",       "1.234,50",
                          "499,90",          "10,00",       "950,00",   "En Tavlo rapport",
                          "Side 1"})
        EXPECT_TRUE(has(t, s)) << s;
    EXPECT_FALSE(has(t, "(Utvalg - Se dataavgrensninger)"));
    EXPECT_EQ(column(alle, "sats"), (std::vector<std::string>{"25"}));
    EXPECT_EQ(column(alle, "Lagerbeholdning"), (std::vector<std::string>{"1.234,50"}));
    EXPECT_EQ(besides(alle, "Antall poster:"), "2");

    Produktavgrensning a;
    a.mvaPliktig = 2;
    const report::PageList ikke = rapport(a);
    EXPECT_EQ(column(ikke, "Navn"), (std::vector<std::string>{"Rådgivning"}));
    EXPECT_TRUE(has(texts(ikke), "(Utvalg - Se dataavgrensninger)"));
    EXPECT_EQ(besides(ikke, "Dataavgrensninger:"), "Ingen MVA pliktige produkter");

    a = {};
    a.produktgruppe = 3;
    a.lagerstyring = true;
    const report::PageList gruppe = rapport(a);
    EXPECT_EQ(column(gruppe, "Navn"), (std::vector<std::string>{"Øks"}));
    EXPECT_EQ(besides(gruppe, "Antall poster:"), "1");
}

TEST_F(ProduktrapportTest, SortOrdersByNumberNameAndGroup)
{
    addProduct(*ctx, "Ål", [](Record& r) { r.set(PRO::PRODUKTGRUPPE, 1); });
    addProduct(*ctx, "Bor", [](Record& r) { r.set(PRO::PRODUKTGRUPPE, 3); });
    addProduct(*ctx, "Æbleskiver", [](Record& r) { r.set(PRO::PRODUKTGRUPPE, 2); });
    auto navn = [this](int32_t s) {
        Produktavgrensning a;
        a.sortering = s;
        return column(rapport(a), "Navn");
    };
    EXPECT_EQ(navn(1), (std::vector<std::string>{"Ål", "Bor", "Æbleskiver"}));
    EXPECT_EQ(navn(2), (std::vector<std::string>{"Bor", "Æbleskiver", "Ål"}));
    EXPECT_EQ(navn(3), (std::vector<std::string>{"Ål", "Æbleskiver", "Bor"}));
}

TEST_F(ProduktrapportTest, ALongListBreaksIntoPagesAndAnEmptyOneSaysIngenPoster)
{
    Produktavgrensning a;
    a.mvaPliktig = 1;
    EXPECT_TRUE(rapport(a).empty());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det er ingen poster tilgjenngelig for prosessering.");

    for (int i = 0; i < 90; ++i)
        addProduct(*ctx, "Vare " + std::to_string(i));
    const report::PageList pages = rapport({});
    ASSERT_GE(pages.size(), 2u);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        const auto t = texts(pages[n]);
        EXPECT_TRUE(has(t, "Produktrapport")) << n;
        EXPECT_TRUE(has(t, "Enhetsspris")) << n;
        EXPECT_TRUE(has(t, "Side " + std::to_string(n + 1))) << n;
    }
    std::vector<std::string> numre = column(pages, "Produktnr");
    std::erase_if(numre, [](const std::string& s) { return s.find(':') != std::string::npos; });
    ASSERT_EQ(numre.size(), 90u);
    EXPECT_EQ(numre.back(), "90");
    EXPECT_EQ(besides(pages, "Antall poster:"), "90");
}
