#include <QAbstractItemModelTester>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <random>

#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/pagedmodel.h"
#include "framework/text.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

struct Customer {
    std::string navn;
    int32_t postnr = 0;
    int64_t kreditt = 0; // hundredths
    int32_t regdato = 0;
    int32_t gruppe = 0;
};

class PagedModelTest : public DataFolderTest {
  protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_pagedmodel";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        tester.reset();
        model.reset();
        ctx.reset();
        DataFolderTest::TearDown();
    }

    // Stores the customers in one transaction; they are numbered 1, 2, … in this order.
    void store(const std::vector<Customer>& customers)
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        ASSERT_EQ(kun.USEFILE(), LEVEL_BENIGN);
        StoreError err;
        ASSERT_TRUE(kun.file()->begin(err));
        for (const auto& c : customers) {
            kun.rec().clear();
            kun.rec().set(KUN::NAVN, c.navn);
            kun.rec().set(KUN::POSTNR, c.postnr);
            kun.rec().set(KUN::KREDITTGRENSE, Decimal::fromCents(c.kreditt));
            kun.rec().set(KUN::REGISTRERINGSDATO, c.regdato);
            kun.rec().set(KUN::KUNDEGRUPPE, c.gruppe);
            kun.rec().set(KUN::DIV, "notat " + c.navn);
            ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
        }
        ASSERT_TRUE(kun.file()->commit(err));
        kun.CLOSE();
    }

    // A register of customers on the name (1), number (2) and group (3) orders, its list
    // watched by the model tester and by a check that the window never grows past its page.
    PagedTableModel& open(const std::string& filter = {})
    {
        auto view = std::make_unique<ViewManager>();
        view->INIT(*ctx, Tbl::KUNDE);
        view->ADDSORTORDER(KUN::KeyNavn);
        if (!filter.empty())
            view->SETFILTER(filter);
        view->ADDSORTORDER(KUN::KeyKundeId);
        view->ADDSORTORDER(KUN::KeyKundeGruppe_Navn);
        model = std::make_unique<PagedTableModel>(
            std::move(view), std::vector<PagedTableModel::Column>{
                                 {KUN::KUNDEID.no, "Kundenr", "@n_6", {}},
                                 {KUN::NAVN.no, "Navn", "@s50", {}},
                                 {KUN::POSTNR.no, "Postnr", "@n04", {}},
                                 {KUN::KREDITTGRENSE.no, "Kredittgrense", "@n-14.`2B", {}},
                                 {KUN::REGISTRERINGSDATO.no, "Registrert", "@d06.B", {}},
                             });
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        auto watch = [this] { most = std::max(most, model->rowCount()); };
        QObject::connect(model.get(), &QAbstractItemModel::rowsInserted, watch);
        QObject::connect(model.get(), &QAbstractItemModel::modelReset, watch);
        return *model;
    }

    int id(int row) const { return model->data(model->index(row, 0)).toString().toInt(); }
    std::string name(int row) const
    {
        return model->data(model->index(row, 1)).toString().toStdString();
    }
    std::vector<int> ids() const
    {
        std::vector<int> out;
        for (int r = 0; r < model->rowCount(); ++r)
            out.push_back(id(r));
        return out;
    }
    static std::vector<int> range(int from, int to)
    {
        std::vector<int> out;
        for (int i = from; i <= to; ++i)
            out.push_back(i);
        return out;
    }
    void erase(int kundeid)
    {
        Context other(&errors); // another register, another user
        auto& kun = other.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kundeid);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        ASSERT_EQ(kun.DELETERECORD(), LEVEL_BENIGN);
        kun.CLOSE();
    }

    std::unique_ptr<Context> ctx;
    std::unique_ptr<PagedTableModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    int most = 0; // the most rows the window held
};

// Numbered customers "Kunde 0001" … in number and name order alike.
std::vector<Customer> numbered(int n)
{
    std::vector<Customer> out;
    for (int i = 1; i <= n; ++i) {
        char navn[16];
        std::snprintf(navn, sizeof navn, "Kunde %04d", i);
        out.push_back({navn, 1000 + i, 0, 0});
    }
    return out;
}

} // namespace

