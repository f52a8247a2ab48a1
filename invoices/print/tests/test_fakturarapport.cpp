// The invoice list: the filter and description built from the limits, the filter refused before
// anything prints, and the pages: rows in order, credit notes negative, totals, the closing,
// page breaks with their footers, and "Ingen poster".
#include <gtest/gtest.h>

#include <algorithm>

#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/report/tests/pagetexts.h"
#include "framework/report/tests/pdftools.h"
#include "invoices/print/fakturarapport.h"

using namespace tavlo;
using namespace tavlo::testing;

namespace {

class RapportTest : public tavlo::testing::ContextTest {
  protected:
    // An invoice with its amounts as stored: a credit note keeps only its total negative.
    int32_t faktura(const std::string& kunde, int32_t kundeId, const char* grunnlag,
                    bool kreditnota = false, int32_t betalt = 0)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDEID, kundeId);
        fak.rec().set(FAK::KUNDENAVN, kunde);
        fak.rec().set(FAK::FAKTURADATO, *date::parse("01.03.2026"));
        fak.rec().set(FAK::FORFALLSDATO, *date::parse("15.03.2026"));
        fak.rec().set(FAK::BETALTDATO, betalt);
        fak.rec().set(FAK::FAKTURASTATUS, 1);
        const Decimal g = *Decimal::parse(grunnlag);
        const Decimal mva = *Decimal::parse("0.25") * g;
        fak.rec().set(FAK::SUMMVAGRUNNLAG, g);
        fak.rec().set(FAK::SUM, g);
        fak.rec().set(FAK::MVA, mva);
        fak.rec().set(FAK::TOTALSUM, kreditnota ? -(g + mva) : g + mva);
        fak.rec().set(FAK::KREDITNOTA, kreditnota ? 1 : 0);
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        return id;
    }
    report::PageList rapport(const Fakturaavgrensning& a)
    {
        const Rapportutvalg u = byggUtvalg(a);
        if (!filterKanBrukes(*ctx, u, a))
            return {};
        return FAKTURARAPPORT(*ctx, u.sortering, u.filter, u.beskrivelse);
    }
};

} // namespace

TEST(Utvalg, NoLimitsTakeEveryInvoiceWithoutDescription)
{
    const Rapportutvalg u = byggUtvalg({});
    EXPECT_EQ(u.filter, "(1)");
    EXPECT_EQ(u.beskrivelse, "");
    EXPECT_EQ(u.sortering, "FAK:FakturaId");
}

TEST(Utvalg, ACustomerNumberOutranksANameAndTheNameTextIsQuoted)
{
    Fakturaavgrensning a;
    a.kundeId = 5;
    a.kundeNavn = "Kari Nordmann";
    Rapportutvalg u = byggUtvalg(a);
    EXPECT_EQ(u.filter, "(1) AND (FAK:KundeId = 5)");
    EXPECT_EQ(u.beskrivelse, "Kundenr = 5 - Kari Nordmann\r\n");

    a.kundeId = 0;
    a.kundeNavn = "O'Neil ";
    u = byggUtvalg(a);
    EXPECT_EQ(u.filter, "(1) AND INSTRING('O''Neil',FAK:KundeNavn,1,1)");
    EXPECT_EQ(u.beskrivelse, "Kundenavn inneholder 'O'Neil'\r\n");
}

TEST(Utvalg, EveryLimitAddsItsLineAndClauseInOrder)
{
    Fakturaavgrensning a;
    a.fakturaStatus = 3;
    a.statusTekst = "Purret";
    a.fraFakturaDato = *date::parse("01.01.2026");
    a.tilFakturaDato = *date::parse("31.01.2026");
    a.tilForfallsDato = *date::parse("28.02.2026");
    a.fraBetaltDato = *date::parse("02.02.2026");
    a.betaltBlank = true;
    a.kreditnota = 2;
    a.filterstreng = " FAK:TotalSum > 1000 ";
    a.sortering = 7;
    const Rapportutvalg u = byggUtvalg(a);
    const std::string d1 = std::to_string(a.fraFakturaDato), d2 = std::to_string(a.tilFakturaDato),
                      d3 = std::to_string(a.tilForfallsDato), d4 = std::to_string(a.fraBetaltDato);
    EXPECT_EQ(u.filter, "(1) AND (FAK:FakturaStatus = 3) AND (FAK:FakturaDato >= " + d1 +
                            ") AND (FAK:FakturaDato <= " + d2 + ") AND (FAK:ForfallsDato <= " + d3 +
                            ") AND (FAK:BetaltDato >= " + d4 +
                            ") AND (NOT FAK:BetaltDato) AND (NOT FAK:KreditNota) AND "
                            "(FAK:TotalSum > 1000)");
    EXPECT_EQ(u.beskrivelse, "Fakturastatus = Purret\r\nFakturadato >= 01.01.2026\r\n"
                             "Fakturadato <= 31.01.2026\r\nForfallsdato <= 28.02.2026\r\n"
                             "Betaltdato >= 02.02.2026\r\nBetaltdato = Blank\r\n"
                             "Ingen kreditnotaer\r\nFilterstreng: FAK:TotalSum > 1000\r\n");
    EXPECT_EQ(u.sortering, "FAK:BetaltDato");

    a = {};
    a.kreditnota = 1;
    EXPECT_EQ(byggUtvalg(a).filter, "(1) AND (FAK:KreditNota)");
    EXPECT_EQ(byggUtvalg(a).beskrivelse, "Bare kreditnotaer\r\n");
}

