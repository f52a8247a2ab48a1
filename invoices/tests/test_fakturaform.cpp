// The invoice form and the line form, headless: the totals of an invoice, a line's sum and
// discounts, line numbers, headings, stock, moving lines, the customer copy and the saving steps.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "invoices/fakturaform.h"
#include "invoices/tests/statuses.h"

using namespace tavlo;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

Record line(const char* sum, bool mva, int32_t sats)
{
    Record l(table(Tbl::FAKLINJE));
    l.set(FLI::SUM, dec(sum));
    l.set(FLI::MVAPLIKTIG, mva ? 1 : 0);
    l.set(FLI::MVASATS, sats);
    return l;
}

TEST(FakturaSummering, VatIncludedOrAddedPerLineAndTheCreditNoteSignLast)
{
    FakturaSummering inkl(2);
    inkl.add(line("125", true, 25));
    FakturaSummer s = inkl.result(Decimal(), false);
    EXPECT_EQ(s.mvaGrunnlag, dec("125"));
    EXPECT_EQ(s.mva, dec("25"));
    EXPECT_EQ(s.totalsum, dec("125"));

    FakturaSummering eks(1);
    eks.add(line("125", true, 25));
    s = eks.result(Decimal(), false);
    EXPECT_EQ(s.mva, dec("31.25"));
    EXPECT_EQ(s.totalsum, dec("156.25"));
    // Rounded to whole kroner: 156.25 down, with what the rounding took shown.
    s = eks.result(dec("1"), false);
    EXPECT_EQ(s.totalsum, dec("156"));
    EXPECT_EQ(s.avrunding, dec("-0.25"));
    FakturaSummering halv(1);
    halv.add(line("125.20", true, 25)); // 156.50
    EXPECT_EQ(halv.result(dec("1"), false).totalsum, dec("157"));

    // A heading or a line without VAT adds to the sum only; each line's VAT is stored apart.
    FakturaSummering blandet(1);
    blandet.add(line("10", false, 25));
    blandet.add(line("0.03", true, 25)); // 0.0075 → 0.01
    blandet.add(line("0.03", true, 25));
    s = blandet.result(Decimal(), false);
    EXPECT_EQ(s.sum, dec("10.06"));
    EXPECT_EQ(s.mvaGrunnlag, dec("0.06"));
    EXPECT_EQ(s.mva, dec("0.02"));
    EXPECT_EQ(s.linjer, 3);

    FakturaSummering kreditt(0);
    kreditt.add(line("100", true, 25));
    s = kreditt.result(Decimal(), true);
    EXPECT_EQ(s.sum, dec("100"));
    EXPECT_EQ(s.mva, Decimal());
    EXPECT_EQ(s.totalsum, dec("-100"));
    EXPECT_EQ(FakturaSummering(1).result(dec("1"), false).totalsum, Decimal());
    EXPECT_EQ(FakturaSummering(1).result(dec("1"), false).avrunding, Decimal());
}

class FakturaFormTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        tavlo::testing::addInvoiceStatuses(*ctx);
        GLO::STD_MVA_TYPE = 1;
    }
    void TearDown() override
    {
        form.reset();
        ctx.reset();
        GLO::STD_MVA_TYPE = 0;
        DataFolderTest::TearDown();
    }
    // A new invoice's form, as the register opens it.
    FakturaForm& ny(int32_t kundeId = 0)
    {
        ctx->access(Tbl::FAKTURA).OPEN();
        form = std::make_unique<FakturaForm>(*ctx, kundeId, InsertRecord);
        EXPECT_EQ(form->start(), LEVEL_BENIGN);
        return *form;
    }
    // A line form over the open invoice; `id` 0 for a new line, primed as the invoice's list
    // primes it (its range, a reserved number).
    std::unique_ptr<FakturaLinjeForm> linjeForm(int request, int32_t id = 0)
    {
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, ctx->rec(Tbl::FAKTURA).get(FAK::FAKTURAID));
        if (request == InsertRecord) {
            EXPECT_EQ(fli.PRIMEAUTOINC(), LEVEL_BENIGN);
        }
        if (id) {
            fli.rec().set(FLI::FAKLINJEID, id);
            EXPECT_EQ(fli.FETCH(FLI::KeyFakLinjeId), LEVEL_BENIGN);
        }
        auto f = std::make_unique<FakturaLinjeForm>(*ctx, form->felles(), request);
        EXPECT_EQ(f->start(), LEVEL_BENIGN);
        return f;
    }
    int produkt(const char* pris, int beholdning)
    {
        return addProduct(*ctx, "Skrue", [&](Record& r) {
            r.set(PRO::ENHETSPRIS, dec(pris));
            r.set(PRO::MVAPLIKTIG, 1);
            r.set(PRO::MVASATS, 25);
            r.set(PRO::STDFAKTURALINJEANTALL, dec("1"));
            r.set(PRO::LAGERSTYRING, 1);
            r.set(PRO::LAGERBEHOLDNING, Decimal::fromInt(beholdning));
        });
    }
    Decimal beholdning(int32_t id)
    {
        Context other(&errors);
        auto& pro = other.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, id);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        const Decimal d = pro.rec().get(PRO::LAGERBEHOLDNING);
        pro.CLOSE();
        return d;
    }
    std::vector<int32_t> linjenumre()
    {
        std::vector<int32_t> nr;
        Context other(&errors);
        auto& fli = other.access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.SET(FLI::KeyFakLinjeId);
        while (fli.NEXT() == LEVEL_BENIGN)
            nr.push_back(fli.rec().get(FLI::LINJENR));
        fli.CLOSE();
        return nr;
    }

    std::unique_ptr<Context> ctx;
    std::unique_ptr<FakturaForm> form;
};

