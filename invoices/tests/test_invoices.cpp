// The invoice services, headless: copies and credit notes with their lines and their dates, the
// note of what a credit note credits, the credit-limit warning and the project-link check.
#include "data/kreditnota.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/relationmanager.h"
#include "invoices/kopierfaktura.h"
#include "invoices/tests/statuses.h"

using namespace tavlo;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

class FakturaTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        tavlo::testing::addInvoiceStatuses(*ctx);
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }

    int32_t addInvoice(int32_t kunde, const char* total, int32_t dato,
                       const std::function<void(Record&)>& more = {})
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDEID, kunde);
        fak.rec().set(FAK::TOTALSUM, dec(total));
        fak.rec().set(FAK::SUM, dec(total));
        fak.rec().set(FAK::FAKTURADATO, dato);
        fak.rec().set(FAK::FORFALLSDATO, dato + 14);
        fak.rec().set(FAK::BETALINGSBETINGELSE, 14);
        fak.rec().set(FAK::MELDING, "Takk for handelen");
        if (more)
            more(fak.rec());
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        return id;
    }
    void addLine(int32_t faktura, int32_t nr, int32_t produkt, const char* antall)
    {
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, faktura);
        fli.rec().set(FLI::LINJENR, nr);
        fli.rec().set(FLI::PRODUKTID, produkt);
        fli.rec().set(FLI::ANTALL, dec(antall));
        fli.rec().set(FLI::SUM, dec(antall));
        fli.rec().set(FLI::BESKRIVELSE, "linje " + std::to_string(nr));
        EXPECT_EQ(fli.INSERT(), LEVEL_BENIGN);
        fli.CLOSE();
    }
    Record invoice(int32_t id)
    {
        Context other(&errors);
        auto& fak = other.access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().set(FAK::FAKTURAID, id);
        if (fak.TRYFETCH(FAK::KeyFakturaId) != LEVEL_BENIGN)
            fak.rec().clear();
        Record r = fak.rec();
        fak.CLOSE();
        return r;
    }
    std::vector<Record> linesOf(int32_t id)
    {
        Context other(&errors);
        auto& fli = other.access(Tbl::FAKLINJE);
        fli.OPEN();
        std::vector<Record> out;
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, id);
        fli.SETAT(FLI::KeyFakturaId_LinjeNr);
        while (fli.TRYNEXT() == LEVEL_BENIGN && fli.rec().get(FLI::FAKTURAID) == id)
            out.push_back(fli.rec());
        fli.CLOSE();
        return out;
    }
    int32_t addCustomerWithLimit(const char* limit)
    {
        const int id = addCustomer(*ctx, "Kari Nordmann");
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, id);
        EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::KREDITTGRENSE, dec(limit));
        EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
        return id;
    }
    int warnings() const
    {
        int n = 0;
        for (const auto& m : answers.shown)
            n += m.caption == "Advarsel";
        return n;
    }

    std::unique_ptr<Context> ctx;
};

TEST_F(FakturaTest, ACopyTakesEveryFieldAndLineWithNewNumbersAndTodaysDates)
{
    const int32_t kilde = addInvoice(0, "250", 80000, [](Record& r) {
        r.set(FAK::UTSKRIFTSTATUS, 3);
        r.set(FAK::PROSJEKTID, "P-1");
        r.set(FAK::BESKRIVELSE, "Beskrivelse");
    });
    const int produkt = addProduct(*ctx, "Skrue", [](Record& r) {
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("10"));
    });
    addLine(kilde, 2, produkt, "3");
    addLine(kilde, 1, produkt, "-1");
    const KopierValg valg = kopierForslag(*ctx, false);
    EXPECT_EQ(valg.fakturaStatus, 1);
    EXPECT_TRUE(valg.kopierLinjer);
    EXPECT_TRUE(valg.oppdaterDatoer);
    const int32_t ny = kopierFaktura(*ctx, kilde, valg);
    EXPECT_EQ(ny, kilde + 1);
    EXPECT_EQ(answers.shown.back().text,
              "Faktura/Kreditnota nr " + std::to_string(ny) + " er nå opprettet");
    const Record r = invoice(ny);
    EXPECT_EQ(r.get(FAK::TOTALSUM), dec("250"));
    EXPECT_EQ(r.get(FAK::KREDITNOTA), 0);
    EXPECT_EQ(r.get(FAK::FAKTURASTATUS), 1);
    EXPECT_EQ(r.get(FAK::UTSKRIFTSTATUS), 3);
    EXPECT_EQ(r.get(FAK::PROSJEKTID), "P-1");
    EXPECT_EQ(r.get(FAK::MELDING), "Takk for handelen");
    EXPECT_EQ(r.get(FAK::BESKRIVELSE), "Beskrivelse");
    EXPECT_EQ(r.get(FAK::FAKTURADATO), date::today());
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), date::today() + 14);
    EXPECT_EQ(r.get(FAK::BETALTDATO), 0);
    const auto lines = linesOf(ny);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].get(FLI::LINJENR), 1);
    EXPECT_EQ(lines[0].get(FLI::ANTALL), dec("-1")); // signs kept
    EXPECT_EQ(lines[1].get(FLI::BESKRIVELSE), "linje 2");
    EXPECT_NE(lines[0].get(FLI::FAKLINJEID), linesOf(kilde)[0].get(FLI::FAKLINJEID));
    EXPECT_EQ(linesOf(kilde).size(), 2u);
    // Stock is not changed by a copy.
    auto& pro = ctx->access(Tbl::PRODUKT);
    pro.OPEN();
    pro.rec().set(PRO::PRODUKTID, produkt);
    ASSERT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::LAGERBEHOLDNING), dec("10"));
    pro.CLOSE();
    EXPECT_EQ(kreditertFaktura(*ctx, ny), 0);
}

