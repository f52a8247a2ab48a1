// The customer form's rules and the contact form's: the main contact, what a changed customer
// does to its billing bases, and the contact's copies of the customer's numbers.
#include "customers/kundeform.h"
#include "customers/tlku.h"
#include "data/slots.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

class KundeFormTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        kundeId = addCustomer(*ctx, "Fjord AS");
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kundeId);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::ADRESSE, "Kaien 1");
        kun.rec().set(KUN::POSTNR, 5003);
        kun.rec().set(KUN::BETALINGSBETINGELSER, 14);
        ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }
    // A billing basis of a customer whose copied fields are stale.
    int32_t addGrunnlag(int32_t kunde)
    {
        auto& gru = ctx->access(Tbl::GRUNNLAG);
        gru.OPEN();
        gru.rec().clear();
        gru.rec().set(GRU::KUNDEID, kunde);
        gru.rec().set(GRU::KUNDENAVN, "Gammelt navn");
        gru.rec().set(GRU::POSTNR, 1);
        gru.rec().set(GRU::POSTSTED, "Gammelt sted");
        EXPECT_EQ(gru.INSERT(), LEVEL_BENIGN);
        const int32_t id = gru.rec().get(GRU::GRUNNLAGID);
        gru.CLOSE();
        return id;
    }
    Record grunnlag(int32_t id)
    {
        auto& gru = ctx->access(Tbl::GRUNNLAG);
        gru.OPEN();
        gru.rec().clear();
        gru.rec().set(GRU::GRUNNLAGID, id);
        EXPECT_EQ(gru.FETCH(GRU::KeyGrunnlagId), LEVEL_BENIGN);
        Record r = gru.rec();
        gru.CLOSE();
        return r;
    }
    // The customer as stored into the buffer, as the register loads it for the form.
    void load()
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kundeId);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    }
    // Changes the customer through the form and saves it.
    int change(const std::function<void(Record&)>& edit)
    {
        load();
        KundeForm form(*ctx, ChangeRecord);
        EXPECT_EQ(form.start(), LEVEL_BENIGN);
        edit(form.record());
        form.ok();

        EXPECT_EQ(form.response(), RequestCompleted);
        return form.grunnlagOppdatert();
    }

    std::unique_ptr<Context> ctx;
    int32_t kundeId = 0;
};

} // namespace