TEST_F(FakturaFormTest, ALineSumTakesTheDiscountAndItsBounds)
{
    ny();
    auto l = linjeForm(InsertRecord);
    Record& r = l->record();
    r.set(FLI::ANTALL, dec("3"));
    r.set(FLI::ENHETSPRIS, dec("100"));
    r.set(FLI::RABATT, dec("10"));
    l->rabattAccepted();
    EXPECT_EQ(l->delsum(), dec("300"));
    EXPECT_EQ(l->rabattkroner(), dec("30"));
    EXPECT_EQ(r.get(FLI::SUM), dec("270"));
    for (const char* rabatt : {"150", "-5"}) {
        r.set(FLI::RABATT, dec(rabatt));
        l->rabattAccepted();
        EXPECT_EQ(r.get(FLI::RABATT), Decimal()) << rabatt;
        EXPECT_EQ(r.get(FLI::SUM), dec("300"));
    }
    r.set(FLI::RABATT, dec("100"));
    l->rabattAccepted();
    EXPECT_EQ(r.get(FLI::RABATT), dec("100"));
    EXPECT_EQ(r.get(FLI::SUM), Decimal());
    r.set(FLI::ANTALL, Decimal());
    r.set(FLI::RABATT, dec("10"));
    l->antallAccepted();
    EXPECT_EQ(r.get(FLI::SUM), Decimal());
    EXPECT_EQ(l->delsum(), Decimal());
}

TEST_F(FakturaFormTest, AProductGivesTheLargerDiscountUpToItsMaximum)
{
    const int kunde = addCustomer(*ctx, "Kari");
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kunde);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::RABATT, dec("8"));
        ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
    }
    const int p = addProduct(*ctx, "Maling", [](Record& r) {
        r.set(PRO::STDFAKTURALINJERABATT, *Decimal::parse("5"));
        r.set(PRO::MAXFAKTURALINJERABATT, "6");
        r.set(PRO::MVAPLIKTIG, 1);
        r.set(PRO::MVASATS, 15);
        r.set(PRO::BESKRIVELSE, "Hvit   ");
    });
    ny(kunde);
    auto l = linjeForm(InsertRecord);
    EXPECT_EQ(l->record().get(FLI::RABATT), dec("8")); // the customer's, primed
    l->record().set(FLI::PRODUKTID, p);
    l->produktAccepted();
    EXPECT_EQ(l->record().get(FLI::RABATT), dec("6"));
    EXPECT_EQ(l->record().get(FLI::PRODUKTNAVN), "Maling");
    EXPECT_EQ(l->record().get(FLI::BESKRIVELSE), "Hvit");
    EXPECT_EQ(l->record().get(FLI::MVASATS), 15);
    EXPECT_EQ(l->record().get(FLI::MVAPLIKTIG), 1);
}

