// The customer register: which customers the list shows on each tab, the marks and the filters.
#include "customers/kundekartotek.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

class KundeKartotekTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_KUNDE = 0;
        GLQ::TAG_KUNDE.clear();
    }
    void TearDown() override
    {
        GLO::FAST_FILTERID_KUNDE = 0;
        DataFolderTest::TearDown();
    }
    int add(Context& ctx, const std::string& name, const std::function<void(Record&)>& more = {})
    {
        const int id = addCustomer(ctx, name);
        if (more) {
            auto& kun = ctx.access(Tbl::KUNDE);
            kun.OPEN();
            kun.rec().set(KUN::KUNDEID, id);
            EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
            more(kun.rec());
            EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN);
            kun.CLOSE();
        }
        return id;
    }
    // The customer numbers of the list's rows, top to bottom.
    static std::vector<int32_t> shown(KundeKartotek& k)
    {
        std::vector<int32_t> ids;
        PagedTableModel& m = k.browse().model();
        for (int row = 0; row < m.rowCount(); ++row) {
            EXPECT_EQ(m.loadRecord(row), LEVEL_BENIGN);
            ids.push_back(k.context().rec(Tbl::KUNDE).get(KUN::KUNDEID));
        }
        return ids;
    }
    static std::vector<std::pair<int32_t, int32_t>> tags()
    {
        std::vector<std::pair<int32_t, int32_t>> t;
        for (const auto& e : GLQ::TAG_KUNDE)
            t.emplace_back(e.id, e.order);
        return t;
    }
};

} // namespace

TEST_F(KundeKartotekTest, TheNameSearchNarrowsOnlyTheNameTab)
{
    Context ctx(&errors);
    const int berg = add(ctx, "Berg AS");
    const int dahl = add(ctx, "Dahl");
    const int bil = add(ctx, "Bergen Bil");
    const int neil = add(ctx, "O'Neil");
    KundeKartotek k(ctx);
    k.open();
    EXPECT_EQ(k.browse().tab(), KundeKartotek::TabNavn);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{berg, bil, dahl, neil}));

    k.setNavn("berg");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{berg, bil}));
    k.setTab(KundeKartotek::TabKundenr);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{berg, dahl, bil, neil}));
    k.setTab(KundeKartotek::TabNavn);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{berg, bil}));

    // A quote in the search is part of the text, not the end of it.
    k.setNavn("o'n");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{neil}));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(KundeKartotekTest, TheGroupTabShowsTheChosenGroupOnly)
{
    Context ctx(&errors);
    addCode(ctx, 103, 2, "Storkunder");
    add(ctx, "Alfa", [](Record& r) { r.set(KUN::KUNDEGRUPPE, 1); });
    const int beta = add(ctx, "Beta", [](Record& r) { r.set(KUN::KUNDEGRUPPE, 2); });
    const int ceta = add(ctx, "Ceta", [](Record& r) { r.set(KUN::KUNDEGRUPPE, 2); });
    KundeKartotek k(ctx);
    k.open();
    k.setKundegruppe(2);
    EXPECT_EQ(k.kundegruppeTekst(), "Storkunder");
    k.setTab(KundeKartotek::TabKundegruppe);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{beta, ceta}));
    EXPECT_EQ(shown(k).size(), 2u) << "reading a row must not move the range";
    k.setTab(KundeKartotek::TabNavn);
    EXPECT_EQ(shown(k).size(), 3u);
}