TEST_F(KundeFormTest, MarkingTheMainContactTwiceClearsIt)
{
    KundeForm form(*ctx, ChangeRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    EXPECT_EQ(form.caption(), "Endre/vise kunde");
    form.markHovedkontakt(7);
    EXPECT_EQ(form.record().get(KUN::HOVEDKONTAKT), 7);
    form.markHovedkontakt(8);
    EXPECT_EQ(form.record().get(KUN::HOVEDKONTAKT), 8);
    form.markHovedkontakt(8);
    EXPECT_EQ(form.record().get(KUN::HOVEDKONTAKT), 0);
    form.markHovedkontakt(7);
    form.fjernHovedkontakt();
    EXPECT_EQ(form.record().get(KUN::HOVEDKONTAKT), 0);
    form.cancel();
}

TEST_F(KundeFormTest, ANewCustomerIsRegisteredTodayAndTheCodeTextsFollowTheFields)
{
    addCode(*ctx, 101, 5003, "BERGEN");
    KundeForm form(*ctx, InsertRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    EXPECT_EQ(form.caption(), "Ny kunde");
    EXPECT_EQ(form.record().get(KUN::REGISTRERINGSDATO), date::today());
    EXPECT_NE(form.record().get(KUN::KUNDEID), 0);
    form.record().set(KUN::POSTNR, 5003);
    EXPECT_EQ(form.poststed(), "BERGEN");
    form.record().set(KUN::POSTNR, 9999);
    EXPECT_EQ(form.poststed(), "");
    EXPECT_EQ(form.record().get(KUN::POSTNR), 9999) << "a code without a match stays as typed";
    EXPECT_TRUE(answers.shown.empty());
    form.cancel();
}

TEST_F(KundeFormTest, ADiscountChangeRewritesEveryBasisAndWarnsAboutTheDiscount)
{
    const int32_t a = addGrunnlag(kundeId);
    const int32_t b = addGrunnlag(kundeId);
    const int32_t other = addGrunnlag(addCustomer(*ctx, "Annen"));
    answers.answer(BUTTON_YES);
    EXPECT_EQ(change([](Record& r) { r.set(KUN::RABATT, Decimal::fromCents(1000)); }), 2);
    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[0].caption, "Oppdater grunnlag?");
    EXPECT_EQ(answers.shown[0].defaultButton, unsigned(BUTTON_YES));
    EXPECT_EQ(answers.shown[1].caption, "Advarsel");
    EXPECT_EQ(answers.shown[2].caption, "Info");
    EXPECT_EQ(answers.shown[2].text, "2 fakturagrunnlag er oppdatert");
    for (int32_t id : {a, b}) {
        const Record g = grunnlag(id);
        EXPECT_EQ(g.get(GRU::KUNDENAVN), "Fjord AS");
        EXPECT_EQ(g.get(GRU::ADRESSE), "Kaien 1");
        EXPECT_EQ(g.get(GRU::POSTNR), 5003);
        EXPECT_EQ(g.get(GRU::BETALINGSBETINGELSE), 14);
        EXPECT_EQ(g.get(GRU::POSTSTED), "Gammelt sted");
    }
    EXPECT_EQ(grunnlag(other).get(GRU::KUNDENAVN), "Gammelt navn");
}

TEST_F(KundeFormTest, NoOnTheQuestionOrNoBasesLeavesEverythingUnsaid)
{
    // No bases: nothing is asked however much changed.
    EXPECT_EQ(change([](Record& r) { r.set(KUN::NAVN, "Fjord og Fjell AS"); }), 0);
    EXPECT_TRUE(answers.shown.empty());

    const int32_t a = addGrunnlag(kundeId);
    // A change to a field the bases do not copy asks nothing.
    EXPECT_EQ(change([](Record& r) { r.set(KUN::TELEFON, "55 00 00 00"); }), 0);
    EXPECT_TRUE(answers.shown.empty());

    answers.answer(BUTTON_NO);
    EXPECT_EQ(change([](Record& r) {
                  r.set(KUN::NAVN, "Fjell AS");
                  r.set(KUN::RABATT, Decimal::fromCents(500));
              }),
              0);
    EXPECT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(grunnlag(a).get(GRU::KUNDENAVN), "Gammelt navn");
}

TEST_F(KundeFormTest, TheBillingBasesTabListsThisCustomersOnly)
{
    addGrunnlag(kundeId);
    addGrunnlag(addCustomer(*ctx, "Annen"));
    addGrunnlag(kundeId);
    load();
    KundeForm form(*ctx, ViewRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    auto list = form.grunnlag();
    list->setTab(0);
    EXPECT_EQ(list->model().rowCount(), 2);
    form.cancel();
}

TEST(Tlku, InitialisesOnce)
{
    ErrorClass errors, other;
    TLKU::INIT(errors, nullptr);
    TLKU::INIT(other, nullptr); // a second call does nothing
    EXPECT_EQ(&TLKU::errorManager(), &errors);
    TLKU::KILL();
}

TEST_F(KundeFormTest, TheInvoiceTabShowsThePeriodWithItsSumsAndUnknownStatuses)
{
    addCode(*ctx, 105, 1, "Betalt", [](Record& r) { r.set(KOD::LONG2, 255); });
    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    auto invoice = [&](int32_t kunde, int32_t dato, int32_t betalt, int32_t status, int64_t sum) {
        fak.rec().clear();
        fak.rec().set(FAK::KUNDEID, kunde);
        fak.rec().set(FAK::FAKTURADATO, dato);
        fak.rec().set(FAK::BETALTDATO, betalt);
        fak.rec().set(FAK::FAKTURASTATUS, status);
        fak.rec().set(FAK::TOTALSUM, Decimal::fromCents(sum));
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
    };
    invoice(kundeId, 80000, 80010, 1, 10000);
    invoice(kundeId, 80100, 0, 9, 2550);
    invoice(kundeId, 80200, 80210, 1, 500);
    invoice(addCustomer(*ctx, "Annen"), 80100, 80110, 1, 99900);
    fak.CLOSE();

    load();
    KundeForm form(*ctx, ViewRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    auto list = form.fakturaer();
    list->setTab(0);
    EXPECT_EQ(list->model().rowCount(), 3);
    KundeForm::Summer sum = form.fakturaSummer(*list);
    EXPECT_EQ(sum.total, Decimal::fromCents(13050));
    EXPECT_EQ(sum.betalt, Decimal::fromCents(10500));

    form.setFakturaPeriode(*list, 80100, 80150);
    ASSERT_EQ(list->model().rowCount(), 1);
    sum = form.fakturaSummer(*list);
    EXPECT_EQ(sum.total, Decimal::fromCents(2550));
    EXPECT_EQ(sum.betalt, Decimal());
    EXPECT_EQ(list->model().data(list->model().index(0, 0), PagedTableModel::MarkRole), 9);
    EXPECT_EQ(fakturaStatus(*ctx, 9).tekst, "???");
    EXPECT_FALSE(fakturaStatus(*ctx, 9).farge.has_value());
    EXPECT_EQ(fakturaStatus(*ctx, 1).tekst, "Betalt");
    EXPECT_EQ(fakturaStatus(*ctx, 1).farge, 255);

    form.setFakturaPeriode(*list, 80100, 0);
    EXPECT_EQ(list->model().rowCount(), 2);
    form.cancel();
}

TEST_F(KundeFormTest, TheContactCopiesAskOnlyBeforeOverwriting)
{
    load();
    auto& kun = ctx->rec(Tbl::KUNDE);
    kun.set(KUN::TELEFON, "55 12 34 56");
    kun.set(KUN::MOBIL, "");
    kun.set(KUN::EMAIL, "post@fjord.no");
    ctx->rec(Tbl::KONTAKT).clear();
    ctx->rec(Tbl::KONTAKT).set(KON::KUNDEID, kundeId);
    KontaktForm form(*ctx, InsertRecord);
    ASSERT_EQ(form.init(), LEVEL_BENIGN);
    EXPECT_EQ(form.caption(), "Ny kontaktperson  (New)");

    EXPECT_TRUE(form.kopier(KontaktForm::Telefon));
    EXPECT_EQ(form.record().get(KON::TELEFON), "55 12 34 56");
    EXPECT_TRUE(answers.shown.empty());

    form.record().set(KON::EMAIL, "ola@fjord.no");
    answers.answer(BUTTON_NO);
    EXPECT_FALSE(form.kopier(KontaktForm::Epost));
    EXPECT_EQ(form.record().get(KON::EMAIL), "ola@fjord.no");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Vil du overskrive allerede angitt E-post adresse?");
    EXPECT_EQ(answers.shown[0].defaultButton, unsigned(BUTTON_NO));

    // An empty customer value empties the contact's after Yes.
    form.record().set(KON::MOBIL, "900 00 000");
    answers.answer(BUTTON_YES);
    EXPECT_TRUE(form.kopier(KontaktForm::Mobil));
    EXPECT_EQ(form.record().get(KON::MOBIL), "");
    form.cancel();
}

TEST_F(KundeFormTest, SavingTheFormRewritesTheBasesLeavingItDoesNot)
{
    const int32_t a = addGrunnlag(kundeId);
    load();
    {
        KundeForm form(*ctx, ChangeRecord);
        ASSERT_EQ(form.start(), LEVEL_BENIGN);
        form.record().set(KUN::NAVN, "Fjord og Fjell AS");
        answers.answer(BUTTON_NO); // not saved
        form.cancel();
        EXPECT_TRUE(form.closed());
        EXPECT_EQ(form.grunnlagOppdatert(), 0);
    }
    EXPECT_EQ(grunnlag(a).get(GRU::KUNDENAVN), "Gammelt navn");
    ASSERT_EQ(answers.shown.size(), 1u) << "no question about the bases";
    EXPECT_NE(answers.shown[0].caption, "Oppdater grunnlag?");

    answers.shown.clear();
    load();
    KundeForm form(*ctx, ChangeRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    form.record().set(KUN::NAVN, "Fjord og Fjell AS");
    answers.answer(BUTTON_YES);
    form.ok();
    // Nothing but the form itself: the bases follow once the customer is written.
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(form.grunnlagOppdatert(), 1);
    EXPECT_EQ(grunnlag(a).get(GRU::KUNDENAVN), "Fjord og Fjell AS");
    EXPECT_EQ(titles(), (std::vector<std::string>{"Oppdater grunnlag?", "Info"}));
}

TEST_F(KundeFormTest, TheInvoiceAndBasisListsOpenTheirFormsThroughTheSlotsOnceFilled)
{
    load();
    KundeForm form(*ctx, ChangeRecord);
    ASSERT_EQ(form.start(), LEVEL_BENIGN);
    // Until the invoice and billing modules are there, the lists start nothing themselves.
    auto fakturaer = form.fakturaer();
    auto grunnlag = form.grunnlag();
    for (BrowseClass* list : {fakturaer.get(), grunnlag.get()})
        for (int action :
             {int(InsertRecord), int(ChangeRecord), int(DeleteRecord), int(PrintRecord)})
            EXPECT_FALSE(list->enabled(action));

    std::vector<int32_t> kunder;
    FormDone finish;
    procedures::FAKTURAFORM.fill([&](Context& c, int32_t kunde, FormDone done) {
        EXPECT_EQ(&c, ctx.get());
        EXPECT_EQ(GlobalRequest, InsertRecord);
        EXPECT_EQ(c.rec(Tbl::FAKTURA).get(FAK::KUNDEID), kunde) << "primed for the customer";
        kunder.push_back(kunde);
        finish = std::move(done);
    });
    procedures::GRUNNLAGFORM.fill([&](Context& c, int32_t kunde, FormDone done) {
        EXPECT_EQ(c.rec(Tbl::GRUNNLAG).get(GRU::KUNDEID), kunde);
        kunder.push_back(-kunde);
        done(RequestCancelled, {});
    });
    fakturaer = form.fakturaer();
    fakturaer->setTab(0);
    EXPECT_FALSE(fakturaer->enabled(PrintRecord)) << "the printout's slot is still empty";
    ASSERT_TRUE(fakturaer->activate(InsertRecord));
    EXPECT_FALSE(fakturaer->activate(InsertRecord)) << "one form of the list at a time";
    finish(RequestCancelled, {});
    grunnlag = form.grunnlag();
    grunnlag->setTab(0);
    EXPECT_TRUE(grunnlag->activate(InsertRecord));
    procedures::FAKTURAFORM.clear();
    procedures::GRUNNLAGFORM.clear();

    EXPECT_EQ(kunder, (std::vector<int32_t>{kundeId, -kundeId}));
    EXPECT_TRUE(answers.shown.empty());
    form.cancel();
}
