// Filter values and how they compare, and the verdict of a tree on a record.
#include <algorithm>

#include "data/record.h"
#include "framework/filterexpr_p.h"
#include "framework/text.h"

namespace tavlo::filterlang {

namespace {

int sign(__int128 v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int cmpText(std::string_view a, std::string_view b)
{
    int c = text::rtrim(a).compare(text::rtrim(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Compares `a op b` where a is a text and b a number: as numbers when the text reads as one.
bool mixedHolds(const std::string& a, Op op, const Val& b)
{
    if (auto v = textNum(a))
        return holds(op, cmpNum(*v, kMaxScale, b.m, b.s));
    return holds(op, cmpText(a, numText(b.m, b.s)));
}

bool compare(const Val& a, Op op, const Val& b)
{
    if (a.isText && b.isText)
        return holds(op, cmpText(a.t, b.t));
    if (!a.isText && !b.isText)
        return holds(op, cmpNum(a.m, a.s, b.m, b.s));
    if (a.isText)
        return mixedHolds(a.t, op, b);
    return mixedHolds(b.t, flipped(op), a);
}

std::string asText(Val v)
{
    return v.isText ? std::move(v.t) : numText(v.m, v.s);
}

} // namespace

std::string numText(int64_t m, int s)
{
    uint64_t u = m < 0 ? 0 - static_cast<uint64_t>(m) : static_cast<uint64_t>(m);
    while (s > 0 && u % 10 == 0) {
        u /= 10;
        --s;
    }
    std::string d = std::to_string(u);
    if (s > 0) {
        if (d.size() <= static_cast<std::size_t>(s))
            d.insert(0, s + 1 - d.size(), '0');
        d.insert(d.size() - s, 1, '.');
    }
    return (m < 0 && u != 0 ? "-" : "") + d;
}

std::optional<int64_t> textNum(std::string_view t)
{
    t = text::trim(t);
    bool neg = !t.empty() && t.front() == '-';
    if (neg)
        t.remove_prefix(1);
    std::size_t dot = t.find('.');
    std::string_view whole = t.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    if (whole.empty() || whole.size() > kTextWholeDigits ||
        (dot != std::string_view::npos && (frac.empty() || frac.size() > kMaxScale)))
        return std::nullopt;
    int64_t v = 0;
    for (char c : whole) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < kMaxScale; ++i) {
        char c = i < frac.size() ? frac[i] : '0';
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return neg ? -v : v;
}

int cmpNum(int64_t m1, int s1, int64_t m2, int s2)
{
    int t = std::max(s1, s2);
    return sign(static_cast<__int128>(m1) * kPow10[t - s1] -
                static_cast<__int128>(m2) * kPow10[t - s2]);
}

bool holds(Op op, int c)
{
    switch (op) {
    case Op::EQ: return c == 0;
    case Op::NE: return c != 0;
    case Op::LT: return c < 0;
    case Op::GT: return c > 0;
    case Op::LE: return c <= 0;
    case Op::GE: return c >= 0;
    }
    return false;
}

Op flipped(Op op)
{
    switch (op) {
    case Op::LT: return Op::GT;
    case Op::GT: return Op::LT;
    case Op::LE: return Op::GE;
    case Op::GE: return Op::LE;
    default: return op;
    }
}

bool truth(const Node& n, const Record* r)
{
    switch (n.kind) {
    case Node::BOOL_CONST: return n.num != 0;
    case Node::CMP: return compare(value(*n.kids[0], r), n.op, value(*n.kids[1], r));
    case Node::AND:
        return std::all_of(n.kids.begin(), n.kids.end(),
                           [&](const NodePtr& k) { return truth(*k, r); });
    case Node::OR:
        return std::any_of(n.kids.begin(), n.kids.end(),
                           [&](const NodePtr& k) { return truth(*k, r); });
    case Node::TRUTH: {
        Val v = value(*n.kids[0], r);
        return (v.isText ? !text::rtrim(v.t).empty() : v.m != 0) != n.negated;
    }
    default: return false;
    }
}

Val value(const Node& n, const Record* r)
{
    Val v;
    switch (n.kind) {
    case Node::NUM_CONST:
        v.m = n.num;
        v.s = n.scale;
        break;
    case Node::TEXT_CONST:
        v.isText = true;
        v.t = n.text;
        break;
    case Node::FIELD:
        if (n.type == VType::TEXT) {
            v.isText = true;
            v.t = r->str(static_cast<int>(n.num));
        } else {
            v.m = r->num(static_cast<int>(n.num));
            v.s = n.scale;
        }
        break;
    case Node::MEMO:
        v.isText = true;
        v.t = r->memo(static_cast<int>(n.num));
        break;
    case Node::UPPER:
        v.isText = true;
        v.t = text::upper(asText(value(*n.kids[0], r)));
        break;
    case Node::INSTRING:
        v.m = text::instring(asText(value(*n.kids[0], r)), asText(value(*n.kids[1], r)), n.num,
                             n.num2);
        break;
    default: v.m = truth(n, r) ? 1 : 0; break;
    }
    return v;
}

} // namespace tavlo::filterlang
