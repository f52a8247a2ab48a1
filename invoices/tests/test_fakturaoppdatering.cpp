// The batch status and paid-date updates on the marked invoices.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "invoices/fakturaoppdatering.h"

using namespace tavlo;

namespace {

constexpr int32_t kIdag = 80200;

class FakturaOppdateringTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLQ::TAG_FAKTURA.clear();
        ctx = std::make_unique<Context>(&errors);
        addCode(*ctx, 105, 1, "Ubetalt");
        addCode(*ctx, 105, 3, "Purret", [](Record& r) { r.set(KOD::LONG3, 10); });
        addCode(*ctx, 105, 4, "Inkasso");
    }
    void TearDown() override
    {
        GLQ::TAG_FAKTURA.clear();
        ctx.reset();
        DataFolderTest::TearDown();
    }
    int32_t add(int32_t status, int32_t dato, int32_t forfall, int32_t betalt = 0,
                int32_t oppfak = 0, int32_t oppforfall = 0)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURASTATUS, status);
        fak.rec().set(FAK::FAKTURADATO, dato);
        fak.rec().set(FAK::FORFALLSDATO, forfall);
        fak.rec().set(FAK::BETALINGSBETINGELSE, forfall - dato);
        fak.rec().set(FAK::BETALTDATO, betalt);
        fak.rec().set(FAK::OPPRINNELIGFAKTURADATO, oppfak);
        fak.rec().set(FAK::OPPRINNELIGFORFALLSDATO, oppforfall);
        fak.rec().set(FAK::UTSKRIFTSTATUS, 3);
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        GLQ::TAG_FAKTURA.push_back({id, static_cast<int32_t>(GLQ::TAG_FAKTURA.size() + 1)});
        return id;
    }
    Record get(int32_t id)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURAID, id);
        EXPECT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        Record r = fak.rec();
        fak.CLOSE();
        return r;
    }
    std::string lastMessage() const
    {
        return answers.shown.empty() ? "" : answers.shown.back().text;
    }
    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(FakturaOppdateringTest, ANewStatusWithNewDatesKeepsTheFirstDatesOnceAndLeavesEqualOnes)
{
    const int32_t ny = add(1, 80000, 80014);                     // first status, no first dates
    const int32_t kjent = add(1, 80100, 80130, 0, 79000, 79014); // first dates kept already
    const int32_t lik = add(3, 80050, 80064);                    // has the status already
    const int32_t senere = add(4, 80060, 80074);                 // past the first status
    FakturaOppdatering o(*ctx);
    o.idag = kIdag;
    o.fakturaStatus = 3;
    o.oppdaterDatoer = true;
    ASSERT_EQ(o.oppdaterStatus(FakturaOppdatering::merkede()), FakturaOppdatering::Utfall::Ferdig);
    EXPECT_EQ(lastMessage(), "Markerte fakturaer er nå opprettet");
    EXPECT_EQ(o.oppdatert(), (std::vector<int32_t>{ny, kjent, senere}));
    EXPECT_EQ(o.uendret(), std::vector<int32_t>{lik});

    Record r = get(ny);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFAKTURADATO), 80000);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFORFALLSDATO), 80014);
    EXPECT_EQ(r.get(FAK::FAKTURADATO), kIdag);
    EXPECT_EQ(r.get(FAK::BETALINGSBETINGELSE), 10); // the status's own terms
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), kIdag + 10);
    EXPECT_EQ(r.get(FAK::FAKTURASTATUS), 3);
    EXPECT_EQ(r.get(FAK::UTSKRIFTSTATUS), 1);

    r = get(kjent);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFAKTURADATO), 79000);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFORFALLSDATO), 79014);
    EXPECT_EQ(r.get(FAK::FAKTURADATO), kIdag);

    r = get(lik);
    EXPECT_EQ(r.get(FAK::FAKTURADATO), 80050);
    EXPECT_EQ(r.get(FAK::UTSKRIFTSTATUS), 3);

    r = get(senere);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFAKTURADATO), 0);
    EXPECT_EQ(r.get(FAK::FAKTURADATO), kIdag);
    // The marks stay for the next run.
    EXPECT_EQ(GLQ::TAG_FAKTURA.size(), 4u);
}

