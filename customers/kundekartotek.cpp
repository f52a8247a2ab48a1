#include "customers/kundekartotek.h"

#include <algorithm>

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/filterexpr.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int kKundeTabell = 1; // the customers' number among the tables that have filters
constexpr const char* kListFilterId = "2";

} // namespace

KundeKartotek::KundeKartotek(Context& ctx)
    : FilteredRegister(ctx, kKundeTabell, Tbl::KUNDE), marks_(GLQ::TAG_KUNDE)
{
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::KUNDE);
    view->ADDSORTORDER(KUN::KeyKundeId);
    view->ADDSORTORDER(KUN::KeyNavn);
    view->ADDSORTORDER(KUN::KeyAdresse);
    view->ADDSORTORDER(KUN::KeyPostNr);
    view->SETSORT(view->ADDSORTORDER(KUN::KeyKundeGruppe_Navn));
    view->ADDRANGE(KUN::KUNDEGRUPPE.no);
    view->SETSORT(1);
    Context* c = &ctx;
    std::vector<PagedTableModel::Column> columns{
        {KUN::KUNDEID.no, "Kundenr", "@n_8B", {}},
        {KUN::NAVN.no, "Navn", "@s50", {}},
        {KUN::ADRESSE.no, "Adresse", "@s50", {}},
        {KUN::POSTNR.no, "Poststed", "@s24", Qt::AlignLeft,
         [c](const Record& r) { return postnrFormat(*c, r.get(KUN::POSTNR)); }},
        {KUN::KUNDEGRUPPE.no, "Kundegruppe", "@s20", Qt::AlignLeft,
         [c](const Record& r) { return kundegruppeFormat(*c, r.get(KUN::KUNDEGRUPPE)); }},
        {KUN::TELEFON.no, "Telefon", "@s20", {}},
        {KUN::FAKS.no, "Faks", "@s20", {}},
        {KUN::MOBIL.no, "Mobil", "@s20", {}},
        {KUN::EMAIL.no, "E-mail", "@s127", {}},
        {KUN::BETALINGSBETINGELSER.no, "Bet.", "@n_5B", {}}};
    makeBrowse(std::move(view), std::move(columns),
               std::vector<std::string>{"Kundenr", "Navn", "Adresse", "Postnr", "Kundegruppe"});
    browse().withoutLocator = {TabKundegruppe};
    browse().tabChanging = [this](int) {
        ctx_.rec(Tbl::KUNDE).set(KUN::KUNDEGRUPPE, kundegruppe_);
    };
    browse().model().rowMark = [](const Record& r) { return tagged(r.get(KUN::KUNDEID)) ? 1 : 0; };
    // Every row read looks up code texts: with the codes open for as long as the register is,
    // each lookup is a read and not an open and close of the file.
    ctx_.access(Tbl::KODEVERK_ALIAS).OPEN();
}

KundeKartotek::~KundeKartotek()
{
    ctx_.access(Tbl::KODEVERK_ALIAS).CLOSE();
}

void KundeKartotek::open()
{
    marks_.clear();
    browse().setTab(TabNavn);
    filter_.applyFixed(GLO::FAST_FILTERID_KUNDE);
    reread();
}

void KundeKartotek::setTab(int tab)
{
    browse().setTab(tab);
    reread();
}

void KundeKartotek::setNavn(const std::string& text)
{
    navn_ = text;
    reread();
}

void KundeKartotek::setKundegruppe(int32_t group)
{
    kundegruppe_ = group;
    reread();
}

std::string KundeKartotek::kundegruppeTekst()
{
    return kundegruppeFormat(ctx_, kundegruppe_);
}

std::string KundeKartotek::listFilter(int tab) const
{
    std::string f = filter_.active();
    const std::string name(text::trim(navn_));
    if (tab == TabNavn && !name.empty()) {
        const std::string search =
            "INSTRING('" + quotedConstant(text::upper(name)) + "',UPPER(KUN:Navn),1,1)";
        f = f.empty() ? search : f + " AND " + search;
    }
    return f;
}

void KundeKartotek::reread()
{
    // A named filter belongs to one sort order: each order gets its own, so that the name
    // search never reaches another tab.
    ViewManager& view = browse().view();
    for (int tab = 0; tab < static_cast<int>(browse().tabs().size()); ++tab) {
        view.SETSORT(tab + 1);
        view.SETFILTER(listFilter(tab), kListFilterId);
    }
    browse().setTab(browse().tab());
}

void KundeKartotek::toggleTag(int32_t kundeId)
{
    marks_.toggle(kundeId);
}

bool KundeKartotek::tagged(int32_t kundeId)
{
    return Marks(GLQ::TAG_KUNDE).has(kundeId);
}

bool KundeKartotek::merkAlle()
{
    return markAll(marks_, KUN::KeyKundeId, KUN::KUNDEID, listFilter(browse().tab()));
}

void KundeKartotek::fjernAvmerkinger()
{
    marks_.clear();
    browse().model().refresh();
}

std::string KundeKartotek::postnrFormat(Context& ctx, int32_t postnr)
{
    if (postnr == 0)
        return {};
    return picture::format("@n04", int64_t{postnr}) + " " + codeText(ctx, 101, postnr);
}

std::string KundeKartotek::kundegruppeFormat(Context& ctx, int32_t group)
{
    return codeText(ctx, 103, group);
}

} // namespace tavlo
