#include "data/registerfilter.h"

#include "data/context.h"
#include "data/filterproc.h"
#include "framework/filterexpr.h"
#include "framework/text.h"

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

} // namespace tavlo
