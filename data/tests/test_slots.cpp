// Procedures of other modules through their slots: an empty slot says its window comes later and
// answers its caller; a filled one runs with the caller's context and arguments.
#include <set>

#include "data/slots.h"
#include "data/tests/fixture.h"

using namespace tavlo;

namespace {

class SlotTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        // No slot stays filled for the next test.
        procedures::FAKTURAFORM.clear();
        procedures::FAKTURAKARTOTEK.clear();
        ctx.reset();
        DataFolderTest::TearDown();
    }
    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(SlotTest, AnEmptySlotSaysItsWindowComesLaterAndAnswersItsCallerCancelled)
{
    std::vector<int> responses;
    procedures::FAKTURAFORM(*ctx, 7, [&](int response, RowRef inserted) {
        responses.push_back(response);
        EXPECT_EQ(inserted.rowid, 0);
    });
    procedures::KUNDEKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    bool closed = false;
    procedures::GENERERNYEFAKTURAER(*ctx, 1, [&] { closed = true; });
    // Called without callbacks (the menu's way) it only says so.
    procedures::PRODUKTKARTOTEK(*ctx, {});

    EXPECT_EQ(responses, (std::vector<int>{RequestCancelled, RequestCancelled}));
    EXPECT_TRUE(closed);
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[0].text, "FAKTURAFORM kommer i en senere versjon av Tavlo.");
    EXPECT_EQ(answers.shown[0].caption, "Info");
    EXPECT_EQ(answers.shown[2].text, "GENERERNYEFAKTURAER kommer i en senere versjon av Tavlo.");
    EXPECT_EQ(answers.shown[3].text, "PRODUKTKARTOTEK kommer i en senere versjon av Tavlo.");
}

TEST_F(SlotTest, AFilledSlotRunsInTheCallersContextUntilItsModuleClearsIt)
{
    Context* ran = nullptr;
    int32_t kunde = 0;
    procedures::FAKTURAFORM.fill([&](Context& c, int32_t kundeId, FormDone done) {
        ran = &c;
        kunde = kundeId;
        done(RequestCompleted, {});
    });
    EXPECT_TRUE(procedures::FAKTURAFORM.filled());
    int response = 0;
    procedures::FAKTURAFORM(*ctx, 42, [&](int r, RowRef) { response = r; });
    EXPECT_EQ(ran, ctx.get());
    EXPECT_EQ(kunde, 42);
    EXPECT_EQ(response, RequestCompleted);
    EXPECT_TRUE(answers.shown.empty());

    // A second fill replaces the first: a module started again is not run twice.
    std::vector<std::string> callers;
    procedures::FAKTURAKARTOTEK.fill([&](Context&, std::string c) { callers.push_back(c); });
    procedures::FAKTURAKARTOTEK.fill([&](Context&, std::string c) { callers.push_back("2:" + c); });
    procedures::FAKTURAKARTOTEK(*ctx, "Kunde");
    EXPECT_EQ(callers, std::vector<std::string>{"2:Kunde"});

    procedures::FAKTURAFORM.clear();
    EXPECT_FALSE(procedures::FAKTURAFORM.filled());
    procedures::FAKTURAFORM(*ctx, 42, {});
    EXPECT_EQ(kunde, 42);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "FAKTURAFORM kommer i en senere versjon av Tavlo.");
}

TEST(SlotRegistry, EveryProcedureOnceUnderItsOwnName)
{
    std::set<std::string> names;
    for (SlotBase* s : SlotBase::all()) {
        EXPECT_TRUE(names.insert(s->name()).second) << s->name() << " twice";
        EXPECT_EQ(SlotBase::find(s->name()), s);
    }
    EXPECT_EQ(SlotBase::find("GRUNNLAGFORM"), &procedures::GRUNNLAGFORM);
    EXPECT_EQ(SlotBase::find("grunnlagform"), nullptr) << "names are the procedures' own";
    EXPECT_EQ(SlotBase::find("NOSUCHPROCEDURE"), nullptr);
    EXPECT_EQ(comingLater("OM"), "OM kommer i en senere versjon av Tavlo.");
}