TEST_F(PagedModelTest, PagesThroughTenThousandRecordsEachOnceInKeyOrderAndBack)
{
    // Names repeat (ties keep the order they were added in) and use the letters a byte order
    // gets wrong.
    const char* const first[] = {"Å", "æ", "Ø", "o", "Z", "a", "Ær", "øy", "Aa", "ZZ", "b", "å"};
    std::mt19937 rng(2004);
    std::vector<Customer> customers;
    for (int i = 0; i < 10000; ++i)
        customers.push_back(
            {std::string(first[rng() % 12]) + "sen " + std::to_string(rng() % 400), 1, 0, 0});
    store(customers);
    std::vector<int> expected = range(1, 10000);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
        return text::collate(customers[a - 1].navn, customers[b - 1].navn) < 0;
    });

    auto& m = open();
    m.home();
    ASSERT_EQ(m.rowCount(), 20);
    EXPECT_EQ(m.currentRow(), 0);
    std::vector<int> seen = ids();
    // Steps of 7 and 1 fall across the store's reads of 20 at every offset.
    for (int step = 0; step < 10000; ++step) {
        const int n = step % 3 ? 7 : 1;
        const int got = m.scrollDown(n);
        ASSERT_LE(got, n);
        if (got == 0)
            break;
        ASSERT_EQ(m.rowCount(), 20);
        for (int r = 20 - got; r < 20; ++r)
            seen.push_back(id(r));
    }
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(m.scrollDown(5), 0); // at the end nothing changes
    EXPECT_EQ(ids(), std::vector<int>(expected.end() - 20, expected.end()));

    // Back to the top a page at a time; every page is the one before the last in key order.
    m.setCurrentRow(5);
    int pages = 0;
    for (int step = 0; step < 1000; ++step) {
        auto before = ids();
        const int got = m.pageUp();
        if (got == 0)
            break;
        ++pages;
        auto now = ids();
        auto at = std::find(expected.begin(), expected.end(), before.front()) - expected.begin();
        ASSERT_GE(at, got);
        EXPECT_EQ(now,
                  std::vector<int>(expected.begin() + at - got, expected.begin() + at - got + 20));
        EXPECT_EQ(m.currentRow(), got == 20 ? 5 : 0);
    }
    EXPECT_EQ(pages, 499);
    EXPECT_EQ(ids(), std::vector<int>(expected.begin(), expected.begin() + 20));
    EXPECT_EQ(m.currentRow(), 0);
    EXPECT_EQ(most, 20);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(PagedModelTest, EndScrollUpAndPagesThatDoNotFillUp)
{
    store(numbered(55));
    auto& m = open();
    m.setSort(2); // by number
    m.end();
    EXPECT_EQ(ids(), range(36, 55));
    EXPECT_EQ(m.currentRow(), 19);

    // The current row stays on its record while there is room, and the last row goes.
    EXPECT_EQ(m.scrollUp(1), 1);
    EXPECT_EQ(ids(), range(35, 54));
    EXPECT_EQ(m.currentRow(), 19);
    m.setCurrentRow(3);
    EXPECT_EQ(m.scrollUp(2), 2);
    EXPECT_EQ(ids(), range(33, 52));
    EXPECT_EQ(m.currentRow(), 5);

    // More than a page at once keeps the last page read.
    EXPECT_EQ(m.scrollUp(25), 25);
    EXPECT_EQ(ids(), range(8, 27));
    EXPECT_EQ(m.scrollUp(30), 7);
    EXPECT_EQ(ids(), range(1, 20));
    EXPECT_EQ(m.scrollUp(), 0);

    // Down: the current row follows its record, or stays at the top when that scrolled off.
    m.setCurrentRow(10);
    EXPECT_EQ(m.scrollDown(3), 3);
    EXPECT_EQ(ids(), range(4, 23));
    EXPECT_EQ(id(m.currentRow()), 11);
    EXPECT_EQ(m.scrollDown(12), 12);
    EXPECT_EQ(m.currentRow(), 0);
    EXPECT_EQ(id(0), 16);
    m.home();

    // Less than a page left: the window moves as far as it can, the current row to its end.
    m.setCurrentRow(4);
    EXPECT_EQ(m.pageDown(), 20);
    EXPECT_EQ(ids(), range(21, 40));
    EXPECT_EQ(m.currentRow(), 4);
    EXPECT_EQ(m.pageDown(), 15);
    EXPECT_EQ(ids(), range(36, 55));
    EXPECT_EQ(m.currentRow(), 19);
    EXPECT_EQ(m.pageDown(), 0);
    EXPECT_EQ(m.currentRow(), 19);

    // A window larger than the view holds all of it and scrolls nowhere.
    m.setPageSize(100);
    EXPECT_EQ(ids(), range(1, 55));
    EXPECT_EQ(m.currentRow(), 54);
    EXPECT_EQ(m.scrollDown(), 0);
    EXPECT_EQ(m.scrollUp(), 0);
    m.setPageSize(10);
    EXPECT_EQ(m.rowCount(), 10);
    EXPECT_EQ(id(m.currentRow()), 55);
    EXPECT_LE(most, 100);
}

