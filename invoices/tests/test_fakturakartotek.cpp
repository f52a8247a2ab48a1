// The invoice register, headless: its tabs, the marks, the name search and each row's state.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "invoices/fakturakartotek.h"

using namespace tavlo;

namespace {

class FakturaKartotekTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_FAKTURA = 0;
        GLQ::TAG_FAKTURA.clear();
        ctx = std::make_unique<Context>(&errors);
        addCode(*ctx, 105, 1, "Faktura", [](Record& r) { r.set(KOD::LONG2, 0x0000FF); });
    }
    void TearDown() override
    {
        GLQ::TAG_FAKTURA.clear();
        ctx.reset();
        DataFolderTest::TearDown();
    }
    int32_t add(const std::string& kunde, const char* total, int32_t dato = 80000)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDENAVN, kunde);
        fak.rec().set(FAK::TOTALSUM, *Decimal::parse(total));
        fak.rec().set(FAK::FAKTURADATO, dato);
        fak.rec().set(FAK::FORFALLSDATO, dato + 14);
        fak.rec().set(FAK::FAKTURASTATUS, 1);
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        return id;
    }
    std::vector<int32_t> shown(FakturaKartotek& k)
    {
        std::vector<int32_t> ids;
        PagedTableModel& m = k.browse().model();
        for (int row = 0; row < m.rowCount(); ++row) {
            EXPECT_EQ(m.loadRecord(row), LEVEL_BENIGN);
            ids.push_back(ctx->rec(Tbl::FAKTURA).get(FAK::FAKTURAID));
        }
        return ids;
    }
    static std::vector<int32_t> marked()
    {
        std::vector<int32_t> ids;
        for (const auto& t : GLQ::TAG_FAKTURA)
            ids.push_back(t.id);
        return ids;
    }

    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(FakturaKartotekTest, ItOpensOnTheNewestInvoiceDateAndSearchesCustomerNames)
{
    const int a = add("Hansen AS", "100", 80000);
    const int b = add("Olsen & Bas", "50", 80100);
    const int c = add("Berg", "75", 80050);
    FakturaKartotek k(*ctx);
    k.open("");
    EXPECT_EQ(k.browse().tab(), FakturaKartotek::TabFakturadato);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{b, c, a}));
    k.setTab(FakturaKartotek::TabTotalsum);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{b, c, a}));
    k.setTab(FakturaKartotek::TabKunde);
    k.setKundenavn("as");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{a, b}));
    // The search belongs to the "Kunde" tab only.
    k.setTab(FakturaKartotek::TabFakturanr);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{a, b, c}));
    PagedTableModel& m = k.browse().model();
    EXPECT_EQ(m.data(m.index(0, 10)).toString(), "Faktura");
    EXPECT_EQ(FakturaKartotek::statusFarge(*ctx, 1), 0x0000FF);
    EXPECT_EQ(FakturaKartotek::statusFarge(*ctx, 9), -1);
}

TEST_F(FakturaKartotekTest, MarkAllTakesEveryInvoiceWhateverTheFilterAndSpaceTwiceUndoes)
{
    const int a = add("Hansen AS", "100");
    const int b = add("Olsen & Bas", "50");
    addFilter(*ctx, 3, 1, "Store", "FAK:TotalSum > 75", "Store");
    GLO::FAST_FILTERID_FAKTURA = 1;
    FakturaKartotek k(*ctx);
    k.open("");
    EXPECT_EQ(shown(k), (std::vector<int32_t>{a}));
    EXPECT_TRUE(k.merkAlle());
    EXPECT_EQ(marked(), (std::vector<int32_t>{a, b}));
    k.fjernAvmerkinger();
    EXPECT_TRUE(marked().empty());
    k.toggleTag(b);
    k.toggleTag(b);
    EXPECT_TRUE(marked().empty());
    k.toggleTag(b);
    EXPECT_TRUE(FakturaKartotek::tagged(b));
    GLO::FAST_FILTERID_FAKTURA = 0;
}

TEST_F(FakturaKartotekTest, TheMenuEmptiesTheMarksAndTheGenerationKeepsThem)
{
    const int a = add("Hansen AS", "100");
    GLQ::TAG_FAKTURA.push_back({a, 7});
    {
        FakturaKartotek k(*ctx);
        k.open("Grunnlag");
        EXPECT_EQ(marked(), std::vector<int32_t>{a});
        const int b = add("Berg", "1");
        k.toggleTag(b);
        EXPECT_EQ(GLQ::TAG_FAKTURA.back().order, 8); // numbered after the kept ones
    }
    FakturaKartotek k(*ctx);
    k.open("");
    EXPECT_TRUE(marked().empty());
}

TEST_F(FakturaKartotekTest, AnUnpaidInvoiceDueTodayIsOverdueAndOneDueTomorrowIsNot)
{
    Record r(table(Tbl::FAKTURA));
    const int32_t idag = date::today();
    r.set(FAK::FORFALLSDATO, idag);
    EXPECT_TRUE(FakturaKartotek::rowState(r, idag) & FakturaKartotek::MarkOverdue);
    r.set(FAK::FORFALLSDATO, idag + 1);
    EXPECT_FALSE(FakturaKartotek::rowState(r, idag) & FakturaKartotek::MarkOverdue);
    r.set(FAK::FORFALLSDATO, 0); // no due date: overdue while unpaid
    EXPECT_TRUE(FakturaKartotek::rowState(r, idag) & FakturaKartotek::MarkOverdue);
    r.set(FAK::BETALTDATO, idag);
    EXPECT_FALSE(FakturaKartotek::rowState(r, idag) & FakturaKartotek::MarkOverdue);
    r.set(FAK::UTSKRIFTSTATUS, 1);
    EXPECT_EQ(FakturaKartotek::rowState(r, idag), FakturaKartotek::MarkPrint);
}