TEST_F(RapportTest, AFilterThatCannotBeUsedIsShownAndNothingPrints)
{
    faktura("Kari", 1, "100");
    for (const char* fritt : {"FAK:TotalSun > 1", "FAK:KundeId = 3) OR (1"}) {
        answers.shown.clear();
        Fakturaavgrensning a;
        a.filterstreng = fritt;
        EXPECT_TRUE(rapport(a).empty()) << fritt;
        ASSERT_EQ(answers.shown.size(), 1u) << fritt;
        EXPECT_EQ(answers.shown[0].caption, "Feil");
        EXPECT_EQ(answers.shown[0].text, "Filteret inneholder feil og kan ikke brukes:|(1) AND (" +
                                             std::string(fritt) + ")");
    }
}

TEST_F(RapportTest, CreditNotesReduceAllFourTotalsAndTheClosingTellsTheSelection)
{
    faktura("Kari Nordmann", 1, "100");
    faktura("Ola Hansen", 2, "200");
    faktura("Kari Nordmann", 1, "40", true, *date::parse("15.03.2026"));
    const report::PageList pages = rapport({});
    ASSERT_EQ(pages.size(), 1u);
    const auto t = texts(pages);
    for (const char* s :
         {"Fakturarapport", "Fakturanr", "Fakturadato", "Kundenr", "Kunde", "Forfallsdato",
          "Betalt dato", "MVA grunnlag", "Beløp", "MVA", "Totalsum", "01.03.2026", "15.03.2026",
          "Ola Hansen", "-40,00", "-10,00", "-50,00", "En Tavlo rapport", "Side 1"})
        EXPECT_TRUE(has(t, s)) << s;
    EXPECT_FALSE(has(t, "(Utvalg - Se dataavgrensninger)")); // nothing chosen
    EXPECT_EQ(besides(pages, "Sum:", 0), "260,00");
    EXPECT_EQ(besides(pages, "Sum:", 1), "260,00");
    EXPECT_EQ(besides(pages, "Sum:", 2), "65,00");
    EXPECT_EQ(besides(pages, "Sum:", 3), "325,00");
    EXPECT_EQ(besides(pages, "Antall poster:"), "3");
    EXPECT_TRUE(has(t, "Dataavgrensninger:"));

    Fakturaavgrensning a;
    a.kreditnota = 2;
    const report::PageList utvalg = rapport(a);
    EXPECT_TRUE(has(texts(utvalg), "(Utvalg - Se dataavgrensninger)"));
    EXPECT_EQ(besides(utvalg, "Sum:", 3), "375,00");
    EXPECT_EQ(besides(utvalg, "Antall poster:"), "2");
    EXPECT_EQ(besides(utvalg, "Dataavgrensninger:"), "Ingen kreditnotaer");
}

