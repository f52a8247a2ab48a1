#include <sqlite3.h>

#include <array>
#include <functional>
#include <random>
#include <utility>

#include "data/filterproc.h"
#include "data/rounding.h"
#include "data/stock.h"
#include "data/tests/fixture.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

TEST(RoundReal, ListedPairsAndTies)
{
    const std::vector<std::array<const char*, 3>> cases = {
        {"156.25", "1", "156"},
        {"156.50", "1", "157"},
        {"1234.26", "0.5", "1234.5"},
        {"1234.24", "0.5", "1234"},
        {"-1.5", "1", "-1"},
        {"-1.6", "1", "-2"},
        {"10", "0", "10"},
        {"7.3", "-1", "7.3"},
        {"100.05", "0.1", "100.1"},
        {"1.005", "0.01", "1.01"},
        {"-1.005", "0.01", "-1"},
        {"-2.5", "5", "0"},
        {"-999999999.99", "1", "-1000000000"},
        {"999999999.99", "0.001", "999999999.99"},
        {"0.000000000000000005", "0.00000000000000001", "0.00000000000000001"},
    };
    for (const auto& [value, step, want] : cases)
        EXPECT_EQ(ROUNDREAL(dec(value), dec(step)), dec(want)) << value << " by " << step;
}

// Nearest multiple with ties up, as floor((2v + s) / 2s) on whole hundredths.
int64_t nearestUp(int64_t v, int64_t s)
{
    int64_t n = 2 * v + s, d = 2 * s;
    int64_t q = n / d - ((n % d != 0) && (n < 0));
    return q * s;
}

TEST(RoundReal, MatchesWholeHundredthsOverTheRange)
{
    constexpr int64_t kMax = 99999999999; // decimal(11,2) in hundredths
    std::mt19937_64 rng(20040101);
    std::uniform_int_distribution<int64_t> any(-kMax, kMax), small(-2000, 2000);
    for (int64_t step : {1, 5, 10, 25, 50, 100, 1000, 7}) {
        for (int i = 0; i < 20000; ++i) {
            int64_t v = i % 4 == 0 ? small(rng) : any(rng);
            if (i < 2)
                v = i == 0 ? kMax : -kMax;
            ASSERT_EQ(ROUNDREAL(Decimal::fromCents(v), Decimal::fromCents(step)),
                      Decimal::fromCents(nearestUp(v, step)))
                << v << " by " << step;
        }
    }
}

// An answer service that lets another user act while a question is up.
struct InterleavedAnswers : ScriptedAnswers {
    std::function<void()> meanwhile;
    unsigned message(const Message& m) override
    {
        if (meanwhile && m.buttons != BUTTON_OK)
            std::exchange(meanwhile, nullptr)();
        return ScriptedAnswers::message(m);
    }
};

class StockTest : public DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        errors.setAnswers(&interleaved);
    }
    int32_t addProduct(const char* name, int control, const char* stock, const char* min)
    {
        Context ctx(&errors);
        auto& pro = ctx.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, name);
        pro.rec().set(PRO::ENHETSBENEVNING, "stk");
        pro.rec().set(PRO::LAGERSTYRING, control);
        pro.rec().set(PRO::LAGERBEHOLDNING, dec(stock));
        pro.rec().set(PRO::MINLAGERBEHOLDNING, dec(min));
        EXPECT_EQ(pro.INSERT(), LEVEL_BENIGN);
        int32_t id = pro.rec().get(PRO::PRODUKTID);
        pro.CLOSE();
        return id;
    }
    Decimal stockOf(int32_t id)
    {
        Context ctx(&errors);
        auto& pro = ctx.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, id);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        Decimal d = pro.rec().get(PRO::LAGERBEHOLDNING);
        pro.CLOSE();
        return d;
    }
    const std::vector<Message>& shown() const { return interleaved.shown; }

    InterleavedAnswers interleaved;
    Context ctx{&errors};
};

TEST_F(StockTest, NothingToDo)
{
    int32_t free = addProduct("Tjeneste", 0, "3", "10");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, 0, dec("-1"), false, true), 0);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, 999, dec("0"), false, true), 1);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, free, dec("-5"), false, true), 1);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, free, dec("50"), true, true), 1);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(stockOf(free), dec("3"));
    EXPECT_FALSE(ctx.access(Tbl::PRODUKT).ISOPENED());
}