TEST_F(KundeKartotekTest, MarkingAllFollowsTheFilterInCustomerNumberOrder)
{
    Context ctx(&errors);
    const int d = add(ctx, "D");
    add(ctx, "C", [](Record& r) { r.set(KUN::BETALINGSBETINGELSER, 30); });
    const int b = add(ctx, "B");
    const int a = add(ctx, "A");
    KundeKartotek k(ctx);
    GLQ::TAG_KUNDE.push_back({99, 1}); // from the last time the register was open
    k.open();
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());

    k.filter().working() = "KUN:BetalingsBetingelser <> 30";
    ASSERT_TRUE(k.filter().apply());
    EXPECT_EQ(shown(k), (std::vector<int32_t>{a, b, d}));
    ASSERT_TRUE(k.merkAlle());
    EXPECT_EQ(tags(), (std::vector<std::pair<int32_t, int32_t>>{{d, 1}, {b, 2}, {a, 3}}));

    // Space takes a mark away and gives a new one the next number.
    k.toggleTag(b);
    k.toggleTag(b);
    EXPECT_EQ(tags(), (std::vector<std::pair<int32_t, int32_t>>{{d, 1}, {b, 4}, {a, 3}}));
    EXPECT_TRUE(KundeKartotek::tagged(a));

    // The name search narrows the marking as it narrows the list.
    k.setNavn("a");
    ASSERT_TRUE(k.merkAlle());
    EXPECT_EQ(tags(), (std::vector<std::pair<int32_t, int32_t>>{{a, 1}}));

    k.fjernAvmerkinger();
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
    k.toggleTag(d);
    EXPECT_EQ(tags(), (std::vector<std::pair<int32_t, int32_t>>{{d, 1}}));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(KundeKartotekTest, MarksGivenOutOfOrderAreFoundAndKeepTheirNumbers)
{
    Context ctx(&errors);
    std::vector<int> id;
    for (const char* name : {"Eli", "Dag", "Cato", "Bo", "Arne"})
        id.push_back(add(ctx, name));
    KundeKartotek k(ctx);
    k.open();
    for (int i : {3, 0, 4, 1})
        k.toggleTag(id[i]);
    EXPECT_EQ(tags(), (std::vector<std::pair<int32_t, int32_t>>{
                          {id[0], 2}, {id[1], 4}, {id[3], 1}, {id[4], 3}}));
    for (int i : {0, 1, 3, 4})
        EXPECT_TRUE(KundeKartotek::tagged(id[i])) << i;
    EXPECT_FALSE(KundeKartotek::tagged(id[2]));
    EXPECT_FALSE(KundeKartotek::tagged(0));
    EXPECT_FALSE(KundeKartotek::tagged(id[4] + 1));

    // Taking a mark from the middle and giving one between keeps the others' numbers.
    k.toggleTag(id[3]);
    k.toggleTag(id[2]);
    k.toggleTag(id[0]);
    EXPECT_EQ(tags(),
              (std::vector<std::pair<int32_t, int32_t>>{{id[1], 4}, {id[2], 5}, {id[4], 3}}));
    EXPECT_FALSE(KundeKartotek::tagged(id[3]));

    // The list draws its rows with the marks ("Arne" to "Eli" on the "Navn" tab).
    PagedTableModel& m = k.browse().model();
    m.refresh();
    ASSERT_EQ(m.rowCount(), 5);
    std::vector<int> marks;
    for (int row = 0; row < m.rowCount(); ++row)
        marks.push_back(m.data(m.index(row, 0), PagedTableModel::MarkRole).toInt());
    EXPECT_EQ(marks, (std::vector<int>{1, 0, 1, 1, 0}));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(KundeKartotekTest, AFaultyFilterIsRefusedAndTheActiveOneStays)
{
    Context ctx(&errors);
    add(ctx, "A", [](Record& r) { r.set(KUN::POSTNR, 5003); });
    const int b = add(ctx, "B", [](Record& r) { r.set(KUN::POSTNR, 7010); });
    KundeKartotek k(ctx);
    k.open();
    k.filter().working() = "  KUN:PostNr = 7010  ";
    ASSERT_TRUE(k.filter().apply());
    EXPECT_EQ(k.filter().active(), "KUN:PostNr = 7010");
    EXPECT_EQ(k.filter().description(), "KUN:PostNr = 7010");

    k.filter().working() = "KUN:PostNrr = 1";
    EXPECT_FALSE(k.filter().apply());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text,
              "Filteret inneholder feil og kan ikke brukes:|KUN:PostNrr = 1");
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(k.filter().active(), "KUN:PostNr = 7010");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{b}));

    // A blank filter changes nothing and says nothing.
    k.filter().working() = "   ";
    EXPECT_FALSE(k.filter().apply());
    EXPECT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{b}));

    k.filter().fjern();
    EXPECT_EQ(k.filter().description(), "");
    EXPECT_EQ(shown(k).size(), 2u);
}

TEST_F(KundeKartotekTest, TheBuilderAndTheSavedFiltersApplyWithTheirDescriptions)
{
    Context ctx(&errors);
    add(ctx, "A");
    const int b = add(ctx, "B", [](Record& r) { r.set(KUN::RABATT, Decimal::fromCents(500)); });
    addFilter(ctx, 1, 3, "Rabatt", "KUN:Rabatt > 0", "Kunder med rabatt");
    KundeKartotek k(ctx);
    k.open();

    answers.picks = {0};
    ASSERT_TRUE(k.filter().hentFilter());
    EXPECT_EQ(k.filter().description(), "Kunder med rabatt");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{b}));

    // The builder's filter has no description of its own: its text is shown.
    answers.filterBuilder = [](int, std::string& expression) {
        expression = "KUN:Navn = 'A'";
        return true;
    };
    ASSERT_TRUE(k.filter().avgrensning());
    EXPECT_EQ(k.filter().description(), "KUN:Navn = 'A'");
    EXPECT_EQ(shown(k).size(), 1u);
    EXPECT_NE(shown(k)[0], b);
}

TEST_F(KundeKartotekTest, TheFixedFilterAppliesAtOpenUnlessItIsGone)
{
    Context ctx(&errors);
    add(ctx, "A");
    const int b = add(ctx, "B", [](Record& r) { r.set(KUN::KUNDEGRUPPE, 4); });
    addFilter(ctx, 1, 7, "Gruppe 4", "KUN:KundeGruppe = 4", "");
    {
        GLO::FAST_FILTERID_KUNDE = 7;
        KundeKartotek k(ctx);
        k.open();
        EXPECT_EQ(k.filter().description(), "KUN:KundeGruppe = 4");
        EXPECT_EQ(shown(k), (std::vector<int32_t>{b}));
    }
    {
        GLO::FAST_FILTERID_KUNDE = 8;
        KundeKartotek k(ctx);
        k.open();
        EXPECT_EQ(k.filter().active(), "");
        EXPECT_EQ(k.filter().description(), "");
        EXPECT_EQ(shown(k).size(), 2u);
    }
    EXPECT_TRUE(answers.shown.empty());
}