TEST_F(RapportTest, RowsFollowTheSortOrderAndShowTheCustomerAsOneText)
{
    faktura("Åse Berg", 3, "10");
    faktura("Anne Dahl", 2, "10");
    faktura("Ørjan Lie", 1, "10");
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURAID, 1);
        ASSERT_EQ(fak.TRYFETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        fak.rec().set(FAK::ADRESSE, "Bryggen 1");
        fak.rec().set(FAK::POSTNR, 503);
        fak.rec().set(FAK::POSTSTED, "BERGEN");
        ASSERT_EQ(fak.TRYUPDATE(), LEVEL_BENIGN);
        fak.CLOSE();
    }
    auto kunder = [](const report::PageList& pages) { return column(pages, "Kunde"); };
    Fakturaavgrensning a;
    a.sortering = 3; // by name: Å last
    EXPECT_EQ(kunder(rapport(a)), (std::vector<std::string>{"Anne Dahl", "Ørjan Lie",
                                                            "Åse Berg, Bryggen 1, 0503 BERGEN"}));
    a.sortering = 2; // by customer number
    EXPECT_EQ(kunder(rapport(a)), (std::vector<std::string>{"Ørjan Lie", "Anne Dahl",
                                                            "Åse Berg, Bryggen 1, 0503 BERGEN"}));
    a.kundeNavn = "Dahl";
    EXPECT_EQ(kunder(rapport(a)), (std::vector<std::string>{"Anne Dahl"}));
}

TEST_F(RapportTest, ANameWithAQuoteIsSearchedForLikeAnyOther)
{
    faktura("O'Neil AS", 1, "10");
    faktura("Neil Olsen", 2, "10");
    Fakturaavgrensning a;
    a.kundeNavn = "O'Neil";
    EXPECT_EQ(column(rapport(a), "Kunde"), (std::vector<std::string>{"O'Neil AS"}));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(RapportTest, ALongListBreaksIntoPagesEachWithHeadingsAndFooter)
{
    for (int i = 0; i < 120; ++i)
        faktura("Kunde " + std::to_string(i), i + 1, "1");
    Fakturaavgrensning a;
    a.filterstreng = "FAK:TotalSum > 0";
    const report::PageList pages = rapport(a);
    ASSERT_GE(pages.size(), 3u);
    report::ListReport probe("", "", {});
    for (std::size_t n = 0; n < pages.size(); ++n) {
        const auto t = texts(pages[n]);
        EXPECT_TRUE(has(t, "Fakturarapport")) << n;
        EXPECT_TRUE(has(t, "(Utvalg - Se dataavgrensninger)")) << n;
        EXPECT_TRUE(has(t, "Fakturanr")) << n;
        EXPECT_TRUE(has(t, "En Tavlo rapport")) << n;
        EXPECT_TRUE(has(t, "Side " + std::to_string(n + 1))) << n;
        EXPECT_FALSE(has(t, "Side " + std::to_string(n + 2))) << n;
        EXPECT_GT(pages[n].width, pages[n].height); // landscape
        // Nothing but the footer below the rows' floor.
        for (const auto& item : pages[n].items) {
            const auto* x = std::get_if<report::Text>(&item);
            if (x && x->text != "En Tavlo rapport" && x->text.rfind("Side ", 0) != 0) {
                EXPECT_LE(x->y + report::ListReport::kLine, probe.bodyBottom()) << x->text;
            }
        }
    }
    // Every invoice once, in number order across the pages.
    std::vector<std::string> numre = column(pages, "Fakturanr");
    std::erase_if(numre, [](const std::string& s) { return s.find(':') != std::string::npos; });
    ASSERT_EQ(numre.size(), 120u);
    for (int i = 0; i < 120; ++i)
        EXPECT_EQ(numre[i], std::to_string(i + 1));
    EXPECT_EQ(besides(pages, "Antall poster:"), "120");
    EXPECT_EQ(besides(pages, "Dataavgrensninger:"), "Filterstreng: FAK:TotalSum > 0");
}

TEST_F(RapportTest, AnEmptySelectionSaysIngenPosterAndPrintsNothing)
{
    faktura("Kari", 1, "100");
    Fakturaavgrensning a;
    a.kreditnota = 1;
    EXPECT_TRUE(rapport(a).empty());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det er ingen poster tilgjenngelig for prosessering.");
}

TEST(ListeLinjer, TextBreaksAtBlanksAndLineBreaksAndCutsLongWords)
{
    // Eight points: 15 characters in a 1000 mil column.
    EXPECT_EQ(report::breakLines("Kari Nordmann, Bryggen 1, 5003 BERGEN", 1000, 8),
              (std::vector<std::string>{"Kari Nordmann,", "Bryggen 1, 5003", "BERGEN"}));
    EXPECT_EQ(report::breakLines("a\r\nb\r\n", 1000, 8), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(report::breakLines("ØØØØØØØØØØØØØØØØØØØØØØØØØØØØØØ", 1000, 8),
              (std::vector<std::string>{"ØØØØØØØØØØØØØØØ", "ØØØØØØØØØØØØØØØ"}));
    EXPECT_EQ(report::breakLines("", 1000, 8), (std::vector<std::string>{""}));
}
