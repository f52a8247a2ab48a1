#include "data/registerfilter.h"

#include "data/context.h"
#include "data/filterproc.h"
#include "data/marks.h"
#include "framework/filemanager.h"
#include "framework/filterexpr.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {

RegisterFilter::RegisterFilter(Context& ctx, int32_t tableNo, Tbl table,
                               std::function<void()> reread)
    : ctx_(ctx), tableNo_(tableNo), table_(table), reread_(std::move(reread))
{
}

void RegisterFilter::applyFixed(int32_t filterNo)
{
    working_.clear();
    description_.clear();
    std::string description;
    if (filterNo != 0 && SETFILTER(ctx_, tableNo_, filterNo, working_, description) == 1) {
        description_ = description;
        apply();
    }
}

bool RegisterFilter::avgrensning()
{
    if (LAGFILTER(ctx_, tableNo_, working_) != 1)
        return false;
    // A new filter has no description yet; a refused one leaves the active filter and its
    // description as they were.
    const std::string before = description_;
    description_.clear();
    if (!apply()) {
        description_ = before;
        return false;
    }
    return true;
}

bool RegisterFilter::hentFilter()
{
    std::string description = description_;
    if (HENTFILTER(ctx_, tableNo_, working_, description) == 0)
        return false;
    const std::string before = description_;
    description_ = description;
    if (!apply()) {
        description_ = before;
        return false;
    }
    return true;
}

bool RegisterFilter::apply()
{
    const std::string filter(text::trim(working_));
    if (filter.empty())
        return false;
    const FilterExpr expr = FilterExpr::parse(filter, table(table_));
    if (!expr.ok() || !expr.evaluate(ctx_.rec(table_)).has_value()) {
        say(ctx_, "Filteret inneholder feil og kan ikke brukes:|" + filter, "Feil",
            Icon::Exclamation);
        return false;
    }
    active_ = filter;
    if (text::trim(description_).empty())
        description_ = filter;
    if (reread_)
        reread_();
    return true;
}

void RegisterFilter::fjern()
{
    active_.clear();
    description_.clear();
    if (reread_)
        reread_();
}

bool FilteredRegister::markAll(Marks& marks, KeyRef key, IntField id, const std::string& filter)
{
    marks.clear();
    FileManager& m = ctx_.access(table_);
    const Record keep = m.rec();
    bool ok = true;
    {
        ViewManager all;
        all.INIT(ctx_, table_);
        all.SETSORT(all.ADDSORTORDER(key));
        all.SETFILTER(filter, "2");
        if (all.OPEN() != LEVEL_BENIGN) {
            ok = false;
        } else {
            all.RESET();
            int rc;
            while ((rc = all.NEXT()) == LEVEL_BENIGN)
                marks.append(m.rec().get(id));
            if (rc != LEVEL_NOTIFY)
                ok = false;
            all.CLOSE();
        }
    }
    m.rec() = keep;
    if (!ok)
        say(ctx_, "Det oppso feil under merking av alle poster", "Feil", Icon::Exclamation);
    browse().model().refresh();
    return ok;
}

} // namespace tavlo
