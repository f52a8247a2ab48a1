// The billing-basis form and its line form, headless: priming, the due date, the customer from
// the customer's list, line numbers, moving lines, a line's sum and discounts, the totals and
// headings, on the basis's own tables.
#include "billing/grunnlagform.h"
#include "billing/tests/billingdata.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

class GrunnlagFormTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        GLO::STD_MVA_TYPE = 1;
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::VAARREFERANSESTD, "Kari Nordmann");
        par.rec().set(PAR::STDMVASATS, 25);
        par.rec().set(PAR::AVRUNDING, dec("1"));
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
    }
    void TearDown() override
    {
        form.reset();
        ctx.reset();
        GLO::STD_MVA_TYPE = 0;
        DataFolderTest::TearDown();
    }
    GrunnlagForm& open(int request, int32_t id = 0, int32_t kundeId = 0)
    {
        auto& gru = ctx->access(Tbl::GRUNNLAG);
        gru.OPEN();
        if (id) {
            gru.rec().set(GRU::GRUNNLAGID, id);
            EXPECT_EQ(gru.FETCH(GRU::KeyGrunnlagId), LEVEL_BENIGN);
        } else {
            gru.rec().clear();
            gru.rec().set(GRU::KUNDEID, kundeId);
        }
        form = std::make_unique<GrunnlagForm>(*ctx, kundeId, request);
        EXPECT_EQ(form->start(), LEVEL_BENIGN);
        return *form;
    }
    std::unique_ptr<GrunnlagLinjeForm> linjeForm(int request, int32_t id = 0)
    {
        auto& gli = ctx->access(Tbl::GRULINJE);
        gli.OPEN();
        gli.rec().clear();
        gli.rec().set(GLI::GRUNNLAGID, ctx->rec(Tbl::GRUNNLAG).get(GRU::GRUNNLAGID));
        if (request == InsertRecord) {
            EXPECT_EQ(gli.PRIMEAUTOINC(), LEVEL_BENIGN);
        }
        if (id) {
            gli.rec().set(GLI::GRULINJEID, id);
            EXPECT_EQ(gli.FETCH(GLI::KeyGruLinjeId), LEVEL_BENIGN);
        }
        auto f = std::make_unique<GrunnlagLinjeForm>(*ctx, form->felles(), request);
        EXPECT_EQ(f->start(), LEVEL_BENIGN);
        return f;
    }
    // Line numbers of basis 1 by line id.
    std::vector<std::pair<int32_t, int32_t>> numre()
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        auto& glia = ctx->access(Tbl::GRULINJE_ALIAS);
        glia.OPEN();
        glia.SET(GLIA::KeyGruLinjeId);
        while (glia.NEXT() == LEVEL_BENIGN)
            out.emplace_back(glia.rec().get(GLIA::GRULINJEID), glia.rec().get(GLIA::LINJENR));
        glia.CLOSE();
        return out;
    }
    std::unique_ptr<Context> ctx;
    std::unique_ptr<GrunnlagForm> form;
};

} // namespace

TEST_F(GrunnlagFormTest, ANewBasisIsPrimedAndTakesTheCustomerItWasOpenedFor)
{
    addCode(*ctx, 101, 5003, "Bergen");
    const int32_t kunde = addCustomer(*ctx, "Hansen AS", 1);
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kunde);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::POSTNR, 5003);
        kun.rec().set(KUN::BETALINGSBETINGELSER, 20);
        kun.rec().set(KUN::HOVEDKONTAKT, 1);
        ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
    }
    GrunnlagForm& f = open(InsertRecord, 0, kunde);
    EXPECT_EQ(f.caption(), "Ny grunnlag");
    EXPECT_TRUE(f.kundeLast());
    Record& r = f.record();
    EXPECT_EQ(r.get(GRU::FAKTURASTATUS), 1);
    EXPECT_EQ(r.get(GRU::VARREFERANSE), "Kari Nordmann");
    EXPECT_EQ(r.get(GRU::MVATYPE), 1);
    EXPECT_EQ(r.get(GRU::KUNDENAVN), "Hansen AS");
    EXPECT_EQ(r.get(GRU::POSTSTED), "Bergen");
    EXPECT_EQ(r.get(GRU::BETALINGSBETINGELSE), 20);
    EXPECT_EQ(r.get(GRU::DERESREFERANSE), "Hansen AS kontakt 0");
    EXPECT_EQ(r.get(GRU::KONTAKTID), 0); // the form does not set it

    // The due date only when both the date and the terms are there.
    EXPECT_EQ(r.get(GRU::FORFALLSDATO), 0);
    r.set(GRU::FAKTURADATO, 82500);
    f.fakturadatoAccepted();
    EXPECT_EQ(r.get(GRU::FORFALLSDATO), 82520);
    r.set(GRU::BETALINGSBETINGELSE, 0);
    f.betalingsbetingelseAccepted();
    EXPECT_EQ(r.get(GRU::FORFALLSDATO), 82520);
    EXPECT_EQ(f.mvaLedetekst(), "MVA:");
    r.set(GRU::MVATYPE, 2);
    f.mvaTypeAccepted();
    EXPECT_EQ(f.mvaLedetekst(), "Herav MVA:");
}