TEST_F(FakturaTest, APaidInvoiceCopiedWithoutNewDatesIsPaidWithTheSourcesDates)
{
    const int32_t kilde =
        addInvoice(0, "100", 80000, [](Record& r) { r.set(FAK::BETALTDATO, 80010); });
    KopierValg valg = kopierForslag(*ctx, false);
    valg.oppdaterDatoer = false;
    const Record r = invoice(kopierFaktura(*ctx, kilde, valg));
    EXPECT_EQ(r.get(FAK::FAKTURADATO), 80000);
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), 80014);
    EXPECT_EQ(r.get(FAK::BETALTDATO), 80010);
}

TEST_F(FakturaTest, ACreditNoteTurnsTheSignOnceNamesTheInvoiceAndIsSettledOnItsDueDate)
{
    const int32_t kilde = addInvoice(0, "100", 80000);
    addLine(kilde, 1, 0, "2");
    const int32_t kreditnota = kopierFaktura(*ctx, kilde, kopierForslag(*ctx, true));
    Record r = invoice(kreditnota);
    EXPECT_EQ(r.get(FAK::KREDITNOTA), 1);
    EXPECT_EQ(r.get(FAK::TOTALSUM), dec("-100"));
    EXPECT_EQ(r.get(FAK::FAKTURASTATUS), 2);
    EXPECT_EQ(r.get(FAK::BETALTDATO), date::today() + 14);
    EXPECT_EQ(linesOf(kreditnota)[0].get(FLI::ANTALL), dec("2")); // lines keep their sign
    EXPECT_EQ(kreditertFaktura(*ctx, kreditnota), kilde);

    // The credit note of a credit note keeps the sign, and credits the same invoice.
    const int32_t andre = kopierFaktura(*ctx, kreditnota, kopierForslag(*ctx, true));
    r = invoice(andre);
    EXPECT_EQ(r.get(FAK::TOTALSUM), dec("-100"));
    EXPECT_EQ(r.get(FAK::KREDITNOTA), 1);
    EXPECT_EQ(kreditertFaktura(*ctx, andre), kilde);

    // A deleted credit note takes its note along: the next invoice may get its number.
    auto& rel = ctx->relate(Tbl::FAKTURA);
    rel.OPEN();
    rel.me().rec().set(FAK::FAKTURAID, andre);
    ASSERT_EQ(rel.me().FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    ASSERT_EQ(rel.DELETE(false), LEVEL_BENIGN);
    rel.CLOSE();
    EXPECT_EQ(kreditertFaktura(*ctx, andre), 0);
    EXPECT_EQ(addInvoice(0, "5", 80000), andre);
    EXPECT_EQ(kreditertFaktura(*ctx, andre), 0);
    EXPECT_EQ(kreditertFaktura(*ctx, kreditnota), kilde);
}

TEST_F(FakturaTest, AStatusThatIsNotThereIsSaidAndTheCopyIsNoCreditNote)
{
    const int32_t kilde = addInvoice(0, "100", 80000);
    KopierValg valg;
    valg.fakturaStatus = 77;
    const int32_t ny = kopierFaktura(*ctx, kilde, valg);
    ASSERT_GT(ny, 0);
    EXPECT_EQ(answers.shown.front().text, "Det oppsto feil under oppslag på fakturastatus");
    EXPECT_EQ(invoice(ny).get(FAK::KREDITNOTA), 0);
    EXPECT_EQ(invoice(ny).get(FAK::TOTALSUM), dec("100"));
}

TEST_F(FakturaTest, ACopyOfAnInvoiceThatIsNotThereWritesNothing)
{
    EXPECT_EQ(kopierFaktura(*ctx, 42, kopierForslag(*ctx, false)), 0);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(answers.shown[0].text, "Det oppsto feil under oppslag på Faktura");
    EXPECT_EQ(invoice(1).get(FAK::FAKTURAID), 0);
}

TEST_F(FakturaTest, LeavingTheLinesOutGivesAnInvoiceWithoutLinesOrSums)
{
    const int32_t kilde = addInvoice(0, "100", 80000);
    addLine(kilde, 1, 0, "2");
    KopierValg valg = kopierForslag(*ctx, false);
    valg.kopierLinjer = false;
    const int32_t ny = kopierFaktura(*ctx, kilde, valg);
    EXPECT_TRUE(linesOf(ny).empty());
    EXPECT_EQ(invoice(ny).get(FAK::TOTALSUM), Decimal());
    EXPECT_EQ(invoice(ny).get(FAK::SUM), Decimal());
}

TEST_F(FakturaTest, TheCreditLimitWarnsOnceWhenTheUnpaidInvoicesPassIt)
{
    const int32_t kunde = addCustomerWithLimit("1000");
    addInvoice(kunde, "600", 80000);
    addInvoice(kunde, "500", 80010);
    addInvoice(kunde, "400", 80020);
    answers.shown.clear();
    SJEKKKREDITTGRENSE(*ctx, kunde);
    ASSERT_EQ(warnings(), 1);
    EXPECT_EQ(answers.shown[0].text, "Utestående fakturaer for Kari Nordmann har nå oversteget "
                                     "angitt kredittgrense på 1000.00 for denne kunden.");
}

TEST_F(FakturaTest, ACreditNoteBeforeTheLastInvoiceKeepsTheSumUnderTheLimit)
{
    const int32_t kunde = addCustomerWithLimit("1000");
    addInvoice(kunde, "600", 80000);
    addInvoice(kunde, "-200", 80005, [](Record& r) { r.set(FAK::KREDITNOTA, 1); });
    addInvoice(kunde, "500", 80010);
    answers.shown.clear();
    SJEKKKREDITTGRENSE(*ctx, kunde);
    EXPECT_EQ(warnings(), 0);
}

TEST_F(FakturaTest, ASumEqualToTheLimitOrPaidInvoicesGiveNoWarning)
{
    const int32_t kunde = addCustomerWithLimit("1000");
    addInvoice(kunde, "600", 80000);
    addInvoice(kunde, "400", 80010);
    addInvoice(kunde, "900", 80020, [](Record& r) { r.set(FAK::BETALTDATO, 80030); });
    const int32_t annen = addCustomer(*ctx, "Annen");
    addInvoice(annen, "5000", 80000);
    answers.shown.clear();
    SJEKKKREDITTGRENSE(*ctx, kunde);
    EXPECT_EQ(warnings(), 0);
    SJEKKKREDITTGRENSE(*ctx, annen); // no limit
    SJEKKKREDITTGRENSE(*ctx, 0);
    EXPECT_TRUE(answers.shown.empty());
    SJEKKKREDITTGRENSE(*ctx, 999);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det oppsto feil under oppslag på kunde/kredittgrense");
}

TEST_F(FakturaTest, TheProjectLinkNeedsADateAndAText)
{
    PrjLinkInfo info;
    info.tekst = "Tekst";
    EXPECT_FALSE(prjLinkInfoGodtatt(*ctx, info));
    EXPECT_EQ(answers.shown.back().text, "Dato er ikke utfylt");
    info.dato = 80000;
    info.tekst = "  ";
    EXPECT_FALSE(prjLinkInfoGodtatt(*ctx, info));
    EXPECT_EQ(answers.shown.back().text, "Tekst er ikke utfylt");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    info.tekst = "Ok";
    EXPECT_TRUE(prjLinkInfoGodtatt(*ctx, info));
}

} // namespace
