// Invoices generated from billing bases, per basis and per customer.
#include "billing/generering.h"
#include "billing/tests/billingdata.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "invoices/fakturasummer.h"

using namespace tavlo;
using tavlo::testing::GrunnlagLinje;

namespace {

class GenereringTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLQ::TAG_FAKTURA.clear();
        GLQ::TAG_KUNDE.clear();
        GLQ::TAG_GRUNNLAG.clear();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        GLQ::TAG_FAKTURA.clear();
        GLQ::TAG_KUNDE.clear();
        GLQ::TAG_GRUNNLAG.clear();
        ctx.reset();
        DataFolderTest::TearDown();
    }
    static void mark(std::vector<TagEntry>& list, std::vector<int32_t> ids)
    {
        std::sort(ids.begin(), ids.end()); // the registers keep their marks in id order
        int32_t n = 0;
        for (int32_t id : ids)
            list.push_back({id, ++n});
    }
    std::vector<Record> invoices()
    {
        std::vector<Record> out;
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.SET(FAK::KeyFakturaId);
        while (fak.NEXT() == LEVEL_BENIGN)
            out.push_back(fak.rec());
        fak.CLOSE();
        return out;
    }
    std::vector<Record> lines(int32_t fakturaId)
    {
        std::vector<Record> out;
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.SET(FLI::KeyFakturaId_LinjeNr);
        while (fli.NEXT() == LEVEL_BENIGN)
            if (fli.rec().get(FLI::FAKTURAID) == fakturaId)
                out.push_back(fli.rec());
        fli.CLOSE();
        return out;
    }
    static Decimal d(const char* s) { return *Decimal::parse(s); }
    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(GenereringTest, MarkedBasesAreInvoicedInNumberOrderAndStayAsTheyWere)
{
    std::vector<int32_t> ids;
    for (int i = 1; i <= 7; ++i)
        ids.push_back(tavlo::testing::addGrunnlag(*ctx, "Kunde " + std::to_string(i), 1,
                                                  {{0, "2", "50", "100"}}, [](Record& r) {
                                                      r.set(GRU::BETALINGSBETINGELSE, 14);
                                                      r.set(GRU::MELDING, "Egen melding");
                                                      r.set(GRU::DIV, "Diverse");
                                                      r.set(GRU::HELTALL3, 42);
                                                      r.set(GRU::TEKST2, "Egen tekst");
                                                  }));
    mark(GLQ::TAG_GRUNNLAG, {7, 3, 5});
    FakturaGenerering g(*ctx, FakturaGenerering::PerGrunnlag);
    ASSERT_EQ(g.apne(), FakturaGenerering::Apning::Apnes);
    g.fakturadato = 82500;
    ASSERT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    EXPECT_EQ(answers.shown.back().text, "3 fakturaer er Generert");
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(g.fremdrift(), "3/3");
    EXPECT_TRUE(g.visFakturaer());
    EXPECT_STREQ(g.kartotekKaller(), "Grunnlag");

    const std::vector<Record> f = invoices();
    ASSERT_EQ(f.size(), 3u);
    const char* kunder[] = {"Kunde 3", "Kunde 5", "Kunde 7"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(f[i].get(FAK::FAKTURAID), i + 1);
        EXPECT_EQ(f[i].get(FAK::KUNDENAVN), kunder[i]);
        EXPECT_EQ(f[i].get(FAK::FAKTURADATO), 82500);
        EXPECT_EQ(f[i].get(FAK::FORFALLSDATO), 82514);
        EXPECT_EQ(f[i].get(FAK::FAKTURASTATUS), 1);
        EXPECT_EQ(f[i].get(FAK::UTSKRIFTSTATUS), 1);
        EXPECT_EQ(f[i].get(FAK::MELDING), "Egen melding");
        EXPECT_EQ(f[i].get(FAK::DIV), "Diverse");
        EXPECT_EQ(f[i].get(FAK::BESKRIVELSE), "");
        EXPECT_EQ(f[i].get(FAK::HELTALL3), 42);
        EXPECT_EQ(f[i].get(FAK::TEKST2), "Egen tekst");
        EXPECT_EQ(f[i].get(FAK::SUM), d("100"));
        EXPECT_EQ(f[i].get(FAK::MVA), d("25"));
        EXPECT_EQ(f[i].get(FAK::TOTALSUM), d("125"));
        const std::vector<Record> l = lines(i + 1);
        ASSERT_EQ(l.size(), 1u);
        EXPECT_EQ(l[0].get(FLI::SUM), d("100"));
        EXPECT_EQ(l[0].get(FLI::BESKRIVELSE), "Beskrivelse 1");
    }
    std::vector<int32_t> marked;
    for (const TagEntry& t : GLQ::TAG_FAKTURA)
        marked.push_back(t.id);
    EXPECT_EQ(marked, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(GLQ::TAG_GRUNNLAG.size(), 3u); // the bases' marks stay

    // Again: three more invoices of their own; a run without marking leaves the marks alone.
    g.markerFakturaer = false;
    ASSERT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    EXPECT_EQ(invoices().size(), 6u);
    EXPECT_EQ(GLQ::TAG_FAKTURA.size(), 3u);
    EXPECT_FALSE(g.visFakturaer());
}

TEST_F(GenereringTest, ABasisWithoutCustomerIsAskedForAndNoSkipsIt)
{
    const int32_t uten = tavlo::testing::addGrunnlag(*ctx, "", 0, {});
    const int32_t med = tavlo::testing::addGrunnlag(*ctx, "Hansen AS", 0, {});
    mark(GLQ::TAG_GRUNNLAG, {uten, med});
    FakturaGenerering g(*ctx, FakturaGenerering::PerGrunnlag);
    answers.answer(BUTTON_NO);
    ASSERT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    EXPECT_EQ(answers.shown[0].text, "Kunde er ikke angitt på grunnlag nr " + std::to_string(uten) +
                                         ". Vil du generere faktura for denne posten allikevel?");
    EXPECT_EQ(answers.shown[0].defaultButton, static_cast<unsigned>(BUTTON_NO));
    EXPECT_EQ(g.hoppetOver(), std::vector<int32_t>{uten});
    const std::vector<Record> f = invoices();
    ASSERT_EQ(f.size(), 1u);
    // A basis without lines, and an empty invoice date: sums 0, no dates.
    EXPECT_EQ(f[0].get(FAK::TOTALSUM), Decimal());
    EXPECT_EQ(f[0].get(FAK::FAKTURADATO), 0);
    EXPECT_EQ(f[0].get(FAK::FORFALLSDATO), 0);
    EXPECT_EQ(answers.shown.back().text, "1 fakturaer er Generert");
}

TEST_F(GenereringTest, PerCustomerTheCustomersOwnDataTermsAndTheRunsMessageAreUsed)
{
    addCode(*ctx, 101, 5003, "Bergen");
    const int32_t a = addCustomer(*ctx, "Hansen AS", 2);
    const int32_t b = addCustomer(*ctx, "Olsen & Bas");
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        for (auto [id, terms] : {std::pair{a, 10}, {b, 30}}) {
            kun.rec().set(KUN::KUNDEID, id);
            ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
            kun.rec().set(KUN::BETALINGSBETINGELSER, terms);
            kun.rec().set(KUN::POSTNR, 5003);
            kun.rec().set(KUN::HOVEDKONTAKT, id == a ? 2 : 0);
            ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        }
        kun.CLOSE();
    }
    const int32_t skrue = addProduct(*ctx, "Skrue", [](Record& r) {
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("10"));
    });
    const int32_t basis = tavlo::testing::addGrunnlag(
        *ctx, "", 2, {{skrue, "3", "41,67", "125"}, {0, "1", "10", "10", 0, true}},
        [](Record& r) { r.set(GRU::MELDING, "Fra grunnlaget"); });
    mark(GLQ::TAG_KUNDE, {b, a});

    FakturaGenerering g(*ctx, FakturaGenerering::PerKunde);
    ASSERT_EQ(g.apne(), FakturaGenerering::Apning::Apnes);
    EXPECT_EQ(g.generer(), FakturaGenerering::Utfall::Ingenting);
    EXPECT_EQ(answers.shown.back().text, "Du må angi grunnlag");
    g.grunnlagAccepted(999);
    EXPECT_EQ(g.grunnlagId(), 0);
    g.grunnlagAccepted(basis);
    EXPECT_EQ(g.grunnlagTekst(), "Grunnlag for ");
    EXPECT_EQ(g.melding, "Fra grunnlaget");
    g.melding = "Kjøremelding   ";
    g.fakturadato = 82500;
    const std::size_t before = answers.shown.size();
    ASSERT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    // Nothing asked: the basis has no customer, and the stock is taken silently.
    EXPECT_EQ(answers.shown.size(), before + 1);
    EXPECT_STREQ(g.kartotekKaller(), "Kunde");

    const std::vector<Record> f = invoices();
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].get(FAK::KUNDEID), a);
    EXPECT_EQ(f[0].get(FAK::KUNDENAVN), "Hansen AS");
    EXPECT_EQ(f[0].get(FAK::POSTSTED), "Bergen");
    EXPECT_EQ(f[0].get(FAK::KONTAKTID), 2);
    EXPECT_EQ(f[0].get(FAK::FORFALLSDATO), 82510);
    EXPECT_EQ(f[1].get(FAK::FORFALLSDATO), 82530);
    EXPECT_EQ(f[0].get(FAK::MELDING), "Kjøremelding");
    // Prices with VAT: 125 at 25 % holds 25 VAT; the line at rate 0 counts in the VAT base,
    // as the invoice form counts it, and the totals are what the form finds on the lines.
    EXPECT_EQ(f[0].get(FAK::SUM), d("135"));
    EXPECT_EQ(f[0].get(FAK::MVA), d("25"));
    EXPECT_EQ(f[0].get(FAK::SUMMVAGRUNNLAG), d("135"));
    EXPECT_EQ(f[0].get(FAK::TOTALSUM), d("135"));
    FakturaSummer s;
    ASSERT_TRUE(summerFaktura(*ctx, 1, 2, Decimal(), false, s));
    EXPECT_EQ(s.totalsum, f[0].get(FAK::TOTALSUM));
    EXPECT_EQ(s.mvaGrunnlag, f[0].get(FAK::SUMMVAGRUNNLAG));

    auto& pro = ctx->access(Tbl::PRODUKT);
    pro.OPEN();
    pro.rec().set(PRO::PRODUKTID, skrue);
    ASSERT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::LAGERBEHOLDNING), d("4"));
    pro.CLOSE();
    EXPECT_EQ(GLQ::TAG_KUNDE.size(), 2u);

    // A message of blanks is no message.
    g.melding = "   ";
    g.utvalg = std::vector<int32_t>{b};
    ASSERT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    EXPECT_EQ(invoices().back().get(FAK::MELDING), "Fra grunnlaget");
}

