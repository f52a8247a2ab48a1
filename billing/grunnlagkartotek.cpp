#include "billing/grunnlagkartotek.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/filemanager.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int kGrunnlagTabell = 5; // the bases' number among the tables that have filters
constexpr const char* kListFilterId = "2";

} // namespace

GrunnlagKartotek::GrunnlagKartotek(Context& ctx)
    : FilteredRegister(ctx, kGrunnlagTabell, Tbl::GRUNNLAG), marks_(GLQ::TAG_GRUNNLAG)
{
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::GRUNNLAG);
    view->ADDSORTORDER(GRU::KeyGrunnlagId);
    view->ADDSORTORDER(GRU::KeyTekst);
    view->SETSORT(view->ADDSORTORDER(GRU::KeyKundeId_FakturaDato));
    view->ADDRANGE(GRU::KUNDEID.no);
    view->SETSORT(view->ADDSORTORDER(GRU::KeyType_Tekst));
    view->ADDRANGE(GRU::TYPE.no);
    view->SETSORT(1);
    Context* c = &ctx;
    auto blank = [](const Record&) { return std::string(); };
    std::vector<PagedTableModel::Column> columns{
        {GRU::GRUNNLAGID.no, "X", "@s1", Qt::AlignLeft, blank},
        {GRU::GRUNNLAGID.no, "Refnr", "@n_8"},
        {GRU::TEKST.no, "Tekst", "@s50"},
        {GRU::KUNDENAVN.no, "Kunde", "@s40"},
        {GRU::TYPE.no, "Type", "@s20", Qt::AlignLeft,
         [c](const Record& r) { return typeFormat(*c, r.get(GRU::TYPE)); }},
        {GRU::TOTALSUM.no, "Totalsum", "@n-14.`2"}};
    makeBrowse(std::move(view), std::move(columns), {"Refnr", "Tekst", "Kunde", "Type"});
    browse().withoutLocator = {0};
    browse().tabChanging = [this](int) {
        Record& r = ctx_.rec(Tbl::GRUNNLAG);
        r.set(GRU::KUNDEID, kunde_);
        r.set(GRU::TYPE, type_);
    };
    browse().model().rowMark = [](const Record& r) {
        return tagged(r.get(GRU::GRUNNLAGID)) ? 1 : 0;
    };
    ctx_.access(Tbl::KODEVERK_ALIAS).OPEN();
}

GrunnlagKartotek::~GrunnlagKartotek()
{
    ctx_.access(Tbl::KODEVERK_ALIAS).CLOSE();
}

void GrunnlagKartotek::open()
{
    marks_.clear();
    browse().setTab(TabRefnr);
    filter_.applyFixed(GLO::FAST_FILTERID_GRUNNLAG);
    reread();
}

void GrunnlagKartotek::setTab(int tab)
{
    browse().setTab(tab);
}

void GrunnlagKartotek::setKunde(int32_t kundeId)
{
    kunde_ = kundeId;
    reread();
}

std::string GrunnlagKartotek::kundeTekst()
{
    std::string t;
    if (kunde_ != 0)
        VISKUNA(ctx_, kunde_, t);
    return t;
}

void GrunnlagKartotek::setType(int32_t type)
{
    type_ = type;
    reread();
}

std::string GrunnlagKartotek::typeTekst()
{
    return typeFormat(ctx_, type_);
}

std::string GrunnlagKartotek::typeFormat(Context& ctx, int32_t type)
{
    return codeText(ctx, 111, type);
}

void GrunnlagKartotek::reread()
{
    ViewManager& view = browse().view();
    for (int tab = 0; tab < static_cast<int>(browse().tabs().size()); ++tab) {
        view.SETSORT(tab + 1);
        view.SETFILTER(filter_.active(), kListFilterId);
    }
    browse().setTab(browse().tab());
}

void GrunnlagKartotek::toggleTag(int32_t grunnlagId)
{
    marks_.toggle(grunnlagId);
}

bool GrunnlagKartotek::tagged(int32_t grunnlagId)
{
    return Marks(GLQ::TAG_GRUNNLAG).has(grunnlagId);
}

std::string GrunnlagKartotek::listCondition() const
{
    std::string f = filter_.active();
    std::string range;
    const int tab = const_cast<GrunnlagKartotek*>(this)->browse().tab();
    if (tab == TabKunde)
        range = "GRU:KundeId = " + std::to_string(kunde_);
    else if (tab == TabType)
        range = "GRU:Type = " + std::to_string(type_);
    if (range.empty())
        return f;
    return f.empty() ? range : "(" + f + ") AND " + range;
}

bool GrunnlagKartotek::merkAlle()
{
    return markAll(marks_, GRU::KeyGrunnlagId, GRU::GRUNNLAGID, listCondition());
}

void GrunnlagKartotek::fjernAvmerkinger()
{
    marks_.clear();
    browse().model().refresh();
}

} // namespace tavlo
