#include "products/produktkartotek.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int kProduktTabell = 2; // the products' number among the tables that have filters
constexpr const char* kListFilterId = "2";
constexpr const char* kGroupFilterId = "3";

} // namespace

ProduktKartotek::ProduktKartotek(Context& ctx) : FilteredRegister(ctx, kProduktTabell, Tbl::PRODUKT)
{
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::PRODUKT);
    view->ADDSORTORDER(PRO::KeyProduktId);
    view->ADDSORTORDER(PRO::KeyNavn);
    // The group key leaves out the products without a group, and the tab lists them too under
    // group 0: the group is a filter on the number order instead.
    view->ADDSORTORDER(PRO::KeyProduktId);
    view->SETSORT(1);
    Context* c = &ctx;
    std::vector<PagedTableModel::Column> columns{
        {PRO::PRODUKTID.no, "Produktnr", "@n_8B"},
        {PRO::NAVN.no, "Navn", "@s50"},
        {PRO::PRODUKTGRUPPE.no, "Produktgruppe", "@s30", Qt::AlignLeft,
         [c](const Record& r) { return gruppeFormat(*c, r.get(PRO::PRODUKTGRUPPE)); }},
        {PRO::ENHETSPRIS.no, "Enhetspris", "@n-14.`2"},
        {PRO::STDFAKTURALINJERABATT.no, "Rabatt", "@n-9`2B"},
        {PRO::MVASATS.no, "MVA", "@n2", Qt::AlignRight, mvaFormat},
        {PRO::LAGERBEHOLDNING.no, "Lagerbeholding", "@n-14.`2", Qt::AlignRight,
         lagerbeholdningFormat},
        {PRO::ENHETSBENEVNING.no, "Enhet", "@s20"}};
    makeBrowse(std::move(view), std::move(columns),
               std::vector<std::string>{"Produktnr", "Navn", "Produktgruppe"});
    browse().withoutLocator = {TabProduktgruppe};
    // Every row read looks up code texts: with the codes open for as long as the register is,
    // each lookup is a read and not an open and close of the file.
    ctx_.access(Tbl::KODEVERK_ALIAS).OPEN();
}

ProduktKartotek::~ProduktKartotek()
{
    ctx_.access(Tbl::KODEVERK_ALIAS).CLOSE();
}

void ProduktKartotek::open()
{
    browse().setTab(TabNavn);
    filter_.applyFixed(GLO::FAST_FILTERID_PRODUKT);
    reread();
}

void ProduktKartotek::setTab(int tab)
{
    browse().setTab(tab);
}

void ProduktKartotek::setProduktgruppe(int32_t group)
{
    produktgruppe_ = group;
    reread();
}

std::string ProduktKartotek::produktgruppeTekst()
{
    return gruppeFormat(ctx_, produktgruppe_);
}

void ProduktKartotek::reread()
{
    ViewManager& view = browse().view();
    for (int tab = 0; tab < static_cast<int>(browse().tabs().size()); ++tab) {
        view.SETSORT(tab + 1);
        view.SETFILTER(filter_.active(), kListFilterId);
        view.SETFILTER(tab == TabProduktgruppe
                           ? "PRO:ProduktGruppe = " + std::to_string(produktgruppe_)
                           : std::string(),
                       kGroupFilterId);
    }
    browse().setTab(browse().tab());
}

std::string ProduktKartotek::gruppeFormat(Context& ctx, int32_t group)
{
    return codeText(ctx, 102, group);
}

std::string ProduktKartotek::mvaFormat(const Record& r)
{
    if (!r.get(PRO::MVAPLIKTIG))
        return {};
    return std::string(text::trim(picture::format("@n2", int64_t{r.get(PRO::MVASATS)})));
}

std::string ProduktKartotek::lagerbeholdningFormat(const Record& r)
{
    if (!r.get(PRO::LAGERSTYRING))
        return {};
    return std::string(text::trim(picture::format("@n-14.`2", r.get(PRO::LAGERBEHOLDNING))));
}

} // namespace tavlo