TEST_F(FakturaOppdateringTest, WithoutNewDatesOnlyTheStatusChangesAndTermsZeroKeepTheInvoicesOwn)
{
    const int32_t a = add(1, 80000, 80014);
    FakturaOppdatering o(*ctx);
    o.idag = kIdag;
    o.fakturaStatus = 4;
    o.oppdaterDatoer = false;
    ASSERT_EQ(o.oppdaterStatus({a}), FakturaOppdatering::Utfall::Ferdig);
    Record r = get(a);
    EXPECT_EQ(r.get(FAK::FAKTURASTATUS), 4);
    EXPECT_EQ(r.get(FAK::FAKTURADATO), 80000);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFAKTURADATO), 0);

    o.fakturaStatus = 1;
    o.oppdaterDatoer = true;
    ASSERT_EQ(o.oppdaterStatus({a}), FakturaOppdatering::Utfall::Ferdig);
    r = get(a);
    EXPECT_EQ(r.get(FAK::BETALINGSBETINGELSE), 14); // status 1 has no terms of its own
    EXPECT_EQ(r.get(FAK::FORFALLSDATO), kIdag + 14);
    EXPECT_EQ(r.get(FAK::OPPRINNELIGFAKTURADATO), 0); // it was past the first status
}

TEST_F(FakturaOppdateringTest, NothingMarkedOrAnUnknownStatusKeepsTheWindowAndChangesNothing)
{
    FakturaOppdatering o(*ctx);
    o.fakturaStatus = 3;
    EXPECT_EQ(o.oppdaterStatus({}), FakturaOppdatering::Utfall::IngenMerket);
    EXPECT_EQ(lastMessage(), "Ingen fakturaer er merket for oppdatering");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    EXPECT_EQ(o.oppdaterBetaltdato({}), FakturaOppdatering::Utfall::IngenMerket);

    const int32_t a = add(1, 80000, 80014);
    o.fakturaStatus = 9;
    EXPECT_EQ(o.oppdaterStatus({a}), FakturaOppdatering::Utfall::StatusFinnesIkke);
    EXPECT_EQ(lastMessage(), "Det oppsto feil under oppslag på fakturastatus");
    EXPECT_FALSE(FakturaOppdatering::lukkes(FakturaOppdatering::Utfall::StatusFinnesIkke));
    EXPECT_EQ(get(a).get(FAK::FAKTURASTATUS), 1);
}

TEST_F(FakturaOppdateringTest, AMissingInvoiceIsCountedAndTheOthersAreStillUpdated)
{
    const int32_t a = add(1, 80000, 80014);
    const int32_t b = add(1, 80000, 80014);
    FakturaOppdatering o(*ctx);
    o.fakturaStatus = 4;
    EXPECT_EQ(o.oppdaterStatus({a, 999, b}), FakturaOppdatering::Utfall::FerdigMedFeil);
    ASSERT_GE(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[answers.shown.size() - 2].text,
              "Det oppsto feil under oppslag på Faktura: 999");
    EXPECT_EQ(lastMessage(), "Det oppsto feil under oppdatering av fakturaer");
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(o.oppdatert(), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(o.behandlet(), 3);
}

TEST_F(FakturaOppdateringTest, PaidDateFromTheDueDateOrTheDateGivenAndAPaidOneOnlyWhenAllowed)
{
    const int32_t utenForfall = add(1, 80000, 0);
    const int32_t betalt = add(1, 80000, 80014, 80010);
    const int32_t ogsaBetalt = add(1, 80000, 80014, 80011);
    FakturaOppdatering o(*ctx);
    o.brukForfallsdato = true;
    answers.answer(BUTTON_NO);  // keep the first paid one
    answers.answer(BUTTON_YES); // overwrite the second
    ASSERT_EQ(o.oppdaterBetaltdato(FakturaOppdatering::merkede()),
              FakturaOppdatering::Utfall::Ferdig);
    EXPECT_EQ(answers.shown[0].text, "Faktura " + std::to_string(betalt) +
                                         " er allerede markert som betalt. Vil du overskrive?");
    EXPECT_EQ(answers.shown[0].defaultButton, static_cast<unsigned>(BUTTON_NO));
    EXPECT_EQ(get(utenForfall).get(FAK::BETALTDATO), 0);
    EXPECT_EQ(get(utenForfall).get(FAK::UTSKRIFTSTATUS), 2);
    EXPECT_EQ(get(betalt).get(FAK::BETALTDATO), 80010);
    EXPECT_EQ(get(betalt).get(FAK::UTSKRIFTSTATUS), 3);
    EXPECT_EQ(get(ogsaBetalt).get(FAK::BETALTDATO), 80014);

    o.brukForfallsdato = false;
    o.betaltDato = 80300;
    const int32_t ny = add(1, 80000, 80014);
    ASSERT_EQ(o.oppdaterBetaltdato({ny}), FakturaOppdatering::Utfall::Ferdig);
    EXPECT_EQ(get(ny).get(FAK::BETALTDATO), 80300);
}
