#include "data/tests/fixture.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

class ViewTest : public DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        auto& kon = ctx->access(Tbl::KONTAKT);
        kon.OPEN();
        // 60 contacts of three customers, with names that sort differently from their numbers.
        for (int i = 0; i < 60; ++i) {
            kon.rec().clear();
            kon.rec().set(KON::KUNDEID, i % 3 + 1);
            kon.rec().set(KON::NAVN, "Navn " + std::string(1, static_cast<char>('Z' - i % 26)) +
                                         std::to_string(i));
            kon.rec().set(KON::POSTNR, 1000 + i * 100);
            ASSERT_EQ(kon.INSERT(), LEVEL_BENIGN);
        }
        kon.CLOSE();
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }

    std::vector<int> ids(ViewManager& v, bool back = false)
    {
        std::vector<int> out;
        while ((back ? v.PREVIOUS() : v.NEXT()) == LEVEL_BENIGN)
            out.push_back(v.file().rec().get(KON::KONTAKTID));
        return out;
    }

    std::unique_ptr<Context> ctx;
};

class SkipOdd : public ViewManager {
  public:
    int VALIDATERECORD() override
    {
        int id = file().rec().get(KON::KONTAKTID);
        if (id > 40)
            return 1;
        return id % 2 ? 2 : 0;
    }
};

} // namespace

TEST_F(ViewTest, SortOrdersRangesAndPaging)
{
    ViewManager v;
    v.INIT(*ctx, Tbl::KONTAKT);
    v.ADDSORTORDER(KON::KeyKontaktId);
    int byCustomer = v.ADDSORTORDER(KON::KeyKundeId_Navn);
    v.OPEN();
    auto all = ids(v); // 60 records read in pages of 20
    ASSERT_EQ(all.size(), 60u);
    EXPECT_EQ(all.front(), 1);
    EXPECT_EQ(all.back(), 60);
    v.RESET();
    EXPECT_EQ(ids(v, true).front(), 60);

    // The children of the customer in the buffer, in name order.
    EXPECT_TRUE(v.SETSORT(byCustomer));
    EXPECT_FALSE(v.SETSORT(byCustomer));
    v.ADDRANGE(KON::KUNDEID.no);
    v.file().rec().set(KON::KUNDEID, 2);
    v.RESET();
    std::vector<std::string> names;
    while (v.NEXT() == LEVEL_BENIGN) {
        EXPECT_EQ(v.file().rec().get(KON::KUNDEID), 2);
        names.push_back(v.file().rec().get(KON::NAVN));
    }
    ASSERT_EQ(names.size(), 20u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](auto& a, auto& b) { return text::collate(a, b) < 0; }));

    // A record primed in the ranged view belongs to it.
    ASSERT_EQ(v.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(v.file().rec().get(KON::KUNDEID), 2);
    EXPECT_GT(v.file().rec().get(KON::KONTAKTID), 60);
    v.file().CANCELAUTOINC();

    // Between: customer 3, names from "Navn Q" to "Navn T".
    v.ADDRANGE(KON::NAVN.no, "Navn Q", "Navn T");
    v.file().rec().set(KON::KUNDEID, 3);
    v.RESET();
    int n = 0;
    while (v.NEXT() == LEVEL_BENIGN) {
        const auto& name = v.file().rec().get(KON::NAVN);
        EXPECT_EQ(v.file().rec().get(KON::KUNDEID), 3);
        EXPECT_TRUE(name >= "Navn Q" && name <= "Navn T") << name;
        ++n;
    }
    EXPECT_GT(n, 0);
    v.CLOSE();
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(ViewTest, NamedFiltersComposeAndABadOneIsIgnoredWithAMessage)
{
    ViewManager v;
    v.INIT(*ctx, Tbl::KONTAKT);
    v.ADDSORTORDER(KON::KeyKontaktId);
    v.SETFILTER("KON:PostNr >= 3000");
    v.SETFILTER("KON:KundeId = 1", "kunde");
    EXPECT_EQ(v.filterText(), "(KON:PostNr >= 3000) AND (KON:KundeId = 1)");
    v.OPEN();
    auto got = ids(v);
    ASSERT_FALSE(got.empty());
    for (int id : got)
        EXPECT_TRUE(id >= 21 && id % 3 == 1) << id;

    v.SETFILTER("KON:PostNr < 2000"); // replaces the standard filter
    v.SETFILTER("", "kunde");         // and this one goes
    v.RESET();
    EXPECT_EQ(ids(v), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    v.SETFILTER("KON:PostNr < AND 2000");
    v.RESET();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "View Open Error");
    EXPECT_EQ(answers.shown[0].text.rfind("Error: (", 0), 0u);
    EXPECT_NE(answers.shown[0].text.find("Filter and Range Limits ignored."), std::string::npos);
    EXPECT_EQ(ids(v).size(), 60u);
    v.CLOSE();
}

TEST_F(ViewTest, ValidateRecordSkipsAndStops)
{
    SkipOdd v;
    v.INIT(*ctx, Tbl::KONTAKT);
    v.ADDSORTORDER(KON::KeyKontaktId);
    v.OPEN();
    auto got = ids(v);
    ASSERT_EQ(got.size(), 20u);
    EXPECT_EQ(got.front(), 2);
    EXPECT_EQ(got.back(), 40);
    v.CLOSE();
}

TEST_F(ViewTest, RelationRangeFollowsTheParentInItsBuffer)
{
    auto& kun = ctx->access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().set(KUN::NAVN, "Forelder");
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN); // customer 1
    ViewManager v;
    v.INIT(*ctx, Tbl::KONTAKT);
    v.ADDSORTORDER(KON::KeyKundeId_Navn);
    v.ADDRANGE(relations()[0]);
    v.OPEN();
    auto got = ids(v);
    EXPECT_EQ(got.size(), 20u);
    for (int id : got)
        EXPECT_EQ(id % 3, 1);
    kun.CLOSE();
    v.CLOSE();
}

TEST_F(ViewTest, TwoViewsOfOneTableKeepTheirOwnFilters)
{
    ViewManager low, high;
    for (ViewManager* v : {&low, &high}) {
        v->INIT(*ctx, Tbl::KONTAKT);
        v->ADDSORTORDER(KON::KeyKontaktId);
    }
    low.SETFILTER("KON:PostNr < 2000");
    high.SETFILTER("KON:PostNr >= 6800");
    low.OPEN();
    high.OPEN();
    EXPECT_EQ(ids(high), (std::vector<int>{59, 60}));
    low.RESET();
    EXPECT_EQ(ids(low).size(), 10u);
    high.CLOSE();
    low.RESET();
    EXPECT_EQ(ids(low).size(), 10u);
    low.CLOSE();
}
