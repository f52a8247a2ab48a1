// The product register and the product form, headless: what the list shows on each tab and in
// each cell, the filters, and the form's field rules.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "products/produktform.h"
#include "products/produktkartotek.h"

using namespace tavlo;

namespace {

class ProduktTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_PRODUKT = 0;
        GLO::STD_MVA_TYPE = 1;
        GLO::STD_MVA_SATS = 25;
    }
    void TearDown() override
    {
        GLO::FAST_FILTERID_PRODUKT = 0;
        GLO::STD_MVA_TYPE = 0;
        GLO::STD_MVA_SATS = 0;
        DataFolderTest::TearDown();
    }
    int add(Context& ctx, const std::string& name, const std::function<void(Record&)>& more = {})
    {
        return addProduct(ctx, name, more);
    }
    static std::vector<int32_t> shown(ProduktKartotek& k)
    {
        std::vector<int32_t> ids;
        PagedTableModel& m = k.browse().model();
        for (int row = 0; row < m.rowCount(); ++row) {
            EXPECT_EQ(m.loadRecord(row), LEVEL_BENIGN);
            ids.push_back(k.context().rec(Tbl::PRODUKT).get(PRO::PRODUKTID));
        }
        return ids;
    }
    static QString cell(ProduktKartotek& k, int row, int column)
    {
        PagedTableModel& m = k.browse().model();
        return m.data(m.index(row, column)).toString();
    }
    // A product form over the product `id` (0: a new one) for the request.
    std::unique_ptr<ProduktForm> form(Context& ctx, int request, int32_t id = 0)
    {
        if (id) {
            auto& pro = ctx.access(Tbl::PRODUKT);
            pro.OPEN();
            pro.rec().set(PRO::PRODUKTID, id);
            EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        }
        auto f = std::make_unique<ProduktForm>(ctx, request);
        EXPECT_EQ(f->start(), LEVEL_BENIGN);
        return f;
    }
    Record stored(Context& ctx, int32_t id)
    {
        auto& pro = ctx.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, id);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        Record r = pro.rec();
        pro.CLOSE();
        return r;
    }
};

} // namespace

TEST_F(ProduktTest, TheTabsOrderTheListAndTheGroupTabListsOneGroup)
{
    Context ctx(&errors);
    addCode(ctx, 102, 7, "Verktøy");
    const int sag = add(ctx, "Sag", [](Record& r) { r.set(PRO::PRODUKTGRUPPE, 7); });
    const int avgift = add(ctx, "Avgift");
    const int hammer = add(ctx, "Hammer", [](Record& r) { r.set(PRO::PRODUKTGRUPPE, 7); });
    ProduktKartotek k(ctx);
    k.open();
    EXPECT_EQ(k.browse().tab(), ProduktKartotek::TabNavn);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{avgift, hammer, sag}));
    k.setTab(ProduktKartotek::TabProduktnr);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{sag, avgift, hammer}));

    // Group 0 is the products without a group.
    k.setTab(ProduktKartotek::TabProduktgruppe);
    EXPECT_EQ(shown(k), (std::vector<int32_t>{avgift}));
    k.setProduktgruppe(7);
    EXPECT_EQ(k.produktgruppeTekst(), "Verktøy");
    EXPECT_EQ(shown(k).size(), 2u);
    k.setTab(ProduktKartotek::TabNavn);
    EXPECT_EQ(shown(k).size(), 3u);
}

TEST_F(ProduktTest, CellsShowCodeTextsAndOnlyWhatTheProductHas)
{
    Context ctx(&errors);
    addCode(ctx, 102, 3, "Tjenester");
    add(ctx, "A lagervare", [](Record& r) {
        r.set(PRO::PRODUKTGRUPPE, 3);
        r.set(PRO::MVAPLIKTIG, 1);
        r.set(PRO::MVASATS, 25);
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, Decimal::fromCents(123450));
        r.set(PRO::STDFAKTURALINJERABATT, Decimal::fromCents(1000));
        r.set(PRO::ENHETSPRIS, Decimal::fromCents(199900));
    });
    add(ctx, "B uten lager", [](Record& r) {
        r.set(PRO::PRODUKTGRUPPE, 9); // no such group
        r.set(PRO::MVASATS, 25);      // but not VAT-liable
        r.set(PRO::LAGERBEHOLDNING, Decimal::fromInt(40));
    });
    ProduktKartotek k(ctx);
    k.open();
    using K = ProduktKartotek;
    EXPECT_EQ(cell(k, 0, K::KolGruppe), "Tjenester");
    EXPECT_EQ(cell(k, 0, K::KolPris), "1.999,00");
    EXPECT_EQ(cell(k, 0, K::KolRabatt), "10,00");
    EXPECT_EQ(cell(k, 0, K::KolMva), "25");
    EXPECT_EQ(cell(k, 0, K::KolLager), "1.234,50");
    EXPECT_EQ(cell(k, 1, K::KolGruppe), "");
    EXPECT_EQ(cell(k, 1, K::KolRabatt), "");
    EXPECT_EQ(cell(k, 1, K::KolMva), "");
    EXPECT_EQ(cell(k, 1, K::KolLager), "");
}