TEST_F(FakturaFormTest, WithoutVatTheProductsVatStaysOut)
{
    GLO::STD_MVA_TYPE = 0;
    const int p = produkt("10", 0);
    ny();
    auto l = linjeForm(InsertRecord);
    EXPECT_FALSE(l->mvaAapen());
    l->record().set(FLI::PRODUKTID, p);
    l->produktAccepted();
    EXPECT_EQ(l->record().get(FLI::MVAPLIKTIG), 0);
    EXPECT_EQ(l->record().get(FLI::MVASATS), 0);
}

TEST_F(FakturaFormTest, LinesGetConsecutiveNumbersAndATextOnlyLineIsAskedAboutAsAHeading)
{
    ny();
    auto l = linjeForm(InsertRecord);
    EXPECT_EQ(l->settings().insertAction, INSERT_STAY);
    for (int i = 0; i < 3; ++i) {
        l->record().set(FLI::PRODUKTNAVN, "Linje " + std::to_string(i));
        l->record().set(FLI::ANTALL, dec("1"));
        l->ok();
    }
    EXPECT_TRUE(answers.shown.empty());
    l->record().set(FLI::PRODUKTNAVN, "Arbeid i november");
    answers.answer(BUTTON_YES);
    l->ok();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Overskrift?");
    EXPECT_EQ(answers.shown[0].defaultButton, unsigned(BUTTON_YES));
    l->cancel(); // the fresh line primed after the last is given back
    l.reset();
    EXPECT_EQ(linjenumre(), (std::vector<int32_t>{1, 2, 3, 4}));
    form->summer();
    EXPECT_EQ(form->felles().hoyesteLinjenr, 4);
    auto& fli = ctx->access(Tbl::FAKLINJE_ALIAS);
    fli.OPEN();
    fli.rec().set(FLIA::FAKLINJEID, 4);
    ASSERT_EQ(fli.FETCH(FLIA::KeyFakLinjeId), LEVEL_BENIGN);
    EXPECT_EQ(fli.rec().get(FLIA::OVERSKRIFT), 1);
    fli.CLOSE();
}

TEST_F(FakturaFormTest, StockFollowsInsertChangeAndACancelledInvoice)
{
    const int p = produkt("10", 10);
    ny();
    auto l = linjeForm(InsertRecord);
    l->record().set(FLI::PRODUKTID, p);
    l->produktAccepted();
    l->record().set(FLI::ANTALL, dec("5"));
    l->antallAccepted();
    l->ok();
    EXPECT_EQ(beholdning(p), dec("5"));
    l->cancel();
    l.reset();
    const int32_t linje = 1; // the first line of the table

    auto c = linjeForm(ChangeRecord, linje);
    c->record().set(FLI::ANTALL, dec("3"));
    c->antallAccepted();
    c->ok();
    EXPECT_EQ(beholdning(p), dec("7")); // +2
    c.reset();
    c = linjeForm(ChangeRecord, linje);
    c->record().set(FLI::ANTALL, dec("5"));
    answers.shown.clear();
    c->antallAccepted(); // 7 in stock: no warning for 2 more
    EXPECT_TRUE(answers.shown.empty());
    c->ok();
    EXPECT_EQ(beholdning(p), dec("5")); // -2
    c.reset();
    c = linjeForm(ChangeRecord, linje);
    c->record().set(FLI::ANTALL, dec("12"));
    answers.shown.clear();
    answers.answer(BUTTON_YES);
    c->antallAccepted(); // 7 more, 5 in stock: warned, not refused
    EXPECT_FALSE(answers.shown.empty());
    c->cancel();
    c.reset();
    EXPECT_EQ(beholdning(p), dec("5"));

    // The unsaved invoice given back takes its line, and the line its quantity.
    answers.answer(BUTTON_NO);
    form->cancel();
    EXPECT_EQ(beholdning(p), dec("10"));
    EXPECT_TRUE(linjenumre().empty());
}

