// The billing-basis register, headless: marks in number order, mark all within the tab's range,
// and every opening starting without marks.
#include "billing/grunnlagkartotek.h"
#include "billing/tests/billingdata.h"
#include "data/globals.h"
#include "data/tests/fixture.h"

using namespace tavlo;

namespace {

class GrunnlagKartotekTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_GRUNNLAG = 0;
        GLQ::TAG_GRUNNLAG.clear();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        GLQ::TAG_GRUNNLAG.clear();
        ctx.reset();
        DataFolderTest::TearDown();
    }
    static std::vector<int32_t> marked()
    {
        std::vector<int32_t> ids;
        for (const auto& t : GLQ::TAG_GRUNNLAG)
            ids.push_back(t.id);
        return ids;
    }
    std::vector<int32_t> shown(GrunnlagKartotek& k)
    {
        std::vector<int32_t> ids;
        PagedTableModel& m = k.browse().model();
        for (int row = 0; row < m.rowCount(); ++row) {
            EXPECT_EQ(m.loadRecord(row), LEVEL_BENIGN);
            ids.push_back(ctx->rec(Tbl::GRUNNLAG).get(GRU::GRUNNLAGID));
        }
        return ids;
    }
    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(GrunnlagKartotekTest, MarksStayInNumberOrderAndMarkAllKeepsToTheTabsRange)
{
    std::vector<int32_t> ids;
    for (int i = 1; i <= 9; ++i)
        ids.push_back(tavlo::testing::addGrunnlag(*ctx, "K", 1, {}, [i](Record& r) {
            r.set(GRU::KUNDEID, i % 2 ? 7 : 8);
            r.set(GRU::TYPE, i <= 3 ? 2 : 0);
        }));
    GLQ::TAG_GRUNNLAG.push_back({4, 1}); // left from an earlier opening
    GrunnlagKartotek k(*ctx);
    k.open();
    EXPECT_TRUE(marked().empty());
    EXPECT_EQ(k.browse().tab(), GrunnlagKartotek::TabRefnr);
    for (int32_t id : {9, 2, 5})
        k.toggleTag(id);
    EXPECT_EQ(marked(), (std::vector<int32_t>{2, 5, 9}));
    k.toggleTag(5);
    EXPECT_EQ(marked(), (std::vector<int32_t>{2, 9}));

    k.setTab(GrunnlagKartotek::TabKunde);
    k.setKunde(8);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{2, 4, 6, 8}));
    EXPECT_TRUE(k.merkAlle());
    EXPECT_EQ(marked(), (std::vector<int32_t>{2, 4, 6, 8}));
    k.setTab(GrunnlagKartotek::TabType);
    k.setType(2);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_TRUE(k.merkAlle());
    EXPECT_EQ(marked(), (std::vector<int32_t>{1, 2, 3}));

    // A filter of the list counts too; an invalid one is refused and the list stays.
    k.setTab(GrunnlagKartotek::TabRefnr);
    k.filter().working() = "GRU:KundeId = 7";
    EXPECT_TRUE(k.filter().apply());
    EXPECT_TRUE(k.merkAlle());
    EXPECT_EQ(marked(), (std::vector<int32_t>{1, 3, 5, 7, 9}));
    k.filter().working() = "GRU:Finnes = (";
    EXPECT_FALSE(k.filter().apply());
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{1, 3, 5, 7, 9}));
    k.fjernAvmerkinger();
    EXPECT_TRUE(marked().empty());
}