TEST_F(ProduktTest, FiltersAreAppliedRefusedOrForgotten)
{
    Context ctx(&errors);
    const int dyr =
        add(ctx, "Dyr", [](Record& r) { r.set(PRO::ENHETSPRIS, Decimal::fromInt(900)); });
    const int billig =
        add(ctx, "Billig", [](Record& r) { r.set(PRO::ENHETSPRIS, Decimal::fromInt(5)); });
    addFilter(ctx, 2, 4, "Dyre", "PRO:EnhetsPris > 100", "Dyre varer");

    // The fixed filter applies at opening; one that no longer exists leaves the list whole.
    GLO::FAST_FILTERID_PRODUKT = 4;
    {
        ProduktKartotek k(ctx);
        k.open();
        EXPECT_EQ(shown(k), (std::vector<int32_t>{dyr}));
        EXPECT_EQ(k.filter().description(), "Dyre varer");

        // A filter that does not evaluate is refused and the one before stays.
        k.filter().working() = "PRO:Finnesikke = 1";
        EXPECT_FALSE(k.filter().apply());
        EXPECT_EQ(answers.shown.back().text,
                  "Filteret inneholder feil og kan ikke brukes:|PRO:Finnesikke = 1");
        EXPECT_EQ(shown(k), (std::vector<int32_t>{dyr}));

        // So is one from the builder, and the description still tells what the list shows.
        answers.filterBuilder = [](int, std::string& e) {
            e = "PRO:EnhetsPris > > 1";
            return true;
        };
        EXPECT_FALSE(k.filter().avgrensning());
        EXPECT_EQ(k.filter().description(), "Dyre varer");
        EXPECT_EQ(shown(k), (std::vector<int32_t>{dyr}));

        k.filter().fjern();
        EXPECT_EQ(shown(k), (std::vector<int32_t>{billig, dyr}));
    }
    GLO::FAST_FILTERID_PRODUKT = 99;
    const std::size_t before = answers.shown.size();
    ProduktKartotek k(ctx);
    k.open();
    EXPECT_EQ(shown(k), (std::vector<int32_t>{billig, dyr}));
    EXPECT_EQ(answers.shown.size(), before);
}

TEST_F(ProduktTest, TheHighestDiscountIsKeptAsANumberTextFrom0To100)
{
    Context ctx(&errors);
    const int id = add(ctx, "Skrue");
    auto f = form(ctx, ChangeRecord, id);
    auto typed = [&](const std::string& text) {
        f->record().set(PRO::MAXFAKTURALINJERABATT, text);
        const bool ok = f->maxRabattAccepted();
        return std::make_pair(ok, std::string(f->record().get(PRO::MAXFAKTURALINJERABATT)));
    };
    EXPECT_EQ(typed("150"), std::make_pair(true, std::string("100,00")));
    EXPECT_EQ(typed("-5"), std::make_pair(true, std::string("0,00")));
    EXPECT_EQ(typed("20"), std::make_pair(true, std::string("20,00")));
    EXPECT_EQ(typed("12,5"), std::make_pair(true, std::string("12,50")));
    EXPECT_TRUE(answers.shown.empty());
    // Not a number: refused, and the field gets back what it held.
    EXPECT_EQ(typed("mye"), std::make_pair(false, std::string("12,50")));
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(typed(""), std::make_pair(true, std::string()));
    EXPECT_EQ(ProduktForm::maxRabatt("20,00"), Decimal::fromInt(20));
    EXPECT_FALSE(ProduktForm::maxRabatt("").has_value());

    // Typed and saved at once, without leaving the field: stored as its number text.
    f->record().set(PRO::MAXFAKTURALINJERABATT, "150");
    f->ok();
    EXPECT_TRUE(f->closed());
    EXPECT_EQ(stored(ctx, id).get(PRO::MAXFAKTURALINJERABATT), "100,00");
}

TEST_F(ProduktTest, VatFieldsFollowTheSystemsVatType)
{
    Context ctx(&errors);
    {
        auto& par = ctx.access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::STDMVASATS, 15);
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
    }
    auto f = form(ctx, InsertRecord);
    EXPECT_EQ(f->caption(), "Nytt produkt");
    EXPECT_EQ(f->record().get(PRO::MVASATS), 25); // the rate read at start-up
    EXPECT_TRUE(f->mvaAapen());
    EXPECT_EQ(ProduktForm::mvaTypeTekst(), "(Eksklusiv MVA)");
    GLO::STD_MVA_TYPE = 2;
    EXPECT_EQ(ProduktForm::mvaTypeTekst(), "(Inklusiv MVA)");

    // Ticking "MVA pliktig" fills in the standard rate only where there is none.
    f->record().set(PRO::MVAPLIKTIG, 1);
    f->mvapliktigAccepted();
    EXPECT_EQ(f->record().get(PRO::MVASATS), 25);
    f->record().set(PRO::MVASATS, 0);
    f->mvapliktigAccepted();
    EXPECT_EQ(f->record().get(PRO::MVASATS), 15);
    f->cancel();

    GLO::STD_MVA_TYPE = 0;
    EXPECT_EQ(ProduktForm::mvaTypeTekst(), "(Ingen MVA)");
    auto g = form(ctx, InsertRecord);
    EXPECT_FALSE(g->mvaAapen());
    g->cancel();
}

TEST_F(ProduktTest, StockFieldsOpenWithStockControl)
{
    Context ctx(&errors);
    const int id = add(ctx, "Lagervare", [](Record& r) { r.set(PRO::LAGERSTYRING, 1); });
    auto f = form(ctx, ChangeRecord, id);
    EXPECT_TRUE(f->lagerAapen());
    f->record().set(PRO::LAGERSTYRING, 0);
    EXPECT_TRUE(f->lagerstyringChanged());
    EXPECT_FALSE(f->lagerAapen());
    EXPECT_FALSE(f->lagerstyringChanged());
    f->cancel();

    auto v =
        form(ctx, ViewRecord, add(ctx, "Sett", [](Record& r) { r.set(PRO::LAGERSTYRING, 1); }));
    EXPECT_EQ(v->caption(), "View Record");
    EXPECT_FALSE(v->lagerAapen());
    EXPECT_FALSE(v->mvaAapen());
    v->cancel();
}