TEST_F(StockTest, CheckOnlyComparesAndWarnsWhenInteractive)
{
    int32_t id = addProduct("Skrue", 1, "5", "0");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("5"), true, true), 1);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("5.01"), true, false), 0);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("5.01"), true, true), 0);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, "Lagerbeholdning for produktet: 1 - Skrue er på kun 5 stk");
    EXPECT_EQ(shown()[0].caption, "Advarsel");
    EXPECT_EQ(shown()[0].icon, Icon::Exclamation);
    int32_t half = addProduct("Tau", 1, "1234.50", "0");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, half, dec("2000"), true, true), 0);
    EXPECT_EQ(shown().back().text, "Lagerbeholdning for produktet: 2 - Tau er på kun 1234,5 stk");
    EXPECT_EQ(stockOf(id), dec("5"));
}

TEST_F(StockTest, UpdateAsksAndWarnsBelowMinimum)
{
    int32_t id = addProduct("Skrue", 1, "10", "2");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("-8"), false, true), 1); // exactly at 2
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, "Vil du oppdatere lagerbeholdning?");
    EXPECT_EQ(shown()[0].caption, "Oppdatere lager?");
    EXPECT_EQ(shown()[0].icon, Icon::Question);
    EXPECT_EQ(shown()[0].buttons, BUTTON_YES | BUTTON_NO);
    EXPECT_EQ(shown()[0].defaultButton, BUTTON_YES);
    EXPECT_EQ(stockOf(id), dec("2"));

    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("-0.5"), false, true), 1);
    ASSERT_EQ(shown().size(), 3u);
    EXPECT_EQ(shown()[2].text, "Lagerbeholdning for produktet: 1 - Skrue er nå på kun 1,5 stk og "
                               "dermed under angitt minimum på 2");
    EXPECT_EQ(shown()[2].caption, "Advarsel");

    interleaved.answer(BUTTON_NO);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("-1"), false, true), 1);
    EXPECT_EQ(stockOf(id), dec("1.5"));

    interleaved.shown.clear();
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("-4"), false, false), 1); // below 0, silent
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("1.25"), false, false), 1);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(stockOf(id), dec("-1.25"));
}

TEST_F(StockTest, LookupAndWriteFailuresAreShownEvenWhenSilent)
{
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, 77, dec("-1"), true, false), 0);
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].text, "Det oppsto feil under oppslag i lagerbeholdning for ProduktId 77");
    EXPECT_EQ(shown()[0].caption, "Feil");
    EXPECT_EQ(shown()[0].icon, Icon::Hand);

    // A stock that would no longer fit its field is not written.
    int32_t full = addProduct("Full", 1, "999999999.99", "0");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, full, dec("1"), false, false), 0);
    EXPECT_EQ(shown().back().text,
              "Det oppsto feil under oppdatering av lagerbeholdning for ProduktId 1");
    EXPECT_EQ(stockOf(full), dec("999999999.99"));

    // Another program holds the file longer than a write waits.
    auto& held = ctx.access(Tbl::PRODUKT);
    held.OPEN();
    held.USEFILE();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path("PRODUKT.TPS").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, full, dec("-1"), false, false), 0);
    EXPECT_EQ(shown().size(), 3u);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    held.CLOSE();
    EXPECT_EQ(stockOf(full), dec("999999999.99"));
}

TEST_F(StockTest, ConcurrentChangesAreBothKept)
{
    int32_t id = addProduct("Skrue", 1, "10", "6");
    Context other(&errors);
    // A has read the product and asks its user; meanwhile B sells 3.
    interleaved.meanwhile = [&] {
        EXPECT_EQ(OPPDATERLAGERBEHOLDNING(other, id, dec("-3"), false, false), 1);
    };
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, id, dec("-2"), false, true), 1);
    EXPECT_EQ(stockOf(id), dec("5"));
    // The warning tells the stock as written, not as first read.
    EXPECT_EQ(shown().back().text, "Lagerbeholdning for produktet: 1 - Skrue er nå på kun 5 stk og "
                                   "dermed under angitt minimum på 6");
}