TEST_F(FakturaFormTest, TheFormsTotalsFollowItsLinesStatusAndVatType)
{
    GLO::STD_MVA_TYPE = 2;
    ny();
    auto l = linjeForm(InsertRecord);
    l->record().set(FLI::PRODUKTNAVN, "Vare");
    l->record().set(FLI::ANTALL, dec("1"));
    l->record().set(FLI::ENHETSPRIS, dec("125"));
    l->record().set(FLI::MVAPLIKTIG, 1);
    l->mvapliktigAccepted();
    EXPECT_EQ(l->record().get(FLI::MVASATS), 0); // no standard rate in the parameters
    l->record().set(FLI::MVASATS, 25);
    l->linjesum();
    l->ok();
    l->cancel();
    l.reset();
    form->summer();
    Record& f = form->record();
    EXPECT_EQ(f.get(FAK::MVA), dec("25"));
    EXPECT_EQ(f.get(FAK::TOTALSUM), dec("125"));
    EXPECT_EQ(form->mvaLedetekst(), "Herav MVA:");
    f.set(FAK::MVATYPE, 1);
    form->mvaTypeAccepted();
    EXPECT_EQ(f.get(FAK::TOTALSUM), dec("156.25"));
    EXPECT_EQ(form->mvaLedetekst(), "MVA:");
    f.set(FAK::FAKTURASTATUS, 2); // a credit-note status
    form->statusAccepted();
    EXPECT_EQ(f.get(FAK::KREDITNOTA), 1);
    EXPECT_EQ(f.get(FAK::TOTALSUM), dec("-156.25"));
    f.set(FAK::FAKTURASTATUS, 77);
    form->statusAccepted();
    EXPECT_EQ(f.get(FAK::KREDITNOTA), 0);
}

TEST_F(FakturaFormTest, TheFirstAndLastLineDoNotMovePastTheEnds)
{
    ny();
    auto l = linjeForm(InsertRecord);
    for (const char* t : {"A", "B", "C"}) {
        l->record().set(FLI::PRODUKTNAVN, t);
        l->record().set(FLI::ANTALL, dec("1"));
        l->ok();
    }
    l->cancel();
    l.reset();
    form->summer();
    auto& fli = ctx->access(Tbl::FAKLINJE);
    auto select = [&](int32_t id) {
        fli.rec().set(FLI::FAKLINJEID, id);
        ASSERT_EQ(fli.FETCH(FLI::KeyFakLinjeId), LEVEL_BENIGN);
    };
    select(1);
    EXPECT_FALSE(form->flyttOpp());
    select(3);
    EXPECT_FALSE(form->flyttNed());
    EXPECT_EQ(linjenumre(), (std::vector<int32_t>{1, 2, 3}));
    select(1);
    EXPECT_TRUE(form->flyttNed());
    EXPECT_EQ(linjenumre(), (std::vector<int32_t>{2, 1, 3}));
    select(3);
    EXPECT_TRUE(form->flyttOpp());
    EXPECT_EQ(linjenumre(), (std::vector<int32_t>{3, 1, 2}));
}

TEST_F(FakturaFormTest, TheCustomerIsCopiedInOrClearedAndTheDueDateFollows)
{
    addCode(*ctx, 101, 5003, "BERGEN");
    const int kunde = addCustomer(*ctx, "Kari Nordmann", 1);
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kunde);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::ADRESSE, "Bryggen 1");
        kun.rec().set(KUN::POSTNR, 5003);
        kun.rec().set(KUN::BETALINGSBETINGELSER, 14);
        kun.rec().set(KUN::HOVEDKONTAKT, 1);
        ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
    }
    FakturaForm& f = ny();
    Record& r = f.record();
    EXPECT_EQ(r.get(FAK::FAKTURADATO), date::today());
    EXPECT_EQ(r.get(FAK::FAKTURASTATUS), 1);
    EXPECT_EQ(r.get(FAK::UTSKRIFTSTATUS), 1);
    EXPECT_EQ(r.get(FAK::MVATYPE), 1);
    r.set(FAK::KUNDEID, kunde);
    f.kundeAccepted();
    EXPECT_EQ(r.get(FAK::KUNDENAVN), "Kari Nordmann");
    EXPECT_EQ(r.get(FAK::POSTSTED), "BERGEN");
    EXPECT_EQ(r.get(FAK::DERESREFERANSE), "Kari Nordmann kontakt 0");
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), date::today() + 14);
    r.set(FAK::FAKTURADATO, 80000);
    f.fakturadatoAccepted();
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), 80014);

    // Customer 0 leaves what was typed; a customer that is not there clears the copy.
    r.set(FAK::KUNDEID, 0);
    f.kundeAccepted();
    EXPECT_EQ(r.get(FAK::KUNDENAVN), "Kari Nordmann");
    r.set(FAK::KUNDEID, 999);
    f.kundeAccepted();
    EXPECT_EQ(r.get(FAK::KUNDEID), 0);
    EXPECT_EQ(r.get(FAK::KUNDENAVN), "");
    EXPECT_EQ(r.get(FAK::POSTNR), 0);
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), 0);
}

