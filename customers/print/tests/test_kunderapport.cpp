// The customer list: the customer filter, the invoice condition and the description built from
// the limits, the filter refused before anything prints, and the pages: a line per customer with
// what its chosen invoices come to, the contacts under it, the total and closing, page breaks,
// and "Ingen poster".
#include <gtest/gtest.h>

#include "customers/print/kunderapport.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/report/tests/pagetexts.h"

using namespace tavlo;
using namespace tavlo::testing;

namespace {

class KunderapportTest : public ContextTest {
  protected:
    // A customer with the fields the list shows.
    int32_t kunde(const std::string& navn, const std::function<void(Record&)>& mer = {})
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().clear();
        kun.rec().set(KUN::NAVN, navn);
        if (mer)
            mer(kun.rec());
        EXPECT_EQ(kun.INSERT(), LEVEL_BENIGN);
        const int32_t id = kun.rec().get(KUN::KUNDEID);
        kun.CLOSE();
        return id;
    }
    void faktura(int32_t kundeId, const char* totalsum, const char* dato, int32_t betalt = 0)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDEID, kundeId);
        fak.rec().set(FAK::FAKTURADATO, *date::parse(dato));
        fak.rec().set(FAK::BETALTDATO, betalt);
        fak.rec().set(FAK::TOTALSUM, *Decimal::parse(totalsum));
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        fak.CLOSE();
    }
    int32_t kontakt(int32_t kundeId, const std::string& navn, const std::string& rolle)
    {
        auto& kon = ctx->access(Tbl::KONTAKT);
        kon.OPEN();
        kon.rec().clear();
        kon.rec().set(KON::KUNDEID, kundeId);
        kon.rec().set(KON::NAVN, navn);
        kon.rec().set(KON::ROLLESTILLING, rolle);
        kon.rec().set(KON::TELEFON, "55 11 22 33");
        EXPECT_EQ(kon.INSERT(), LEVEL_BENIGN);
        const int32_t id = kon.rec().get(KON::KONTAKTID);
        kon.CLOSE();
        return id;
    }
    report::PageList rapport(Kundeavgrensning a)
    {
        slaOppKundetekster(*ctx, a);
        const Kundeutvalg u = byggKundeutvalg(a);
        if (!kundefilterKanBrukes(*ctx, u, a))
            return {};
        return KUNDERAPPORT(*ctx, u.sortering, u.beskrivelse, u.fakturabetingelse, u.filter,
                            a.kontaktpersoner);
    }
};

} // namespace