TEST_F(StockTest, CallerKeepsItsRecordAndPosition)
{
    int32_t a = addProduct("A", 1, "10", "0");
    int32_t b = addProduct("B", 1, "10", "0");
    addProduct("C", 1, "10", "0");
    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.OPEN();
    pro.SET(PRO::KeyNavn);
    ASSERT_EQ(pro.NEXT(), LEVEL_BENIGN);
    ASSERT_EQ(pro.NEXT(), LEVEL_BENIGN); // B
    pro.rec().set(PRO::NAVN, "B endret");
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, a, dec("-1"), false, false), 1);
    EXPECT_EQ(pro.rec().get(PRO::NAVN), "B endret");
    EXPECT_EQ(pro.GETOPENED(), 1);

    // The caller's copy of B is now older than the stored stock: saving it is refused, not
    // written over the new stock.
    EXPECT_EQ(OPPDATERLAGERBEHOLDNING(ctx, b, dec("-4"), false, false), 1);
    EXPECT_EQ(pro.TRYUPDATE(), LEVEL_NOTIFY);
    EXPECT_EQ(pro.lastError(), MSG_RECORD_CHANGED);
    EXPECT_EQ(stockOf(b), dec("6"));
    ASSERT_EQ(pro.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::NAVN), "C");
    pro.CLOSE();
    EXPECT_EQ(stockOf(a), dec("9"));
}

class SavedFilterTest : public DataFolderTest {
  protected:
    void addFilter(int table, int no, const std::string& name, const std::string& expr,
                   const std::string& description)
    {
        DataFolderTest::addFilter(ctx, table, no, name, expr, description);
    }
    Context ctx{&errors};
};

TEST_F(SavedFilterTest, SavedFiltersByTableAndNumber)
{
    std::string filter = "gammel", description = "gammel", name = "gammel";
    EXPECT_EQ(SETFILTER(ctx, 1, 3, filter, description), 0); // no filter file yet
    EXPECT_EQ(filter + description, "");

    const std::string longExpr = "(KUN:PostNr >= 5000)" + std::string(3000, ' ') + "OR (1 = 1)";
    addFilter(1, 3, "Vestlandet", longExpr, "Kunder i vest");
    addFilter(2, 3, "Lager", "(PRO:Lagerstyring = 1)", "");
    addFilter(1, 4, "Oslo", "(KUN:PostNr < 1000)", "Oslo");

    EXPECT_EQ(SETFILTER(ctx, 1, 3, filter, description), 1);
    EXPECT_EQ(filter, longExpr);
    EXPECT_EQ(description, "Kunder i vest");
    EXPECT_EQ(SETFILTER(ctx, 2, 3, filter, description), 1);
    EXPECT_EQ(filter, "(PRO:Lagerstyring = 1)");
    EXPECT_EQ(description, "");
    for (int no : {0, 5}) {
        filter = description = "x";
        EXPECT_EQ(SETFILTER(ctx, 1, no, filter, description), 0);
        EXPECT_EQ(filter + description, "");
    }
    VISFILTER(ctx, 1, 4, name);
    EXPECT_EQ(name, "Oslo");
    VISFILTER(ctx, 13, 4, name);
    EXPECT_EQ(name, "");

    // A caller walking the saved filters keeps its place and its unsaved edit.
    auto& fil = ctx.access(Tbl::FILTER);
    fil.OPEN();
    fil.SET(FIL::KeyFilterId);
    ASSERT_EQ(fil.NEXT(), LEVEL_BENIGN);
    fil.rec().set(FIL::FILTERNAVN, "Omdøpt");
    VISFILTER(ctx, 1, 4, name);
    EXPECT_EQ(fil.rec().get(FIL::FILTERNAVN), "Omdøpt");
    ASSERT_EQ(fil.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(fil.rec().get(FIL::FILTERNAVN), "Lager");
    fil.CLOSE();
    EXPECT_FALSE(fil.ISOPENED());
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(SavedFilterTest, PickedFromTheTablesOwnFiltersOrLeftAlone)
{
    std::string filter = "gammel", description = "gammel";
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 0); // no filter file yet
    addFilter(1, 7, "Vest", "(KUN:PostNr >= 5000)", "Kunder i vest");
    addFilter(2, 1, "Lager", "(PRO:Lagerstyring = 1)", "Med lager");
    addFilter(1, 2, "Oslo", "(KUN:PostNr < 1000)", "Oslo og omegn");
    // A table without filters offers nothing: no list, nothing chosen.
    EXPECT_EQ(HENTFILTER(ctx, 13, filter, description), 0);
    EXPECT_TRUE(answers.listsShown.empty());
    EXPECT_EQ(filter + description, "gammelgammel");

    // The list runs by number within the table: the second row is number 7, and there is no
    // third.
    answers.picks = {1, 2, -1};
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 7);
    EXPECT_EQ(filter, "(KUN:PostNr >= 5000)");
    EXPECT_EQ(description, "Kunder i vest");
    filter = description = "gammel";
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 0);
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 0);
    EXPECT_EQ(filter + description, "gammelgammel");
    EXPECT_EQ(answers.listsShown, std::vector<std::string>(3, "Velg filter"));

    // A caller with the filter file open keeps its record.
    auto& fil = ctx.access(Tbl::FILTER);
    fil.OPEN();
    fil.rec().clear();
    fil.rec().set(FIL::FILTERNAVN, "Uferdig");
    answers.picks = {0};
    EXPECT_EQ(HENTFILTER(ctx, 2, filter, description), 1);
    EXPECT_EQ(description, "Med lager");
    EXPECT_EQ(fil.rec().get(FIL::FILTERNAVN), "Uferdig");
    fil.CLOSE();
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(SavedFilterTest, BuilderWorksOnTheGlobalFilterAndOnlyOkHandsItOver)
{
    GLO::FILTER = "(KUN:PostNr = 1)";
    std::string filter = "gammel";
    EXPECT_EQ(LAGFILTER(ctx, 1, filter), 0); // nobody there to build it
    int askedFor = 0;
    answers.filterBuilder = [&](int tableNo, std::string& expression) {
        askedFor = tableNo;
        EXPECT_EQ(&expression, &GLO::FILTER);
        expression += " OR (KUN:PostNr = 2)";
        return false;
    };
    EXPECT_EQ(LAGFILTER(ctx, 5, filter), 0);
    EXPECT_EQ(askedFor, 5);
    EXPECT_EQ(filter, "gammel");
    // What was written stays for the next time the builder opens.
    EXPECT_EQ(GLO::FILTER, "(KUN:PostNr = 1) OR (KUN:PostNr = 2)");

    // The caller gets at most 2047 characters, not bytes.
    answers.filterBuilder = [](int, std::string& expression) {
        expression = "(KUN:Navn = '";
        for (int i = 0; i < 2100; ++i)
            expression += "æ";
        expression += "')";
        return true;
    };
    EXPECT_EQ(LAGFILTER(ctx, 1, filter), 1);
    std::string cut = "(KUN:Navn = '";
    for (int i = 13; i < 2047; ++i)
        cut += "æ";
    EXPECT_EQ(filter, cut);
    GLO::FILTER.clear();
}