TEST_F(FakturaFormTest, SavingAsksAboutTheFirstDatesOnlyWhileTheStatusIsNew)
{
    const int kunde = addCustomer(*ctx, "Kari");
    FakturaForm& f = ny(kunde);
    const int32_t id = f.record().get(FAK::FAKTURAID);
    f.ok(); // the first dates are noted without a question
    EXPECT_TRUE(answers.shown.empty());
    form.reset();

    auto open = [&](int32_t fakturaId) {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().set(FAK::FAKTURAID, fakturaId);
        EXPECT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        form = std::make_unique<FakturaForm>(*ctx, 0, ChangeRecord);
        EXPECT_EQ(form->start(), LEVEL_BENIGN);
        return &form->record();
    };
    Record* r = open(id);
    EXPECT_EQ(r->get(FAK::OPPRINNELIGFAKTURADATO), date::today());
    r->set(FAK::FAKTURADATO, date::today() + 3);
    form->fakturadatoAccepted();
    answers.answer(BUTTON_YES);
    answers.answer(BUTTON_NO);
    form->ok();
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text,
              "Fakturadato er endret. Vil du oppdatere opprinnelig fakturadato?");
    EXPECT_EQ(answers.shown[0].defaultButton, unsigned(BUTTON_NO));
    EXPECT_EQ(answers.shown[1].text,
              "Forfallsdato er endret. Vil du oppdatere opprinnelig forfallsdato?");
    form.reset();
    r = open(id);
    EXPECT_EQ(r->get(FAK::OPPRINNELIGFAKTURADATO), date::today() + 3);
    EXPECT_EQ(r->get(FAK::OPPRINNELIGFORFALLSDATO), date::today());
    // With status 2 nothing is asked, and a new status is to be printed.
    answers.shown.clear();
    r->set(FAK::FAKTURASTATUS, 2);
    form->statusAccepted();
    r->set(FAK::UTSKRIFTSTATUS, 3);
    r->set(FAK::FAKTURADATO, date::today() + 9);
    form->ok();
    EXPECT_TRUE(answers.shown.empty());
    form.reset();
    r = open(id);
    EXPECT_EQ(r->get(FAK::OPPRINNELIGFAKTURADATO), date::today() + 3);
    EXPECT_EQ(r->get(FAK::UTSKRIFTSTATUS), 1);
}

TEST_F(FakturaFormTest, LinesAnotherUserAddedCountInTheSumsSaved)
{
    const int kunde = addCustomer(*ctx, "Kari");
    FakturaForm& f = ny(kunde);
    const int32_t id = f.record().get(FAK::FAKTURAID);
    f.ok();
    form.reset();
    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    fak.rec().set(FAK::FAKTURAID, id);
    ASSERT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    form = std::make_unique<FakturaForm>(*ctx, 0, ChangeRecord);
    ASSERT_EQ(form->start(), LEVEL_BENIGN);
    {
        Context other(&errors);
        auto& fli = other.access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, id);
        fli.rec().set(FLI::LINJENR, 1);
        fli.rec().set(FLI::SUM, dec("40"));
        ASSERT_EQ(fli.INSERT(), LEVEL_BENIGN);
        fli.CLOSE();
    }
    form->record().set(FAK::DERESREFERANSE, "Ola");
    form->ok();
    fak.rec().set(FAK::FAKTURAID, id);
    ASSERT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    EXPECT_EQ(fak.rec().get(FAK::SUM), dec("40"));
    EXPECT_EQ(fak.rec().get(FAK::DERESREFERANSE), "Ola");
}

TEST_F(FakturaFormTest, AnInvoiceWithoutACustomerOffersToStoreOne)
{
    FakturaForm& f = ny();
    f.record().set(FAK::KUNDENAVN, "Ny Kunde AS");
    f.record().set(FAK::BETALINGSBETINGELSE, 10);
    answers.answer(BUTTON_YES);
    f.ok();
    ASSERT_GE(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].caption, "Lagre kunde");
    EXPECT_EQ(answers.shown[1].text, "Kunde opprettet: 1");
    Context other(&errors);
    auto& kun = other.access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().set(KUN::KUNDEID, 1);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "Ny Kunde AS");
    EXPECT_EQ(kun.rec().get(KUN::BETALINGSBETINGELSER), 10);
    kun.CLOSE();
}

} // namespace
