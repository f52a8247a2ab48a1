#include "framework/viewmanager.h"

#include <algorithm>

#include "data/context.h"
#include "framework/filterexpr.h"
#include "framework/relationmanager.h"
#include "framework/text.h"

namespace tavlo {
namespace {

// Code of a view's filter that cannot be used, as %ErrorCode in its message.
constexpr int kFilterRefused = 801;

std::string quote(const std::string& column)
{
    return "\"" + column + "\"";
}

} // namespace

ViewManager::~ViewManager()
{
    if (open_)
        CLOSE();
}

void ViewManager::INIT(Context& ctx, Tbl table, RelationManager* relate)
{
    ctx_ = &ctx;
    table_ = table;
    relate_ = relate;
    orders_.clear();
    sort_ = 0;
}

FileManager& ViewManager::file()
{
    return ctx_->access(table_);
}

int ViewManager::ADDSORTORDER(KeyRef key)
{
    SortOrder o;
    o.key = key;
    o.order = file().KEYTOORDER(key);
    orders_.push_back(std::move(o));
    return static_cast<int>(orders_.size());
}

bool ViewManager::SETSORT(int order)
{
    if (order < 1 || order > static_cast<int>(orders_.size()) || order - 1 == sort_)
        return false;
    sort_ = order - 1;
    return true;
}

void ViewManager::ADDRANGE(int field)
{
    orders_.at(sort_).range = Range{Range::CURRENT, field, {}, {}, nullptr};
}

void ViewManager::ADDRANGE(int field, const std::string& low, const std::string& high)
{
    orders_.at(sort_).range = Range{Range::BETWEEN, field, low, high, nullptr};
}

void ViewManager::ADDRANGE(const RelationDecl& rel)
{
    orders_.at(sort_).range = Range{Range::RELATION, -1, {}, {}, &rel};
}

void ViewManager::SETFILTER(const std::string& expression, const std::string& name)
{
    auto& filters = orders_.at(sort_).filters;
    std::string key = name.substr(0, 30);
    if (text::trim(expression).empty())
        filters.erase(key);
    else
        filters[key] = expression;
}

std::string ViewManager::filterText() const
{
    std::string all;
    for (const auto& [name, expr] : orders_.at(sort_).filters)
        all += (all.empty() ? "(" : " AND (") + expr + ")";
    return all;
}

void ViewManager::SETORDER(const std::string& order)
{
    orders_.at(sort_).order = order;
}

void ViewManager::APPENDORDER(const std::string& order)
{
    auto& o = orders_.at(sort_).order;
    if (!order.empty() && order[0] == '*')
        o = order.substr(1);
    else if (!order.empty())
        o += (o.empty() ? "" : ",") + order;
}

const std::string& ViewManager::orderText() const
{
    return orders_.at(sort_).order;
}

void ViewManager::buildCondition()
{
    const auto& order = orders_.at(sort_);
    const TableDecl& decl = file().decl();
    Record& buffer = file().rec();
    auto cond = std::make_unique<SqlCondition>();
    rangeValues_.clear();

    // Range terms: field = value, and low <= field <= high.
    std::vector<std::pair<int, int64_t>> nums;
    std::vector<std::pair<int, std::string>> texts;
    auto equal = [&](int field, const Record& from, int fromField) {
        cond->sql += (cond->sql.empty() ? "" : " AND ") + quote(decl.fields[field].column) + " = ?";
        if (decl.fields[field].type == FieldType::TEXT) {
            cond->binds.emplace_back(from.str(fromField));
            texts.emplace_back(field, from.str(fromField));
        } else {
            cond->binds.emplace_back(from.num(fromField));
            nums.emplace_back(field, from.num(fromField));
        }
        rangeValues_.emplace_back(field, from.text(fromField));
    };
    const auto& comps = decl.keys[order.key.no].components;
    std::optional<std::pair<Record, Record>> between;
    switch (order.range.kind) {
    case Range::NONE: break;
    case Range::CURRENT: equal(comps.front().field, buffer, comps.front().field); break;
    case Range::BETWEEN: {
        for (const auto& c : comps) {
            if (c.field == order.range.field)
                break;
            equal(c.field, buffer, c.field);
        }
        Record lo(decl), hi(decl);
        lo.setText(order.range.field, order.range.low);
        hi.setText(order.range.field, order.range.high);
        const auto& col = quote(decl.fields[order.range.field].column);
        cond->sql += (cond->sql.empty() ? "" : " AND ") + col + " >= ? AND " + col + " <= ?";
        for (const Record* r : {&lo, &hi}) {
            if (decl.fields[order.range.field].type == FieldType::TEXT)
                cond->binds.emplace_back(r->str(order.range.field));
            else
                cond->binds.emplace_back(r->num(order.range.field));
        }
        between.emplace(std::move(lo), std::move(hi));
        break;
    }
    case Range::RELATION: {
        const Record& parent = ctx_->rec(order.range.rel->parent);
        for (auto [pf, cf] : order.range.rel->links)
            equal(cf, parent, pf);
        break;
    }
    }

    // The named filters, each parsed on its own (each may use the whole length a filter has),
    // all of them to hold.
    std::vector<std::shared_ptr<FilterExpr>> filters;
    for (const auto& [name, expression] : order.filters) {
        auto parsed = std::make_shared<FilterExpr>(FilterExpr::parse(expression, decl));
        if (!parsed->ok()) {
            auto& s = ctx_->errorState();
            s.currentErrorCode = kFilterRefused;
            s.currentErrorText = parsed->error();
            s.currentFileErrorCode = 0;
            s.currentFileErrorText.clear();
            file().THROW(MSG_VIEW_OPEN_ERROR);
            condition_.reset();
            rangeValues_.clear();
            file().setWalkCondition(nullptr);
            return;
        }
        SqlCondition f = parsed->toSql();
        cond->sql = cond->sql.empty() ? f.sql : "(" + cond->sql + ") AND (" + f.sql + ")";
        for (auto& b : f.binds)
            cond->binds.push_back(std::move(b));
        filters.push_back(std::move(parsed));
    }
    int rangeField = order.range.kind == Range::BETWEEN ? order.range.field : -1;
    cond->test = [nums, texts, filters, between = std::move(between), rangeField](const Record& r) {
        for (const auto& [f, v] : nums)
            if (r.num(f) != v)
                return false;
        for (const auto& [f, v] : texts)
            if (text::collate(r.str(f), v) != 0)
                return false;
        if (between) {
            const auto& [lo, hi] = *between;
            bool isText = r.decl().fields[rangeField].type == FieldType::TEXT;
            int a = isText ? text::collate(r.str(rangeField), lo.str(rangeField))
                           : (r.num(rangeField) < lo.num(rangeField) ? -1 : 0);
            int b = isText ? text::collate(r.str(rangeField), hi.str(rangeField))
                           : (r.num(rangeField) > hi.num(rangeField) ? 1 : 0);
            if (a < 0 || b > 0)
                return false;
        }
        for (const auto& f : filters)
            if (!f->evaluate(r).value_or(false))
                return false;
        return true;
    };
    if (cond->sql.empty())
        cond.reset();
    condition_ = std::move(cond);
    file().setWalkCondition(condition_.get());
}

int ViewManager::APPLYRANGE()
{
    buildCondition();
    return LEVEL_BENIGN;
}

int ViewManager::APPLYFILTER()
{
    buildCondition();
    return condition_ || filterText().empty() ? LEVEL_BENIGN : LEVEL_NOTIFY;
}

int ViewManager::OPEN()
{
    if (!open_) {
        file().OPEN();
        open_ = true;
    }
    RESET();
    return LEVEL_BENIGN;
}

void ViewManager::CLOSE()
{
    if (!open_)
        return;
    file().setWalkCondition(nullptr);
    condition_.reset();
    file().CLOSE();
    open_ = false;
}

void ViewManager::RESET()
{
    buildCondition();
    file().SET(orders_.at(sort_).key);
}

void ViewManager::RESETAT()
{
    file().setWalkCondition(condition_.get());
    file().SETAT(orders_.at(sort_).key);
}

int ViewManager::read(bool forward)
{
    // Views of one table in one context share its record store: each reads under its own
    // range and filter.
    file().setWalkCondition(condition_.get());
    for (;;) {
        int level = forward ? file().TRYNEXT() : file().TRYPREVIOUS();
        if (level != LEVEL_BENIGN) {
            if (file().GETEOF())
                return LEVEL_NOTIFY;
            return file().THROW(MSG_RETRIEVAL_ERROR);
        }
        switch (VALIDATERECORD()) {
        case 0: return LEVEL_BENIGN;
        case 1: return LEVEL_NOTIFY;
        default: break;
        }
    }
}

int ViewManager::NEXT()
{
    return read(true);
}

int ViewManager::PREVIOUS()
{
    return read(false);
}

int ViewManager::PRIMERECORD()
{
    auto& m = file();
    m.rec().clear();
    fillRange();
    return m.PRIMERECORD(true);
}

int ViewManager::fixedComponents() const
{
    const auto& comps = ctx_->access(table_).decl().keys[orders_.at(sort_).key.no].components;
    int n = 0;
    while (n < static_cast<int>(comps.size()) &&
           std::any_of(rangeValues_.begin(), rangeValues_.end(),
                       [&](const auto& r) { return r.first == comps[n].field; }))
        ++n;
    return n;
}

void ViewManager::fillRange()
{
    for (const auto& [field, value] : rangeValues_)
        file().rec().setText(field, value);
}

uint16_t ViewManager::SAVEBUFFERS()
{
    return file().SAVEBUFFER();
}

void ViewManager::RESTOREBUFFERS(uint16_t& id)
{
    file().RESTOREBUFFER(id, true);
}

} // namespace tavlo
