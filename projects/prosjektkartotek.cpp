#include "projects/prosjektkartotek.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int kProsjektTabell = 13; // the projects' number among the tables that have filters
constexpr const char* kListFilterId = "2";

} // namespace

ProsjektKartotek::ProsjektKartotek(Context& ctx)
    : FilteredRegister(ctx, kProsjektTabell, Tbl::PROSJEKT)
{
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::PROSJEKT);
    view->ADDSORTORDER(PRJ::KeyProsjektId);
    view->ADDSORTORDER(PRJ::KeyStartDato);
    view->SETSORT(view->ADDSORTORDER(PRJ::KeyType_StartDato));
    view->ADDRANGE(PRJ::TYPE.no);
    view->ADDSORTORDER(PRJ::KeyNavn_StartDato);
    view->SETSORT(view->ADDSORTORDER(PRJ::KeyStatus_StartDato));
    view->ADDRANGE(PRJ::STATUS.no);
    view->SETSORT(view->ADDSORTORDER(PRJ::KeyKundeId_StartDato));
    view->ADDRANGE(PRJ::KUNDEID.no);
    view->SETSORT(1);
    Context* c = &ctx;
    std::vector<PagedTableModel::Column> columns{
        {PRJ::PROSJEKTID.no, "ProsjektId", "@s20"},
        {PRJ::STARTDATO.no, "StartDato", "@d06.B"},
        {PRJ::TYPE.no, "Type", "@s30", Qt::AlignLeft,
         [c](const Record& r) { return typeFormat(*c, r.get(PRJ::TYPE)); }},
        {PRJ::NAVN.no, "Navn", "@s50"},
        {PRJ::STATUS.no, "Status", "@s30", Qt::AlignLeft,
         [c](const Record& r) { return statusFormat(*c, r.get(PRJ::STATUS)); }},
        {PRJ::KUNDEID.no, "Kunde", "@s40", Qt::AlignLeft,
         [c](const Record& r) { return kundeFormat(*c, r.get(PRJ::KUNDEID)); }}};
    makeBrowse(std::move(view), std::move(columns),
               {"Prosjektid", "Startdato", "Type", "Navn", "Status", "Kunde"});
    browse().tabChanging = [this](int) { primeRanges(); };
    // Every row looks up two code texts and a customer: with the tables open for as long as
    // the register is, each lookup is a read and not an open and close of a file.
    ctx_.access(Tbl::KODEVERK_ALIAS).OPEN();
    ctx_.access(Tbl::KUNDE_ALIAS).OPEN();
}

ProsjektKartotek::~ProsjektKartotek()
{
    ctx_.access(Tbl::KUNDE_ALIAS).CLOSE();
    ctx_.access(Tbl::KODEVERK_ALIAS).CLOSE();
}

void ProsjektKartotek::open()
{
    browse().setTab(TabNavn);
    filter_.applyFixed(GLO::FAST_FILTERID_PROSJEKT);
    reread();
}

void ProsjektKartotek::setTab(int tab)
{
    browse().setTab(tab);
}

int ProsjektKartotek::tabOf(Range range)
{
    switch (range) {
    case RangeType: return TabType;
    case RangeStatus: return TabStatus;
    case RangeKunde: break;
    }
    return TabKunde;
}

void ProsjektKartotek::setRange(Range range, int32_t value)
{
    ranges_[range] = value;
    reread();
}

std::string ProsjektKartotek::rangeTekst(Range range)
{
    switch (range) {
    case RangeType: return typeFormat(ctx_, ranges_[range]);
    case RangeStatus: return statusFormat(ctx_, ranges_[range]);
    case RangeKunde: break;
    }
    return kundeFormat(ctx_, ranges_[range]);
}

void ProsjektKartotek::primeRanges()
{
    Record& r = ctx_.rec(Tbl::PROSJEKT);
    r.set(PRJ::TYPE, ranges_[RangeType]);
    r.set(PRJ::STATUS, ranges_[RangeStatus]);
    r.set(PRJ::KUNDEID, ranges_[RangeKunde]);
}

void ProsjektKartotek::reread()
{
    ViewManager& view = browse().view();
    for (int tab = 0; tab < static_cast<int>(browse().tabs().size()); ++tab) {
        view.SETSORT(tab + 1);
        view.SETFILTER(filter_.active(), kListFilterId);
    }
    primeRanges();
    browse().setTab(browse().tab());
}

std::string ProsjektKartotek::typeFormat(Context& ctx, int32_t type)
{
    return codeText(ctx, 109, type);
}

std::string ProsjektKartotek::statusFormat(Context& ctx, int32_t status)
{
    return codeText(ctx, 110, status);
}

std::string ProsjektKartotek::kundeFormat(Context& ctx, int32_t kundeId)
{
    if (kundeId == 0)
        return {};
    std::string name;
    VISKUNA(ctx, kundeId, name);
    return name;
}

} // namespace tavlo
