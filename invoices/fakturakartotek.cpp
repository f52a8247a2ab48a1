#include "invoices/fakturakartotek.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/filterexpr.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int kFakturaTabell = 3; // the invoices' number among the tables that have filters
constexpr const char* kListFilterId = "2";

} // namespace

FakturaKartotek::FakturaKartotek(Context& ctx)
    : FilteredRegister(ctx, kFakturaTabell, Tbl::FAKTURA), marks_(GLQ::TAG_FAKTURA)
{
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::FAKTURA);
    view->ADDSORTORDER(FAK::KeyFakturaId);
    view->ADDSORTORDER(FAK::KeyKundeId_FakturaDato);
    view->ADDSORTORDER(FAK::KeyKundeNavn_FakturaDato);
    view->ADDSORTORDER(FAK::KeyTotalsum);
    view->ADDSORTORDER(FAK::KeyFakturaDato2);
    view->ADDSORTORDER(FAK::KeyForfallsdato);
    view->ADDSORTORDER(FAK::KeyBetaltDato);
    view->SETSORT(1);
    Context* c = &ctx;
    auto blank = [](const Record&) { return std::string(); };
    std::vector<PagedTableModel::Column> columns{
        {FAK::FAKTURAID.no, "X", "@s1", Qt::AlignLeft, blank},
        {FAK::UTSKRIFTSTATUS.no, "->", "@s1", Qt::AlignLeft, blank},
        {FAK::BETALTDATO.no, "!", "@s1", Qt::AlignLeft, blank},
        {FAK::FAKTURAID.no, "Fakturanr", "@n_8"},
        {FAK::KUNDEID.no, "Kundenr", "@n_8B"},
        {FAK::KUNDENAVN.no, "Kunde", "@s40"},
        {FAK::TOTALSUM.no, "Totalsum", "@n-14.`2"},
        {FAK::FAKTURADATO.no, "Fakturadato", "@d06.B"},
        {FAK::FORFALLSDATO.no, "Forfallsdato", "@d06.B"},
        {FAK::BETALTDATO.no, "Betalt dato", "@d06.B"},
        {FAK::FAKTURASTATUS.no, "Fakturastatus", "@s20", Qt::AlignLeft,
         [c](const Record& r) { return statusFormat(*c, r.get(FAK::FAKTURASTATUS)); }}};
    makeBrowse(
        std::move(view), std::move(columns),
        {"Fakturanr", "Kundenr", "Kunde", "Totalsum", "Fakturadato", "Forfallsdato", "Betaltdato"});
    const int32_t idag = date::today();
    browse().model().rowMark = [idag](const Record& r) {
        return rowState(r, idag) | (r.get(FAK::FAKTURASTATUS) << 8);
    };
    // Every row looks up its status: the codes stay open while the register is.
    ctx_.access(Tbl::KODEVERK_ALIAS).OPEN();
}

FakturaKartotek::~FakturaKartotek()
{
    ctx_.access(Tbl::KODEVERK_ALIAS).CLOSE();
}

void FakturaKartotek::open(const std::string& caller)
{
    if (text::trim(caller).empty())
        marks_.clear();
    browse().setTab(TabFakturadato);
    filter_.applyFixed(GLO::FAST_FILTERID_FAKTURA);
    reread();
}

void FakturaKartotek::setTab(int tab)
{
    browse().setTab(tab);
}

void FakturaKartotek::setKundenavn(const std::string& text)
{
    kundenavn_ = text;
    reread();
}

std::string FakturaKartotek::listFilter(int tab) const
{
    std::string f = filter_.active();
    const std::string navn(text::trim(kundenavn_));
    if (tab == TabKunde && !navn.empty()) {
        const std::string search =
            "INSTRING('" + quotedConstant(text::upper(navn)) + "',UPPER(FAK:KundeNavn),1,1)";
        f = f.empty() ? search : f + " AND " + search;
    }
    return f;
}

void FakturaKartotek::reread()
{
    ViewManager& view = browse().view();
    for (int tab = 0; tab < static_cast<int>(browse().tabs().size()); ++tab) {
        view.SETSORT(tab + 1);
        view.SETFILTER(listFilter(tab), kListFilterId);
    }
    browse().setTab(browse().tab());
}

void FakturaKartotek::toggleTag(int32_t fakturaId)
{
    marks_.toggle(fakturaId);
}

bool FakturaKartotek::tagged(int32_t fakturaId)
{
    return Marks(GLQ::TAG_FAKTURA).has(fakturaId);
}

bool FakturaKartotek::merkAlle()
{
    marks_.clear();
    // A second opening of the table, in number order and without the list's filter; only the
    // numbers are read.
    FileManager& alle = ctx_.access(Tbl::FAKTURA_ALIAS);
    bool ok = alle.OPEN() == LEVEL_BENIGN;
    if (ok) {
        std::vector<int64_t> ids;
        StoreError err;
        ok = alle.USEFILE() == LEVEL_BENIGN && alle.file() &&
             alle.file()->numbers(FAKA::KeyFakturaId.no, FAKA::FAKTURAID.no, ids, err);
        if (ok)
            for (int64_t id : ids)
                marks_.append(static_cast<int32_t>(id));
        alle.CLOSE();
    }
    if (!ok)
        say(ctx_, "Det oppso feil under merking av alle poster", "Feil", Icon::Exclamation);
    browse().model().refresh();
    return ok;
}

void FakturaKartotek::fjernAvmerkinger()
{
    marks_.clear();
    browse().model().refresh();
}

std::string FakturaKartotek::arkivStreng()
{
    return GLO::ARKIV_AKTIV ? "NB! *** ARKIV ***" : "";
}

int FakturaKartotek::rowState(const Record& r, int32_t today)
{
    int state = 0;
    if (tagged(r.get(FAK::FAKTURAID)))
        state |= MarkTagged;
    if (r.get(FAK::UTSKRIFTSTATUS) == 1)
        state |= MarkPrint;
    if (r.get(FAK::BETALTDATO) == 0 && today >= r.get(FAK::FORFALLSDATO))
        state |= MarkOverdue;
    return state;
}

std::string FakturaKartotek::statusFormat(Context& ctx, int32_t status)
{
    return codeText(ctx, 105, status);
}

int32_t FakturaKartotek::statusFarge(Context& ctx, int32_t status)
{
    if (!SETKODA(ctx, 105, status))
        return -1;
    return ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::LONG2);
}

} // namespace tavlo
