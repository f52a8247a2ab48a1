#include "framework/filterexpr.h"

#include <algorithm>
#include <utility>

#include "framework/filterexpr_p.h"
#include "framework/text.h"

namespace tavlo {

namespace {

using filterlang::Node;

void collectFields(const Node& n, const TableDecl& t, std::vector<std::string>& out)
{
    const std::string* name = nullptr;
    if (n.kind == Node::FIELD)
        name = &t.fields[n.num].name;
    else if (n.kind == Node::MEMO)
        name = &t.memos[n.num].name;
    if (name && std::find(out.begin(), out.end(), *name) == out.end())
        out.push_back(*name);
    for (const auto& k : n.kids)
        collectFields(*k, t, out);
}

} // namespace

FilterExpr FilterExpr::parse(std::string_view src, const TableDecl& table)
{
    FilterExpr f;
    f.table_ = &table;
    f.text_ = std::string(src);
    auto refuse = [&](std::string message, std::size_t at) {
        f.errorPos_ = static_cast<int>(text::length(src.substr(0, at))) + 1;
        f.error_ = std::move(message) + " (tegn " + std::to_string(f.errorPos_) + ")";
        return f;
    };
    // Faults of the whole text, without a position.
    auto refuseAll = [&](std::string message) {
        f.error_ = std::move(message);
        return f;
    };
    if (!text::isValidUtf8(src))
        return refuseAll("Filteret inneholder ugyldige tegn");
    if (std::size_t nul = src.find('\0'); nul != std::string_view::npos)
        return refuse("Ugyldig tegn: NUL", nul);
    if (text::length(src) > kMaxLength)
        return refuseAll("Filteret er for langt (mer enn " + std::to_string(kMaxLength) + " tegn)");
    if (text::trim(src).empty())
        return refuseAll("Filteret er tomt");
    std::shared_ptr<const Node> root;
    try {
        root = filterlang::parseTree(src, table);
    } catch (const filterlang::ParseError& e) {
        return refuse(e.message, e.at);
    }
    filterlang::CompiledSql sql = filterlang::compileSql(*root, table);
    if (!filterlang::databaseTakes(table, sql.sql))
        return refuseAll("Filteret er for sammensatt");
    f.root_ = std::move(root);
    f.sql_ = std::move(sql.sql);
    f.binds_ = std::move(sql.binds);
    return f;
}

std::optional<bool> FilterExpr::evaluate(const Record& r) const
{
    if (!root_ || r.decl().base != table_->base)
        return std::nullopt;
    return filterlang::truth(*root_, &r);
}

SqlCondition FilterExpr::toSql() const
{
    SqlCondition c;
    if (!root_) {
        c.sql = "0";
        c.test = [](const Record&) { return false; };
        return c;
    }
    c.sql = sql_;
    c.binds = binds_;
    c.test = [self = *this](const Record& r) { return self.evaluate(r).value_or(false); };
    return c;
}

std::vector<std::string> FilterExpr::fields() const
{
    std::vector<std::string> out;
    if (root_)
        collectFields(*root_, *table_, out);
    return out;
}

std::string quotedConstant(std::string_view s)
{
    std::string out;
    for (char c : s) {
        out += c;
        if (c == '\'')
            out += c;
    }
    return out;
}

} // namespace tavlo