TEST(Kundeutvalg, NoLimitsTakeEveryCustomerWithoutDescription)
{
    const Kundeutvalg u = byggKundeutvalg({});
    EXPECT_EQ(u.filter, "(1)");
    EXPECT_EQ(u.beskrivelse, "");
    EXPECT_EQ(u.fakturabetingelse, "");
    EXPECT_EQ(u.sortering, "KUN:KundeId");
    const char* felt[] = {"KUN:KundeId", "KUN:Navn",        "KUN:Adresse",
                          "KUN:PostNr",  "KUN:KundeGruppe", "KUN:BetalingsBetingelser"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(kundesortering(i + 1), std::string(felt[i]));
    EXPECT_EQ(kundesortering(9), std::string("KUN:KundeId"));
}

TEST(Kundeutvalg, CustomerLimitsGoToTheFilterAndInvoiceLimitsToTheConditionInOrder)
{
    Kundeavgrensning a;
    a.kundeGruppe = 2;
    a.gruppeTekst = "Storkunder";
    a.postNr = 150;
    a.poststed = "OSLO";
    a.fraFakturaDato = *date::parse("01.01.2026");
    a.tilFakturaDato = *date::parse("31.01.2026");
    a.fraForfallsDato = *date::parse("02.01.2026");
    a.tilForfallsDato = *date::parse("28.02.2026");
    a.fraBetaltDato = *date::parse("03.01.2026");
    a.tilBetaltDato = *date::parse("31.03.2026");
    a.betaltBlank = true;
    a.filterstreng = " KUN:Rabatt > 0 ";
    const Kundeutvalg u = byggKundeutvalg(a);
    EXPECT_EQ(u.filter, "(1) AND (KUN:KundeGruppe = 2) AND (KUN:PostNr = 150) AND "
                        "(KUN:Rabatt > 0)");
    const auto d = [](const char* s) { return std::to_string(*date::parse(s)); };
    EXPECT_EQ(u.fakturabetingelse,
              " AND (FAK:FakturaDato >= " + d("01.01.2026") + ") AND (FAK:FakturaDato <= " +
                  d("31.01.2026") + ") AND (FAK:ForfallsDato >= " + d("02.01.2026") +
                  ") AND (FAK:ForfallsDato <= " + d("28.02.2026") +
                  ") AND (FAK:BetaltDato >= " + d("03.01.2026") +
                  ") AND (FAK:BetaltDato <= " + d("31.03.2026") + ") AND (NOT FAK:BetaltDato)");
    EXPECT_EQ(u.beskrivelse, "Kundegruppe = Storkunder\r\nPostnr = OSLO\r\n"
                             "Fakturadato >= 01.01.2026\r\nFakturadato <= 31.01.2026\r\n"
                             "Forfallsdato >= 02.01.2026\r\nForfallsdato <= 28.02.2026\r\n"
                             "Betaltdato >= 03.01.2026\r\nBetaltdato <= 31.03.2026\r\n"
                             "Betaltdato = blank\r\nFilterstreng: KUN:Rabatt > 0\r\n");
}

TEST_F(KunderapportTest, AFilterThatCannotBeUsedIsShownAndNothingPrints)
{
    kunde("Kari");
    for (const char* fritt : {"KUN:Nav = 'x'", "KUN:KundeId = 3) OR (1"}) {
        answers.shown.clear();
        Kundeavgrensning a;
        a.filterstreng = fritt;
        EXPECT_TRUE(rapport(a).empty()) << fritt;
        ASSERT_EQ(answers.shown.size(), 1u) << fritt;
        EXPECT_EQ(answers.shown[0].caption, "Feil");
        EXPECT_EQ(answers.shown[0].text, "Filteret inneholder feil og kan ikke brukes:|(1) AND (" +
                                             std::string(fritt) + ")");
    }
}

TEST_F(KunderapportTest, EachCustomerShowsWhatItsChosenInvoicesComeToAndTheTotal)
{
    addCode(*ctx, 101, 150, "OSLO");
    addCode(*ctx, 103, 2, "Storkunder");
    const int32_t kari = kunde("Kari Ødegård", [](Record& r) {
        r.set(KUN::ADRESSE, "Åsveien 1");
        r.set(KUN::POSTNR, 150);
        r.set(KUN::KUNDEGRUPPE, 2);
        r.set(KUN::TELEFON, "22 33 44 55");
        r.set(KUN::BETALINGSBETINGELSER, 14);
    });
    const int32_t ola = kunde("Ola Ærlig");
    kunde("Uten Fakturaer");
    faktura(kari, "125.00", "01.02.2026");
    faktura(kari, "-25.00", "10.02.2026"); // a credit note
    faktura(kari, "1000.00", "01.01.2025", *date::parse("15.01.2025"));
    faktura(ola, "50.50", "05.02.2026");

    const report::PageList alle = rapport({});
    ASSERT_EQ(alle.size(), 1u);
    const auto t = texts(alle);
    for (const char* s :
         {"Kunderapport", "Kundenr", "Kunde", "Kundegruppe", "Telefon", "Mobil", "Faks",
          "Betalings-", "Betingelser", "Kari Ødegård, Åsveien 1, 150 OSLO", "Storkunder",
          "22 33 44 55", "14", "1.100,00", "50,50", "0,00", "En Tavlo rapport", "Side 1"})
        EXPECT_TRUE(has(t, s)) << s;
    EXPECT_FALSE(has(t, "(Utvalg - Se dataavgrensninger)"));
    EXPECT_EQ(column(alle, "Kunde"), (std::vector<std::string>{"Kari Ødegård, Åsveien 1, 150 OSLO",
                                                               "Ola Ærlig", "Uten Fakturaer"}));
    EXPECT_EQ(besides(alle, "Sum:", 0), "1.150,50");
    EXPECT_EQ(besides(alle, "Antall poster:"), "3");

    // Only February's invoices: the old one drops out; the customers stay.
    Kundeavgrensning a;
    a.fraFakturaDato = *date::parse("01.02.2026");
    const report::PageList feb = rapport(a);
    EXPECT_TRUE(has(texts(feb), "(Utvalg - Se dataavgrensninger)"));
    EXPECT_EQ(besides(feb, "Sum:", 0), "150,50");
    EXPECT_EQ(besides(feb, "Antall poster:"), "3");
    EXPECT_EQ(besides(feb, "Dataavgrensninger:"), "Fakturadato >= 01.02.2026");

    // A paid range with "blank" too: no invoice can meet both, every amount is 0.
    a = {};
    a.fraBetaltDato = *date::parse("01.01.2025");
    a.betaltBlank = true;
    EXPECT_EQ(besides(rapport(a), "Sum:", 0), "0,00");

    // The group limit: only Kari.
    a = {};
    a.kundeGruppe = 2;
    const report::PageList gruppe = rapport(a);
    EXPECT_EQ(besides(gruppe, "Antall poster:"), "1");
    EXPECT_EQ(besides(gruppe, "Dataavgrensninger:"), "Kundegruppe = Storkunder");
}

TEST_F(KunderapportTest, ContactsFollowTheirCustomerAndTheMainContactIsMarked)
{
    const int32_t id = kunde("Bølgen AS");
    kontakt(id, "Åse Berg", "Daglig leder");
    const int32_t hoved = kontakt(id, "Per Dahl", "Regnskap");
    kunde("Neste AS");
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, id);
        ASSERT_EQ(kun.TRYFETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::HOVEDKONTAKT, hoved);
        ASSERT_EQ(kun.TRYUPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
    }
    Kundeavgrensning a;
    EXPECT_EQ(column(rapport(a), "Kunde"), (std::vector<std::string>{"Bølgen AS", "Neste AS"}));
    a.kontaktpersoner = true;
    const report::PageList pages = rapport(a);
    EXPECT_EQ(
        column(pages, "Kunde"),
        (std::vector<std::string>{"Bølgen AS", "Per Dahl (Hovedkontakt)", "Åse Berg", "Neste AS"}));
    EXPECT_TRUE(has(texts(pages), "Daglig leder"));
    EXPECT_EQ(besides(pages, "Antall poster:"), "2"); // contacts are not counted
}