TEST_F(PagedModelTest, LocatesInNorwegianLetterOrderAndOnNumbers)
{
    std::vector<Customer> customers;
    for (const char* n : {"Aas", "Berg", "Zahl", "Ærø", "Øvre", "Østby", "Åsen", "Ågot"})
        customers.push_back({n, 0, 0, 0, 2});
    for (int i = 0; i < 30; ++i)
        customers.push_back({"Mo " + std::to_string(10 + i), 0, 0, 0, i % 2});
    store(customers); // numbered 1 … 38
    auto& m = open();
    m.setPageSize(5);
    m.home();

    // Lower case finds upper case; Æ, Ø, Å come after Z in that order.
    ASSERT_TRUE(m.locate("zz"));
    EXPECT_EQ(name(0), "Ærø");
    EXPECT_EQ(m.currentRow(), 0);
    ASSERT_TRUE(m.locate("ø"));
    EXPECT_EQ(name(m.currentRow()), "Østby");
    EXPECT_EQ(name(m.currentRow() + 1), "Øvre");
    // Near the end the page is filled from above.
    ASSERT_TRUE(m.locate("Å"));
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(m.currentRow(), 3);
    EXPECT_EQ(name(3), "Ågot");
    EXPECT_EQ(name(0), "Ærø");
    ASSERT_TRUE(m.locate("mo 2"));
    EXPECT_EQ(name(0), "Mo 20");
    EXPECT_EQ(m.currentRow(), 0);
    // Past every record: the last page, its last row current.
    ASSERT_TRUE(m.locate("ÅÅÅ"));
    EXPECT_EQ(name(4), "Åsen");
    EXPECT_EQ(m.currentRow(), 4);
    ASSERT_TRUE(m.locate(""));
    EXPECT_EQ(name(0), "Aas");

    // On the number order the text is a number; what is none leaves the list alone.
    m.setSort(2);
    ASSERT_TRUE(m.locate(" 17 "));
    EXPECT_EQ(ids(), range(17, 21));
    EXPECT_FALSE(m.locate("sytten"));
    EXPECT_EQ(ids(), range(17, 21));
    ASSERT_TRUE(m.locate("-5"));
    EXPECT_EQ(id(0), 1);
    ASSERT_TRUE(m.locate("99999999999"));
    EXPECT_EQ(id(4), 38);

    // On a key of two components the typed group starts with its first name, whatever the
    // buffer held in the name.
    m.setSort(3);
    m.end();
    ASSERT_TRUE(m.locate("1"));
    EXPECT_EQ(name(0), "Mo 11");
    ASSERT_TRUE(m.locate("2"));
    EXPECT_EQ(name(0), "Aas");
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(PagedModelTest, AFilterThatMatchesNothingGivesAnEmptyListThatStaysCalm)
{
    store(numbered(30));
    auto& m = open("KUN:PostNr < 0");
    m.home();
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(m.currentRow(), -1);
    m.end();
    EXPECT_EQ(m.scrollDown(3), 0);
    EXPECT_EQ(m.scrollUp(3), 0);
    EXPECT_EQ(m.pageDown(), 0);
    EXPECT_EQ(m.pageUp(), 0);
    EXPECT_TRUE(m.locate("Kunde"));
    m.refresh();
    m.setPageSize(3);
    m.setCurrentRow(2);
    EXPECT_EQ(m.currentRow(), -1);
    EXPECT_NE(m.loadRecord(0), LEVEL_BENIGN);
    EXPECT_FALSE(m.showRecord(RowRef{5, 0})); // stored, but outside the view
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(m.position(0), "");
    EXPECT_EQ(m.columnCount(), 5);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(PagedModelTest, RefreshAfterAnotherUserDeletedOrChangedRows)
{
    store(numbered(40));
    auto& m = open();
    m.home();
    m.pageDown();
    m.setCurrentRow(7);
    ASSERT_EQ(id(7), 28);

    // The row after the deleted one takes its place; the page, ending with the view, is
    // filled from above.
    erase(28);
    m.refresh();
    std::vector<int> expected = range(20, 40);
    expected.erase(std::find(expected.begin(), expected.end(), 28));
    EXPECT_EQ(ids(), expected);
    EXPECT_EQ(id(m.currentRow()), 29);

    // The last record goes while it is current: the one before it becomes current.
    m.setCurrentRow(m.rowCount() - 1);
    erase(40);
    m.refresh();
    EXPECT_EQ(id(m.currentRow()), 39);
    EXPECT_EQ(m.rowCount(), 20);

    // Scrolling past a deleted bottom row reads on from where it stood.
    m.home();
    erase(20);
    EXPECT_EQ(m.scrollDown(2), 2);
    EXPECT_EQ(id(18), 21);
    EXPECT_EQ(id(19), 22);

    // A record changed elsewhere: the row shows the old text until refreshed, the record
    // loaded for a form is the stored one.
    {
        Context other(&errors);
        auto& kun = other.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, 5);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::DIV, "endret");
        ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
    }
    ASSERT_EQ(id(2), 5);
    ASSERT_EQ(m.loadRecord(2), LEVEL_BENIGN);
    EXPECT_EQ(m.currentRow(), 2);
    auto& kun = ctx->access(Tbl::KUNDE);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "Kunde 0005");
    EXPECT_EQ(kun.rec().get(KUN::DIV), "endret");
    kun.rec().set(KUN::DIV, "mitt");
    EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN); // the record as loaded is the current one
    erase(6);
    EXPECT_NE(m.loadRecord(3), LEVEL_BENIGN);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(PagedModelTest, ShowRecordFindsAnInsertedRecordWhereverItSorts)
{
    store(numbered(60));
    auto& m = open("KUN:PostNr > 1000");
    m.home();
    m.setCurrentRow(6);

    // As a form adds it: through the table's manager in the register's context.
    auto& kun = ctx->access(Tbl::KUNDE);
    kun.OPEN();
    kun.SET(KUN::KeyPostNr); // the form walked another order before
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "Kunde 0042b");
    kun.rec().set(KUN::POSTNR, 5000);
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
    const int added = kun.rec().get(KUN::KUNDEID);
    std::string at = kun.POSITION();
    kun.CLOSE();

    ASSERT_TRUE(m.showRecord(at));
    EXPECT_EQ(m.currentRow(), 6);
    EXPECT_EQ(id(6), added);
    EXPECT_EQ(id(5), 42);
    EXPECT_EQ(id(7), 43);
    EXPECT_EQ(m.rowCount(), 20);

    // Near the end of the order the page is filled from above.
    kun.OPEN();
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "Kunde 9999");
    kun.rec().set(KUN::POSTNR, 5000);
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
    RowRef last = kun.current();
    kun.CLOSE();
    ASSERT_TRUE(m.showRecord(last));
    EXPECT_EQ(m.currentRow(), 19);
    EXPECT_EQ(id(18), 60);

    // A record the filter leaves out: the page where it would stand, the next row current.
    kun.OPEN();
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "Kunde 0010b");
    kun.rec().set(KUN::POSTNR, 10);
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
    at = kun.POSITION();
    kun.CLOSE();
    m.setCurrentRow(0);
    EXPECT_FALSE(m.showRecord(at));
    EXPECT_EQ(id(0), 11);
    EXPECT_FALSE(m.showRecord(std::string("garbage")));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(PagedModelTest, SortSwitchAndTheRowsAsShown)
{
    std::vector<Customer> customers{
        {"Øst", 150, 123450, date::fromYmd(2004, 12, 31)},
        {"Berg", 7, 0, 0},
        {"Ås", 9990, -100000050, date::fromYmd(2010, 1, 2)},
        {"Aas", 1, 99, 0},
    };
    store(customers);
    auto& m = open();
    m.home();
    EXPECT_EQ(ids(), (std::vector<int>{4, 2, 1, 3})); // Aas, Berg, Øst, Ås
    m.setSort(2);
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(m.currentRow(), 0);
    m.setSort(1);
    EXPECT_EQ(ids(), (std::vector<int>{4, 2, 1, 3}));

    auto cell = [&](int row, int col) { return m.data(m.index(row, col)).toString(); };
    EXPECT_EQ(cell(2, 2), "0150");
    EXPECT_EQ(cell(2, 3), "1.234,50");
    EXPECT_EQ(cell(2, 4), "31.12.2004");
    EXPECT_EQ(cell(1, 3), ""); // blank for zero
    EXPECT_EQ(cell(1, 4), "");
    EXPECT_EQ(cell(3, 3), "-1.000.000,50");
    EXPECT_EQ(cell(0, 3), "0,99");
    EXPECT_EQ(m.headerData(1, Qt::Horizontal).toString(), "Navn");
    EXPECT_EQ(m.data(m.index(0, 3), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignLeft | Qt::AlignVCenter));

    // Invoices newest first: a date is typed as the list shows it and found in the key's
    // descending order.
    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    for (auto d :
         {date::fromYmd(2004, 1, 1), date::fromYmd(2004, 6, 15), date::fromYmd(2004, 12, 31),
          date::fromYmd(2005, 1, 2), date::fromYmd(2004, 12, 31)}) {
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURADATO, d);
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    }
    fak.CLOSE();
    auto view = std::make_unique<ViewManager>();
    view->INIT(*ctx, Tbl::FAKTURA);
    view->ADDSORTORDER(FAK::KeyFakturaDato2);
    PagedTableModel invoices(std::move(view), {{FAK::FAKTURADATO.no, "Dato", "@d06.", {}},
                                               {9999, "ingen", "", {}},
                                               {FAK::FAKTURAID.no, "Nr", "", {}}});
    QAbstractItemModelTester watch(&invoices,
                                   QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(invoices.columnCount(), 2); // a field the table does not have is left out
    auto date = [&](int row) { return invoices.data(invoices.index(row, 0)).toString(); };
    invoices.home();
    EXPECT_EQ(date(0), "02.01.2005");
    ASSERT_TRUE(invoices.locate("31.12.2004"));
    EXPECT_EQ(date(invoices.currentRow()), "31.12.2004");
    ASSERT_TRUE(invoices.locate("30.12.04"));
    EXPECT_EQ(date(invoices.currentRow()), "15.06.2004");
    EXPECT_EQ(invoices.rowCount(), 5);
    EXPECT_FALSE(invoices.locate("1.13.2004"));
    EXPECT_EQ(date(invoices.currentRow()), "15.06.2004");

    // Equal dates of a descending key come newest added first, each once, both ways.
    auto nr = [&](int row) { return invoices.data(invoices.index(row, 1)).toInt(); };
    invoices.setPageSize(1);
    invoices.home();
    std::vector<int> down{nr(0)}, up;
    while (invoices.scrollDown() == 1 && down.size() < 10)
        down.push_back(nr(0));
    EXPECT_EQ(down, (std::vector<int>{4, 5, 3, 2, 1}));
    up.push_back(nr(0));
    while (invoices.scrollUp() == 1 && up.size() < 10)
        up.push_back(nr(0));
    EXPECT_EQ(up, (std::vector<int>{1, 2, 3, 5, 4}));
    invoices.setPageSize(5);
    invoices.locate("31.12.2004");
    invoices.setCurrentRow(2);
    invoices.refresh();
    EXPECT_EQ(nr(invoices.currentRow()), 3);
}
