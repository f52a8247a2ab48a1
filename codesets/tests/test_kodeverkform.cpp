// KODEVERKFORM: the refusals, which form a code gets, and fixed codes.
#include "codesets/kodeverkform.h"
#include "codesets/tests/codes.h"
#include "codesets/tlko.h"
#include "data/lookups.h"
#include "framework/iniclass.h"

using namespace tavlo;

namespace {

class CodeFormTest : public tavlo::testing::CodesTest {
  protected:
    void SetUp() override
    {
        CodesTest::SetUp();
        Context ctx(&errors);
        addCode(ctx, 999, 103, "Kundegrupper");
        addCode(ctx, 999, 105, "Fakturastatus");
        addCode(ctx, 999, 108, "Utskriftstatus", [](Record& r) { r.set(KOD::FAST, 2); });
        addCode(ctx, 103, 1, "Privat");
        addCode(ctx, 103, 2, "Bedrift", [](Record& r) { r.set(KOD::FAST, 1); });
        addCode(ctx, 108, 1, "Skal skrives ut");
    }
    // What the register leaves in the buffers: the highlighted group and code.
    void highlight(Context& ctx, int32_t group, int32_t nr = 0)
    {
        ASSERT_TRUE(SETKODA(ctx, 999, group));
        auto& kod = ctx.access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().clear();
        if (nr == 0)
            return;
        kod.rec().set(KOD::GRUPPE, group);
        kod.rec().set(KOD::NR, nr);
        ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    }
    std::unique_ptr<KodeverkForm> start(Context& ctx, int request, int32_t& result)
    {
        GlobalRequest = request;
        return KODEVERKFORM(ctx, result);
    }
};

} // namespace

TEST_F(CodeFormTest, ClosedGroupTakesNoNewCodesAndFixedCodesAreNotDeleted)
{
    Context ctx(&errors);
    int32_t result = 0;
    struct Case {
        int32_t group, nr;
        int request;
        const char* refusal;
    };
    for (const Case& c : {Case{108, 0, InsertRecord,
                               "Du kan ikke legge til kodeverksposten i "
                               "denne gruppen"},
                          Case{108, 1, DeleteRecord, "Denne kodeverksposten kan ikke slettes"},
                          Case{103, 2, DeleteRecord, "Denne kodeverksposten kan ikke slettes"}}) {
        SCOPED_TRACE(c.refusal);
        highlight(ctx, c.group, c.nr);
        answers.shown.clear();
        EXPECT_EQ(start(ctx, c.request, result), nullptr);
        EXPECT_EQ(result, static_cast<int32_t>(BUTTON_OK));
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, c.refusal);
        EXPECT_EQ(answers.shown[0].caption, "Asvarsel");
    }
    EXPECT_EQ(codes().size(), 6u);

    // A code of a closed group can still be changed.
    highlight(ctx, 108, 1);
    answers.shown.clear();
    auto form = start(ctx, ChangeRecord, result);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(result, 108);
    ASSERT_EQ(form->init(), LEVEL_BENIGN);
    form->record().set(KOD::TEKST, "Ikke skrevet ut");
    form->ok();
    EXPECT_EQ(form->response(), RequestCompleted);
    EXPECT_EQ(codes().at({108, 1}).get(KOD::TEKST), "Ikke skrevet ut");
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(CodeFormTest, NewCodeBelongsToTheGroupTheListShows)
{
    Context ctx(&errors);
    highlight(ctx, 103);
    // Whatever code the buffer held last does not decide the group.
    ctx.rec(Tbl::KODEVERK).set(KOD::GRUPPE, 105);
    int32_t result = 0;
    auto form = start(ctx, InsertRecord, result);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(result, 103);
    EXPECT_EQ(form->kind(), KodeverkSkjema::Standard);
    EXPECT_EQ(form->caption(), "Ny kodeverkspost");
    EXPECT_FALSE(form->numberAndTextReadOnly());
    ASSERT_EQ(form->init(), LEVEL_BENIGN);
    EXPECT_EQ(form->record().get(KOD::GRUPPE), 103);
    form->record().set(KOD::NR, 3);
    form->record().set(KOD::TEKST, "Offentlig");
    form->ok();
    EXPECT_EQ(form->response(), RequestCompleted);
    EXPECT_EQ(codes().at({103, 3}).get(KOD::TEKST), "Offentlig");
    EXPECT_EQ(codes().at({103, 3}).get(KOD::LONG2), 0);

    // A new invoice status starts in the lists' own colour, not black.
    highlight(ctx, 105);
    auto status = start(ctx, InsertRecord, result);
    ASSERT_NE(status, nullptr);
    ASSERT_EQ(status->init(), LEVEL_BENIGN);
    EXPECT_EQ(status->record().get(KOD::LONG2), -1);
    status->cancel();

    EXPECT_EQ(skjemaFor(105), KodeverkSkjema::FakturaStatus);
    EXPECT_EQ(skjemaFor(107), KodeverkSkjema::FeltFormat);
    EXPECT_EQ(skjemaFor(101), KodeverkSkjema::Standard);
    EXPECT_EQ(skjemaFor(999), KodeverkSkjema::Standard);
}

TEST_F(CodeFormTest, FixedCodeKeepsNumberAndTextButTakesOtherChanges)
{
    Context ctx(&errors);
    highlight(ctx, 103, 2);
    int32_t result = 0;
    auto form = start(ctx, ChangeRecord, result);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->caption(), "Endre/vise kodeverkspost");
    EXPECT_TRUE(form->numberAndTextReadOnly());
    ASSERT_EQ(form->init(), LEVEL_BENIGN);
    form->record().set(KOD::NR, 9);
    form->record().set(KOD::TEKST, "Omdøpt");
    form->record().set(KOD::IKKEIBRUK, 1);
    form->ok();
    EXPECT_EQ(form->response(), RequestCompleted);
    auto stored = codes();
    EXPECT_FALSE(stored.count({103, 9}));
    EXPECT_EQ(stored.at({103, 2}).get(KOD::TEKST), "Bedrift");
    EXPECT_EQ(stored.at({103, 2}).get(KOD::IKKEIBRUK), 1);

    // A code that is not fixed is deleted after the confirmation, without a form.
    highlight(ctx, 103, 1);
    form = start(ctx, DeleteRecord, result);
    ASSERT_NE(form, nullptr);
    answers.answer(BUTTON_YES);
    EXPECT_EQ(form->init(), LEVEL_NOTIFY);
    EXPECT_EQ(form->response(), RequestCompleted);
    EXPECT_FALSE(codes().count({103, 1}));

    highlight(ctx, 108, 1);
    form = start(ctx, ViewRecord, result);
    EXPECT_EQ(form->caption(), "View Record");
    EXPECT_TRUE(form->numberAndTextReadOnly());
}

TEST(CodeModule, InitAndKillRunOnceAndStartTheDataModule)
{
    ErrorClass errors, other;
    INIClass settings;
    TLKO::INIT(errors, &settings);
    TLKO::INIT(other, nullptr); // a second call does nothing
    EXPECT_EQ(&TLKO::errorManager(), &errors);
    EXPECT_EQ(&TLFI::errorManager(), &errors);
    EXPECT_EQ(&TLKO::settings(), &settings);
    TLKO::KILL();
    EXPECT_NE(&TLFI::errorManager(), &errors);
    TLKO::KILL();
}