TEST_F(GrunnlagFormTest, LineNumbersFollowTheHighestAndMovingSwapsWithTheNeighbour)
{
    const int32_t id = tavlo::testing::addGrunnlag(*ctx, "Berg", 1, {{}, {}, {}});
    // Lines 1, 2, 5: the third renumbered.
    {
        auto& gli = ctx->access(Tbl::GRULINJE);
        gli.OPEN();
        gli.rec().set(GLI::GRULINJEID, 3);
        ASSERT_EQ(gli.FETCH(GLI::KeyGruLinjeId), LEVEL_BENIGN);
        gli.rec().set(GLI::LINJENR, 5);
        ASSERT_EQ(gli.UPDATE(), LEVEL_BENIGN);
        gli.CLOSE();
    }
    GrunnlagForm& f = open(ChangeRecord, id);
    EXPECT_EQ(f.felles().hoyesteLinjenr, 5);
    auto l = linjeForm(InsertRecord);
    EXPECT_EQ(l->caption(), "Ny grunnlaglinje");
    EXPECT_EQ(l->record().get(GLI::LINJENR), 6);
    l->record().set(GLI::PRODUKTNAVN, "Tekst");
    answers.answer(BUTTON_NO);
    l->ok();
    EXPECT_EQ(l->record().get(GLI::LINJENR), 7); // the fresh line after it
    l->cancel();
    l.reset();
    f.summer();

    // The highest cannot go down, line 1 not up; line 2 down takes line 5's place.
    ctx->rec(Tbl::GRULINJE).set(GLI::GRULINJEID, 4);
    EXPECT_FALSE(f.flyttNed());
    ctx->rec(Tbl::GRULINJE).set(GLI::GRULINJEID, 1);
    EXPECT_FALSE(f.flyttOpp());
    ctx->rec(Tbl::GRULINJE).set(GLI::GRULINJEID, 2);
    EXPECT_TRUE(f.flyttNed());
    EXPECT_EQ(numre(), (std::vector<std::pair<int32_t, int32_t>>{{1, 1}, {2, 5}, {3, 2}, {4, 6}}));
}

TEST_F(GrunnlagFormTest, ALinesSumDiscountsHeadingAndTheRoundedTotals)
{
    const int32_t p = addProduct(*ctx, "Filter", [](Record& r) {
        r.set(PRO::ENHETSPRIS, dec("100"));
        r.set(PRO::MVAPLIKTIG, 1);
        r.set(PRO::STDFAKTURALINJERABATT, dec("25"));
        r.set(PRO::MAXFAKTURALINJERABATT, "20,00");
        r.set(PRO::STDFAKTURALINJEANTALL, dec("1"));
    });
    const int32_t id = tavlo::testing::addGrunnlag(*ctx, "Berg", 1, {});
    GrunnlagForm& f = open(ChangeRecord, id);
    auto l = linjeForm(InsertRecord);
    Record& r = l->record();
    r.set(GLI::PRODUKTID, p);
    l->produktAccepted();
    EXPECT_EQ(r.get(GLI::PRODUKTNAVN), "Filter");
    EXPECT_EQ(r.get(GLI::RABATT), dec("20")); // capped by the product's highest
    EXPECT_EQ(r.get(GLI::MVASATS), 25);       // the standard rate for a rate of 0
    r.set(GLI::ANTALL, dec("3"));
    r.set(GLI::RABATT, dec("10"));
    l->rabattAccepted();
    EXPECT_EQ(l->delsum(), dec("300"));
    EXPECT_EQ(l->rabattkroner(), dec("30"));
    EXPECT_EQ(r.get(GLI::SUM), dec("270"));
    r.set(GLI::RABATT, dec("150"));
    l->rabattAccepted();
    EXPECT_EQ(r.get(GLI::RABATT), Decimal());
    r.set(GLI::OVERSKRIFT, 1);
    l->overskriftChanged();
    r.set(GLI::OVERSKRIFT, 0);
    l->overskriftChanged();
    EXPECT_EQ(r.get(GLI::PRODUKTID), 0);
    EXPECT_EQ(r.get(GLI::ENHETSPRIS), Decimal());
    EXPECT_EQ(r.get(GLI::BESKRIVELSE), "");
    l->cancel();
    l.reset();

    // 100.40 at 25 % without VAT in the prices: 25.10 VAT, 125.50 rounded to whole kroner.
    {
        auto& gli = ctx->access(Tbl::GRULINJE);
        gli.OPEN();
        gli.rec().clear();
        gli.rec().set(GLI::GRUNNLAGID, id);
        gli.rec().set(GLI::LINJENR, 1);
        gli.rec().set(GLI::SUM, dec("100.40"));
        gli.rec().set(GLI::MVAPLIKTIG, 1);
        gli.rec().set(GLI::MVASATS, 25);
        ASSERT_EQ(gli.INSERT(), LEVEL_BENIGN);
        gli.CLOSE();
    }
    f.summer();
    EXPECT_EQ(f.record().get(GRU::MVA), dec("25.10"));
    EXPECT_EQ(f.record().get(GRU::TOTALSUM), dec("126"));
    EXPECT_EQ(f.avrunding(), dec("0.50"));
    EXPECT_TRUE(f.avrundingAapen());
}
