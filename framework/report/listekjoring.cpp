#include "framework/report/listekjoring.h"

#include <algorithm>

#include "data/context.h"
#include "framework/errorclass.h"
#include "framework/filemanager.h"
#include "framework/filterexpr.h"
#include "framework/picture.h"
#include "framework/softassert.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo::report {

const Sortering& sortering(std::span<const Sortering> orders, int32_t nr)
{
    if (nr < 1 || nr > static_cast<int32_t>(orders.size()))
        nr = 1;
    return orders[nr - 1];
}

const Sortering& sorteringFor(std::span<const Sortering> orders, const std::string& felt)
{
    for (const Sortering& s : orders)
        if (felt == s.felt)
            return s;
    TAVLO_ASSERT(false && "unknown sort order");
    return orders.front();
}

void fakturaperioder(
    const Fakturaperioder& p,
    const std::function<void(const std::string& linje, const std::string& ledd)>& grense)
{
    const struct {
        int32_t d;
        const char* tekst;
        const char* felt;
        const char* op;
    } datoer[] = {
        {p.fraFakturaDato, "Fakturadato", "FAK:FakturaDato", ">="},
        {p.tilFakturaDato, "Fakturadato", "FAK:FakturaDato", "<="},
        {p.fraForfallsDato, "Forfallsdato", "FAK:ForfallsDato", ">="},
        {p.tilForfallsDato, "Forfallsdato", "FAK:ForfallsDato", "<="},
        {p.fraBetaltDato, "Betaltdato", "FAK:BetaltDato", ">="},
        {p.tilBetaltDato, "Betaltdato", "FAK:BetaltDato", "<="},
    };
    for (const auto& d : datoer)
        if (d.d != 0)
            grense(std::string(d.tekst) + " " + d.op + " " + picture::formatDate("@d06.B", d.d),
                   std::string(" AND (") + d.felt + " " + d.op + " " + std::to_string(d.d) + ")");
}

bool filterKanBrukes(Context& ctx, Tbl tbl, const std::string& filter, std::string_view fritt)
{
    const Record& rec = ctx.rec(tbl);
    auto brukes = [&rec, tbl](std::string_view f) {
        const FilterExpr expr = FilterExpr::parse(f, table(tbl));
        return expr.ok() && expr.evaluate(rec).has_value();
    };
    fritt = text::trim(fritt);
    if ((!fritt.empty() && !brukes(fritt)) || !brukes(filter)) {
        say(ctx, "Filteret inneholder feil og kan ikke brukes:|" + filter, "Feil",
            Icon::Exclamation);
        return false;
    }
    return true;
}

Listevisning::Listevisning() = default;

Listevisning::~Listevisning()
{
    if (view_) {
        view_->file().setWalkMemos(true);
        view_->CLOSE();
    }
}

bool Listevisning::open(Context& ctx, Tbl tbl, KeyRef key, const std::string& filter)
{
    view_ = std::make_unique<ViewManager>();
    view_->INIT(ctx, tbl);
    view_->ADDSORTORDER(key);
    view_->SETFILTER(filter);
    if (view_->APPLYFILTER() != LEVEL_BENIGN || view_->OPEN() != LEVEL_BENIGN) {
        view_->CLOSE();
        view_.reset();
        return false;
    }
    view_->file().setWalkMemos(false); // no list shows a memo
    return true;
}

ProcessClass::Record Listevisning::next()
{
    if (!view_)
        return ProcessClass::Record::End;
    if (view_->NEXT() != LEVEL_BENIGN)
        // The end, or a read that failed (said by the view): the run ends either way.
        return view_->file().GETEOF() ? ProcessClass::Record::End : ProcessClass::Record::Stop;
    return ProcessClass::Record::Taken;
}

const Record& Listevisning::rec() const
{
    return view_->file().rec();
}

int Listevisning::percent(int64_t read) const
{
    // The file opens with the first read; the count is taken once it is there.
    if (totalt_ < 0 && view_ && view_->file().file()) {
        StoreError err;
        totalt_ = view_->file().file()->count(err);
    }
    if (totalt_ <= 0)
        return 0;
    return static_cast<int>(std::min<int64_t>(100, read * 100 / totalt_));
}

bool kjorHele(const std::function<ProcessClass::Record()>& next)
{
    for (;;) {
        const ProcessClass::Record r = next();
        if (r == ProcessClass::Record::Stop)
            return false;
        if (r == ProcessClass::Record::End)
            return true;
    }
}

void ingenPoster(Context& ctx)
{
    ctx.errors().THROW(ctx.errorState(), MSG_NO_RECORDS);
}

} // namespace tavlo::report