TEST_F(GenereringTest, ABasisNamingACustomerIsRefusedPerCustomerUnlessTheUserAgrees)
{
    const int32_t kunde = addCustomer(*ctx, "Berg");
    const int32_t basis = tavlo::testing::addGrunnlag(*ctx, "Hansen AS", 1, {{0, "1", "80", "80"}});
    FakturaGenerering g(*ctx, FakturaGenerering::PerKunde);
    EXPECT_EQ(g.apne(), FakturaGenerering::Apning::IngenMerket);
    EXPECT_EQ(answers.shown.back().text, "Ingen kunder markert");
    mark(GLQ::TAG_KUNDE, {kunde});
    g.grunnlagAccepted(basis);
    answers.answer(BUTTON_NO);
    EXPECT_EQ(g.generer(), FakturaGenerering::Utfall::Ingenting);
    EXPECT_TRUE(invoices().empty());
    answers.answer(BUTTON_YES);
    EXPECT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    ASSERT_EQ(invoices().size(), 1u);
    EXPECT_EQ(invoices()[0].get(FAK::KUNDENAVN), "Berg");

    // The marks gone meanwhile: the window closes; a stop after the first invoice keeps it.
    GLQ::TAG_KUNDE.clear();
    EXPECT_EQ(g.generer(), FakturaGenerering::Utfall::Lukk);
    EXPECT_EQ(answers.shown.back().text, "Ingen kunder er markert");
    FakturaGenerering other(*ctx, 3);
    EXPECT_EQ(other.apne(), FakturaGenerering::Apning::UkjentType);
}

TEST_F(GenereringTest, AStoppedRunKeepsTheInvoicesMadeWholeAndSaysHowMany)
{
    const int32_t basis = tavlo::testing::addGrunnlag(*ctx, "", 1, {{0, "1", "80", "80"}});
    std::vector<int32_t> kunder;
    for (int i = 0; i < 5; ++i)
        kunder.push_back(addCustomer(*ctx, "Kunde " + std::to_string(i)));
    mark(GLQ::TAG_KUNDE, kunder);
    FakturaGenerering g(*ctx, FakturaGenerering::PerKunde);
    g.grunnlagAccepted(basis);
    g.stopp = [&g] { return g.generert() == 2; };
    EXPECT_EQ(g.generer(), FakturaGenerering::Utfall::Ferdig);
    EXPECT_EQ(answers.shown.back().text, "2 fakturaer er Generert");
    EXPECT_EQ(g.fremdrift(), "2/5");
    EXPECT_EQ(invoices().size(), 2u);
    EXPECT_EQ(GLQ::TAG_FAKTURA.size(), 2u);
    EXPECT_EQ(lines(2).size(), 1u);
}
