// The code register's rules, headless: the codes' list following the highlighted group, the
// marks, and what the register does before KODEVERKFORM.
#include "codesets/kodeverkform.h"
#include "codesets/kodeverkkartotek.h"
#include "codesets/tests/codes.h"

using namespace tavlo;

namespace {

class CodeRegisterTest : public tavlo::testing::CodesTest {
  protected:
    void SetUp() override
    {
        CodesTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        addCode(*ctx, 999, 101, "Postnummer");
        addCode(*ctx, 999, 103, "Kundegrupper", [](Record& r) { r.set(KOD::FAST, kLukketGruppe); });
        addCode(*ctx, 999, 105, "Fakturastatus");
        addCode(*ctx, 101, 1, "OSLO", [](Record& r) { r.set(KOD::FAST, kFastKode); });
        addCode(*ctx, 101, 5003, "BERGEN", [](Record& r) { r.set(KOD::IKKEIBRUK, 1); });
        addCode(*ctx, 103, 1, "Privat");
        addCode(*ctx, 105, 1, "Betalt");
    }
    void TearDown() override
    {
        GlobalRequest = 0;
        ctx.reset();
        CodesTest::TearDown();
    }

    static std::vector<std::string> rows(BrowseClass& list)
    {
        std::vector<std::string> out;
        PagedTableModel& m = list.model();
        for (int row = 0; row < m.rowCount(); ++row)
            out.push_back(m.data(m.index(row, 1)).toString().toStdString());
        return out;
    }
    static int mark(BrowseClass& list, int row)
    {
        PagedTableModel& m = list.model();
        return m.data(m.index(row, 0), PagedTableModel::MarkRole).toInt();
    }
    // Highlights a group of the left list, as the window does when its current row changes.
    static bool pick(KodeverkKartotek& k, int row)
    {
        k.groups().model().setCurrentRow(row);
        return k.followGroup();
    }

    std::unique_ptr<Context> ctx;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(CodeRegisterTest, TheCodesFollowTheHighlightedGroupOnTheirOwnOrder)
{
    KodeverkKartotek k(*ctx);
    k.groups().model().home();
    EXPECT_TRUE(k.followGroup());
    EXPECT_EQ(k.group(), 101);
    EXPECT_EQ(rows(k.groups()), (Texts{"Postnummer", "Kundegrupper", "Fakturastatus"}));
    EXPECT_EQ(rows(k.codes()), (Texts{"OSLO", "BERGEN"}));
    // The same group again reads nothing anew.
    EXPECT_FALSE(pick(k, 0));

    EXPECT_TRUE(pick(k, 2));
    EXPECT_EQ(k.group(), 105);
    EXPECT_EQ(rows(k.codes()), (Texts{"Betalt"}));
    EXPECT_EQ(ctx->rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST), "Fakturastatus");

    // On the name order the codes stay on it when the group changes.
    k.codes().setTab(1);
    EXPECT_TRUE(pick(k, 0));
    EXPECT_EQ(k.codes().tab(), 1);
    EXPECT_EQ(rows(k.codes()), (Texts{"BERGEN", "OSLO"}));

    // A fixed code and a closed group carry the lock, a code not in use the grey.
    EXPECT_EQ(mark(k.groups(), 0), 0);
    EXPECT_EQ(mark(k.groups(), 1), KodeverkKartotek::MarkLocked);
    EXPECT_EQ(mark(k.codes(), 0), KodeverkKartotek::MarkNotInUse);
    EXPECT_EQ(mark(k.codes(), 1), KodeverkKartotek::MarkLocked);
    // The groups' list offers no requests; the codes' list does.
    EXPECT_FALSE(k.groups().enabled(InsertRecord));
    EXPECT_TRUE(k.codes().enabled(InsertRecord));
}

TEST_F(CodeRegisterTest, ANewCodeStartsFromAnEmptyBufferInTheHighlightedGroup)
{
    KodeverkKartotek k(*ctx);
    k.groups().model().home();
    k.followGroup();
    ASSERT_TRUE(pick(k, 2));
    ASSERT_EQ(k.codes().model().loadRecord(0), LEVEL_BENIGN);
    ASSERT_EQ(ctx->rec(Tbl::KODEVERK).get(KOD::TEKST), "Betalt");

    // A change keeps the highlighted code in the buffer; a new code starts from nothing.
    GlobalRequest = ChangeRecord;
    auto change = k.formFor(*ctx);
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(ctx->rec(Tbl::KODEVERK).get(KOD::TEKST), "Betalt");
    change.reset();
    GlobalRequest = InsertRecord;
    auto insert = k.formFor(*ctx);
    ASSERT_NE(insert, nullptr);
    EXPECT_EQ(insert->kind(), KodeverkSkjema::FakturaStatus);
    EXPECT_EQ(ctx->rec(Tbl::KODEVERK).get(KOD::TEKST), "");
    EXPECT_EQ(ctx->rec(Tbl::KODEVERK).get(KOD::NR), 0);
    insert.reset();
    EXPECT_TRUE(answers.shown.empty());

    // A closed group: KODEVERKFORM's refusal, and no form.
    ASSERT_TRUE(pick(k, 1));
    EXPECT_EQ(k.formFor(*ctx), nullptr);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"Du kan ikke legge til kodeverksposten i denne gruppen"}));
}

TEST_F(CodeRegisterTest, WithoutGroupsTheCodesListIsEmptyAndNoFormStarts)
{
    Context other(&errors);
    {
        auto& kod = other.access(Tbl::KODEVERK);
        kod.OPEN();
        for (int32_t nr : {101, 103, 105}) {
            kod.rec().set(KOD::GRUPPE, 999);
            kod.rec().set(KOD::NR, nr);
            ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
            ASSERT_EQ(kod.DELETERECORD(), LEVEL_BENIGN);
        }
        kod.CLOSE();
    }
    KodeverkKartotek k(*ctx);
    k.groups().model().home();
    ctx->rec(Tbl::KODEVERK_ALIAS).set(KODA::TEKST, "left over");
    EXPECT_TRUE(k.followGroup());
    EXPECT_EQ(k.group(), 0);
    EXPECT_TRUE(rows(k.codes()).empty());
    EXPECT_EQ(ctx->rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST), "");
    EXPECT_FALSE(k.followGroup());

    GlobalRequest = InsertRecord;
    EXPECT_EQ(k.formFor(*ctx), nullptr);
    EXPECT_TRUE(answers.shown.empty());
}