TEST_F(KunderapportTest, SortOrdersIncludingPaymentTermsWhichHaveNoKey)
{
    kunde("Cecilie", [](Record& r) { r.set(KUN::BETALINGSBETINGELSER, 30); });
    kunde("Øystein", [](Record& r) { r.set(KUN::BETALINGSBETINGELSER, 10); });
    kunde("Anne", [](Record& r) { r.set(KUN::BETALINGSBETINGELSER, 30); });
    auto navn = [this](int32_t sortering) {
        Kundeavgrensning a;
        a.sortering = sortering;
        return column(rapport(a), "Kunde");
    };
    EXPECT_EQ(navn(1), (std::vector<std::string>{"Cecilie", "Øystein", "Anne"}));
    EXPECT_EQ(navn(2), (std::vector<std::string>{"Anne", "Cecilie", "Øystein"}));
    EXPECT_EQ(navn(6), (std::vector<std::string>{"Øystein", "Cecilie", "Anne"}));
}

TEST_F(KunderapportTest, ALongListBreaksIntoPagesEachWithHeadingsAndFooter)
{
    for (int i = 0; i < 90; ++i)
        kunde("Kunde " + std::to_string(i));
    const report::PageList pages = rapport({});
    ASSERT_GE(pages.size(), 2u);
    for (std::size_t n = 0; n < pages.size(); ++n) {
        const auto t = texts(pages[n]);
        EXPECT_TRUE(has(t, "Kunderapport")) << n;
        EXPECT_TRUE(has(t, "Kundenr")) << n;
        EXPECT_TRUE(has(t, "Side " + std::to_string(n + 1))) << n;
    }
    std::vector<std::string> numre = column(pages, "Kundenr");
    std::erase_if(numre, [](const std::string& s) { return s.find(':') != std::string::npos; });
    ASSERT_EQ(numre.size(), 90u);
    EXPECT_EQ(numre.back(), "90");
    EXPECT_EQ(besides(pages, "Antall poster:"), "90");
}

TEST_F(KunderapportTest, AnEmptySelectionSaysIngenPosterAndPrintsNothing)
{
    kunde("Kari");
    Kundeavgrensning a;
    a.filterstreng = "KUN:KundeId > 5";
    EXPECT_TRUE(rapport(a).empty());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det er ingen poster tilgjenngelig for prosessering.");
}