TEST(StringElements, SplitJoinAndInsert)
{
    EXPECT_EQ(HENTDELSTRENG("Arial,10,0,700", 4, ","), "700");
    EXPECT_EQ(HENTDELSTRENG("Arial,10,0,700", 5, ","), "");
    EXPECT_EQ(HENTDELSTRENG("Arial,10,0,700", 0, ","), "");
    EXPECT_EQ(HENTDELSTRENG("  a,,b;c,  ", 2, ",;"), "");
    EXPECT_EQ(HENTDELSTRENG("  a,,b;c,  ", 4, ",;"), "c");
    EXPECT_EQ(HENTDELSTRENG("  a,,b;c,  ", 5, ",;"), ""); // after the last separator
    EXPECT_EQ(HENTDELSTRENG("  a,,b;c,  ", 1, ",;"), "a");
    EXPECT_EQ(HENTDELSTRENG("\tx\ty", 1, "\t"), "");
    EXPECT_EQ(HENTDELSTRENG("blåbær¤øl¤brød", 3, "¤"), "brød");
    // Cut at 255 characters, not bytes: the comma is the 254th, "x" the 255th.
    std::string wide;
    for (int i = 0; i < 253; ++i)
        wide += "æ";
    EXPECT_EQ(HENTDELSTRENG(wide + ",xy", 2, ","), "x");

    EXPECT_EQ(LEGGTILSTRENGELEMENT("", "7", ","), "7");
    EXPECT_EQ(LEGGTILSTRENGELEMENT("1,2", "", ","), "1,2");
    EXPECT_EQ(LEGGTILSTRENGELEMENT("1,2", "7", ", "), "1,2, 7");

    EXPECT_EQ(SETTINNTEKST("abcdef", "XY", 3, 0), "abXYcdef");
    EXPECT_EQ(SETTINNTEKST("abcdef", "XY", 3, 4), "abXYef");
    EXPECT_EQ(SETTINNTEKST("blåbær", "Ø", 3, 3), "blØbær");
    EXPECT_EQ(SETTINNTEKST("blåbær", "-", 7, 0), "blåbær-");
    EXPECT_EQ(SETTINNTEKST("abc", "X", 2, 99), "aX");
    EXPECT_EQ(SETTINNTEKST("abcdef", "X", 4, 2), "abcXdef"); // nothing repeated
    EXPECT_EQ(SETTINNTEKST("abc", "X", 0, 0), "Xabc");
}

} // namespace
