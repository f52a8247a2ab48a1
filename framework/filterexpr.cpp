#include "framework/filterexpr.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>
#include <variant>

#include "framework/text.h"

namespace tavlo {

namespace {

enum class VType : uint8_t { NUM, TEXT, BOOL };
enum class Op : uint8_t { EQ, NE, LT, GT, LE, GE };

// Constants keep at most this many decimals and significant digits, and a text read as a number
// at most kTextWholeDigits whole digits and kMaxScale decimals, so that every value in the
// units of the finest scale stays inside ±10^18: exact in 64 bits in the database.
constexpr std::size_t kMaxScale = 6;
constexpr std::size_t kMaxDigits = 18;
constexpr std::size_t kTextWholeDigits = 12;
// Blanks the way the rest of the system trims them; the SQL below must trim the same.
constexpr const char* kSqlBlanks = "' \t'";

} // namespace

struct FilterNode {
    enum Kind : uint8_t {
        NUM_CONST,
        TEXT_CONST,
        BOOL_CONST,
        FIELD,
        MEMO,
        UPPER,
        INSTRING,
        CMP,
        AND,
        OR,
        TRUTH, // a value standing where a condition belongs
    };
    Kind kind;
    VType type;
    int scale = 0;    // decimals of a number: the constant's own, 2 for a decimal field
    int64_t num = 0;  // constant's mantissa, 0/1, field or memo number, INSTRING step
    int64_t num2 = 0; // INSTRING start
    Op op = Op::EQ;
    bool negated = false; // TRUTH: true when the value is zero or blank
    std::string text;
    std::vector<std::unique_ptr<FilterNode>> kids;

    bool isConst() const { return kind == NUM_CONST || kind == TEXT_CONST || kind == BOOL_CONST; }
};

namespace {

using Node = FilterNode;
using NodePtr = std::unique_ptr<Node>;

const __int128 kPow10[kMaxScale + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// ---- Values ---------------------------------------------------------------------------------

struct Val {
    bool isText = false;
    int64_t m = 0; // number: m / 10^s
    int s = 0;
    std::string t;
};

// Shortest exact form: "12.5", "-0.05", "3".
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

// A text as a number, in millionths: an optional minus, 1 to kTextWholeDigits digits, and
// optionally a point and 1 to kMaxScale decimals, with blanks around it.
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

int sign(__int128 v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

int cmpNum(int64_t m1, int s1, int64_t m2, int s2)
{
    int t = std::max(s1, s2);
    return sign(static_cast<__int128>(m1) * kPow10[t - s1] -
                static_cast<__int128>(m2) * kPow10[t - s2]);
}

int cmpText(std::string_view a, std::string_view b)
{
    int c = text::rtrim(a).compare(text::rtrim(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
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

Op negation(Op op)
{
    switch (op) {
    case Op::EQ: return Op::NE;
    case Op::NE: return Op::EQ;
    case Op::LT: return Op::GE;
    case Op::GE: return Op::LT;
    case Op::GT: return Op::LE;
    case Op::LE: return Op::GT;
    }
    return op;
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

const char* opSql(Op op)
{
    switch (op) {
    case Op::EQ: return " = ";
    case Op::NE: return " <> ";
    case Op::LT: return " < ";
    case Op::GT: return " > ";
    case Op::LE: return " <= ";
    case Op::GE: return " >= ";
    }
    return " = ";
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

// Constants never look at the record, so folding passes none.
Val value(const Node& n, const Record* r);

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

// ---- Parsing --------------------------------------------------------------------------------

struct Token {
    enum Kind : uint8_t { END, NUMBER, STRING, NAME, LPAREN, RPAREN, COMMA, OP };
    Kind kind = END;
    std::size_t at = 0;   // byte offset in the filter
    std::string_view raw; // as written
    std::string str;      // a string's value
    int64_t m = 0;        // a number's mantissa and scale
    int s = 0;
    Op op = Op::EQ;
};

struct ParseError {
    std::string message;
    std::size_t at;
};

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool sameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'a' && x <= 'z' ? x - 32 : x) == y;
           });
}

std::vector<Token> lex(std::string_view src)
{
    std::vector<Token> out;
    std::size_t i = 0;
    while (true) {
        while (i < src.size() &&
               (src[i] == ' ' || src[i] == '\t' || src[i] == '\r' || src[i] == '\n'))
            ++i;
        Token t;
        t.at = i;
        if (i >= src.size()) {
            out.push_back(t);
            return out;
        }
        char c = src[i];
        std::size_t start = i;
        if (isDigit(c) || (c == '-' && i + 1 < src.size() && isDigit(src[i + 1]))) {
            bool neg = c == '-';
            if (neg)
                ++i;
            std::size_t intStart = i;
            while (i < src.size() && isDigit(src[i]))
                ++i;
            std::string_view whole = src.substr(intStart, i - intStart), frac;
            if (i + 1 < src.size() && src[i] == '.' && isDigit(src[i + 1])) {
                std::size_t fracStart = ++i;
                while (i < src.size() && isDigit(src[i]))
                    ++i;
                frac = src.substr(fracStart, i - fracStart);
            }
            t.raw = src.substr(start, i - start);
            while (!frac.empty() && frac.back() == '0')
                frac.remove_suffix(1);
            std::string digits = std::string(whole) + std::string(frac);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
            if (frac.size() > kMaxScale)
                throw ParseError{"For mange desimaler i tallet: " + std::string(t.raw), start};
            if (digits.size() > kMaxDigits)
                throw ParseError{"Tallet er for stort: " + std::string(t.raw), start};
            for (char d : digits)
                t.m = t.m * 10 + (d - '0');
            if (neg)
                t.m = -t.m;
            t.s = static_cast<int>(frac.size());
            t.kind = Token::NUMBER;
        } else if (c == '\'') {
            ++i;
            while (true) {
                if (i >= src.size())
                    throw ParseError{"Teksten mangler avsluttende apostrof", start};
                if (src[i] == '\'') {
                    if (i + 1 < src.size() && src[i + 1] == '\'') {
                        t.str += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.str += src[i++];
            }
            t.kind = Token::STRING;
            t.raw = src.substr(start, i - start);
        } else if (isNameStart(c)) {
            while (i < src.size() && isNameChar(src[i]))
                ++i;
            if (i < src.size() && src[i] == ':') {
                ++i;
                while (i < src.size() && isNameChar(src[i]))
                    ++i;
            }
            t.kind = Token::NAME;
            t.raw = src.substr(start, i - start);
        } else {
            ++i;
            switch (c) {
            case '(': t.kind = Token::LPAREN; break;
            case ')': t.kind = Token::RPAREN; break;
            case ',': t.kind = Token::COMMA; break;
            case '=':
                t.kind = Token::OP;
                t.op = Op::EQ;
                break;
            case '<':
                t.kind = Token::OP;
                t.op = Op::LT;
                if (i < src.size() && (src[i] == '>' || src[i] == '=')) {
                    t.op = src[i] == '>' ? Op::NE : Op::LE;
                    ++i;
                }
                break;
            case '>':
                t.kind = Token::OP;
                t.op = Op::GT;
                if (i < src.size() && src[i] == '=') {
                    t.op = Op::GE;
                    ++i;
                }
                break;
            default: {
                // The whole character, not a piece of it, in the message.
                std::size_t end = i;
                while (end < src.size() && (static_cast<unsigned char>(src[end]) & 0xC0) == 0x80)
                    ++end;
                throw ParseError{"Ugyldig tegn: " + std::string(src.substr(start, end - start)),
                                 start};
            }
            }
            t.raw = src.substr(start, i - start);
        }
        out.push_back(std::move(t));
    }
}

NodePtr makeNode(Node::Kind kind, VType type)
{
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->type = type;
    return n;
}

class Parser {
  public:
    Parser(std::string_view src, const TableDecl& table) : toks_(lex(src)), table_(table) {}

    NodePtr parseFilter()
    {
        NodePtr n = parseOr();
        if (peek().kind != Token::END)
            unexpected(peek());
        return condition(std::move(n));
    }

  private:
    const Token& peek() const { return toks_[pos_]; }
    const Token& take() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
    bool atWord(std::string_view w) const
    {
        return peek().kind == Token::NAME && sameWord(peek().raw, w);
    }

    [[noreturn]] void unexpected(const Token& t) const
    {
        if (t.kind == Token::END)
            throw ParseError{"Uventet slutt på uttrykket", t.at};
        throw ParseError{"Uventet symbol: " + std::string(t.raw), t.at};
    }

    void enter(const Token& t)
    {
        if (++depth_ > FilterExpr::kMaxDepth)
            throw ParseError{"Uttrykket er nøstet for dypt", t.at};
    }

    // Folds a node whose operands are all constants into its constant.
    static NodePtr fold(NodePtr n)
    {
        if (!std::all_of(n->kids.begin(), n->kids.end(),
                         [](const NodePtr& k) { return k->isConst(); }))
            return n;
        Val v = value(*n, nullptr);
        NodePtr c;
        if (n->type == VType::BOOL) {
            c = makeNode(Node::BOOL_CONST, VType::BOOL);
            c->num = v.m;
        } else if (v.isText) {
            c = makeNode(Node::TEXT_CONST, VType::TEXT);
            c->text = std::move(v.t);
        } else {
            c = makeNode(Node::NUM_CONST, VType::NUM);
            c->num = v.m;
            c->scale = v.s;
        }
        return c;
    }

    static NodePtr condition(NodePtr n)
    {
        if (n->type == VType::BOOL)
            return n;
        auto t = makeNode(Node::TRUTH, VType::BOOL);
        t->kids.push_back(std::move(n));
        return fold(std::move(t));
    }

    static NodePtr requireValue(NodePtr n, std::size_t at)
    {
        if (n->type == VType::BOOL)
            throw ParseError{"Et vilkår kan ikke brukes som verdi", at};
        return n;
    }

    // NOT goes down to the comparisons and values, where it costs nothing: the database's
    // parser has room for only a few dozen levels of nesting.
    static NodePtr negate(NodePtr n)
    {
        switch (n->kind) {
        case Node::BOOL_CONST: n->num = !n->num; break;
        case Node::CMP: n->op = negation(n->op); break;
        case Node::TRUTH: n->negated = !n->negated; break;
        case Node::AND:
        case Node::OR: {
            auto m = makeNode(n->kind == Node::AND ? Node::OR : Node::AND, VType::BOOL);
            for (auto& k : n->kids)
                join(*m, negate(std::move(k)));
            return m;
        }
        default: break;
        }
        return n;
    }

    // a AND (b AND c) is a AND b AND c, one level instead of two.
    static void join(Node& junction, NodePtr n)
    {
        if (n->kind != junction.kind) {
            junction.kids.push_back(std::move(n));
            return;
        }
        for (auto& k : n->kids)
            junction.kids.push_back(std::move(k));
    }

    NodePtr parseJunction(Node::Kind kind, std::string_view word)
    {
        NodePtr first = kind == Node::OR ? parseJunction(Node::AND, "AND") : parseNot();
        if (!atWord(word))
            return first;
        auto n = makeNode(kind, VType::BOOL);
        join(*n, condition(std::move(first)));
        while (atWord(word)) {
            take();
            join(*n, condition(kind == Node::OR ? parseJunction(Node::AND, "AND") : parseNot()));
        }
        return fold(std::move(n));
    }

    NodePtr parseOr() { return parseJunction(Node::OR, "OR"); }

    NodePtr parseNot()
    {
        if (!atWord("NOT"))
            return parseComparison();
        enter(take());
        NodePtr n = negate(condition(parseNot()));
        --depth_;
        return n;
    }

    NodePtr parseComparison()
    {
        std::size_t first = peek().at;
        NodePtr a = parseValue();
        if (peek().kind != Token::OP)
            return a;
        Op op = take().op;
        std::size_t second = peek().at;
        NodePtr b = parseValue();
        auto n = makeNode(Node::CMP, VType::BOOL);
        n->op = op;
        n->kids.push_back(requireValue(std::move(a), first));
        n->kids.push_back(requireValue(std::move(b), second));
        return fold(std::move(n));
    }

    NodePtr parseValue()
    {
        const Token& t = take();
        switch (t.kind) {
        case Token::NUMBER: {
            auto n = makeNode(Node::NUM_CONST, VType::NUM);
            n->num = t.m;
            n->scale = t.s;
            return n;
        }
        case Token::STRING: {
            auto n = makeNode(Node::TEXT_CONST, VType::TEXT);
            n->text = t.str;
            return n;
        }
        case Token::LPAREN: {
            enter(t);
            NodePtr n = parseOr();
            if (peek().kind != Token::RPAREN) {
                if (peek().kind == Token::END)
                    throw ParseError{"Mangler )", peek().at};
                unexpected(peek());
            }
            take();
            --depth_;
            return n;
        }
        case Token::NAME: return parseName(t);
        default: unexpected(t);
        }
    }

    NodePtr parseName(const Token& t)
    {
        if (t.raw.find(':') != std::string_view::npos) {
            if (int f = table_.fieldNo(t.raw); f >= 0) {
                const FieldDecl& d = table_.fields[f];
                auto n =
                    makeNode(Node::FIELD, d.type == FieldType::TEXT ? VType::TEXT : VType::NUM);
                n->num = f;
                n->scale = d.type == FieldType::DEC ? 2 : 0;
                return n;
            }
            if (int m = table_.memoNo(t.raw); m >= 0) {
                auto n = makeNode(Node::MEMO, VType::TEXT);
                n->num = m;
                return n;
            }
            throw ParseError{"Ukjent felt: " + std::string(t.raw), t.at};
        }
        bool upper = sameWord(t.raw, "UPPER");
        if (!upper && !sameWord(t.raw, "INSTRING")) {
            if (sameWord(t.raw, "AND") || sameWord(t.raw, "OR") || sameWord(t.raw, "NOT"))
                unexpected(t);
            throw ParseError{"Ukjent navn: " + std::string(t.raw), t.at};
        }
        if (peek().kind != Token::LPAREN)
            throw ParseError{"Mangler ( etter " + std::string(t.raw), peek().at};
        enter(take());
        std::vector<NodePtr> args;
        std::vector<std::size_t> argAt;
        while (true) {
            argAt.push_back(peek().at);
            args.push_back(requireValue(parseOr(), argAt.back()));
            if (peek().kind == Token::COMMA) {
                take();
                continue;
            }
            if (peek().kind == Token::RPAREN)
                break;
            if (peek().kind == Token::END)
                throw ParseError{"Mangler )", peek().at};
            unexpected(peek());
        }
        take();
        --depth_;
        std::size_t want = upper ? 1 : 4;
        if (args.size() != want)
            throw ParseError{upper ? "UPPER tar ett argument" : "INSTRING tar fire argumenter",
                             t.at};
        NodePtr n;
        if (upper) {
            n = makeNode(Node::UPPER, VType::TEXT);
        } else {
            n = makeNode(Node::INSTRING, VType::NUM);
            for (int i : {2, 3})
                if (args[i]->kind != Node::NUM_CONST || args[i]->scale != 0)
                    throw ParseError{"INSTRING: steg og start må være hele tall", argAt[i]};
            n->num = args[2]->num;
            n->num2 = args[3]->num;
            args.resize(2);
        }
        n->kids = std::move(args);
        return fold(std::move(n));
    }

    std::vector<Token> toks_;
    const TableDecl& table_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

// ---- SQL ------------------------------------------------------------------------------------

using Bind = std::variant<int64_t, std::string>;

struct Sql {
    std::string s;
    std::vector<Bind> b;

    Sql() = default;
    Sql(std::string_view text) : s(text) {}
    Sql& operator<<(std::string_view text)
    {
        s += text;
        return *this;
    }
    Sql& operator<<(const Sql& o)
    {
        s += o.s;
        b.insert(b.end(), o.b.begin(), o.b.end());
        return *this;
    }
    Sql& bind(Bind v)
    {
        s += '?';
        b.push_back(std::move(v));
        return *this;
    }
};

Sql bound(Bind v)
{
    return Sql().bind(std::move(v));
}

// A number on one side of a comparison: a constant m / 10^scale, or SQL counting in units of
// 10^-scale.
struct Operand {
    bool isConst = false;
    int64_t m = 0;
    int scale = 0;
    Sql sql;
};

class Compiler {
  public:
    explicit Compiler(const TableDecl& t) : t_(t) {}

    Sql condition(const Node& n)
    {
        switch (n.kind) {
        case Node::BOOL_CONST: return Sql(n.num ? "1" : "0");
        case Node::CMP: return comparison(*n.kids[0], n.op, *n.kids[1]);
        case Node::AND:
        case Node::OR: {
            Sql s("(");
            for (std::size_t i = 0; i < n.kids.size(); ++i)
                s << (i ? (n.kind == Node::AND ? " AND " : " OR ") : "") << condition(*n.kids[i]);
            return s << ")";
        }
        case Node::TRUTH: {
            const Node& v = *n.kids[0];
            if (v.type == VType::TEXT)
                return Sql("(") << trimmed(v) << (n.negated ? " = ''" : " <> ''") << ")";
            return Sql("(") << operand(v).sql << (n.negated ? " = 0" : " <> 0") << ")";
        }
        default: return Sql("0");
        }
    }

  private:
    std::string column(const Node& n) const
    {
        const std::string& c =
            n.kind == Node::MEMO ? t_.memos[n.num].column : t_.fields[n.num].column;
        // The unary plus keeps the filter's fields off the indexes: a view walks its key's
        // index in order and stops after a page, where sorting every match first would not.
        return "+\"" + c + "\"";
    }

    Operand operand(const Node& n)
    {
        Operand o;
        o.scale = n.scale;
        if (n.kind == Node::NUM_CONST) {
            o.isConst = true;
            o.m = n.num;
        } else if (n.kind == Node::FIELD) {
            o.sql = Sql(column(n));
        } else { // INSTRING
            o.sql = Sql("TAVLO_INSTRING(") << text(*n.kids[0]) << ", " << text(*n.kids[1]) << ", ";
            o.sql.bind(n.num) << ", ";
            o.sql.bind(n.num2) << ")";
        }
        return o;
    }

    // Any value as text, numbers written the way numText() writes them.
    Sql text(const Node& n)
    {
        switch (n.kind) {
        case Node::TEXT_CONST: return bound(n.text);
        case Node::NUM_CONST: return bound(numText(n.num, n.scale));
        case Node::MEMO: return Sql(column(n));
        case Node::UPPER: return Sql("TAVLO_UPPER(") << text(*n.kids[0]) << ")";
        case Node::FIELD:
            if (n.type == VType::TEXT)
                return Sql(column(n));
            break;
        default: break;
        }
        return numberAsText(operand(n));
    }

    static Sql numberAsText(const Operand& o)
    {
        if (o.isConst)
            return bound(numText(o.m, o.scale));
        if (o.scale == 0)
            return Sql("CAST(") << o.sql << " AS TEXT)";
        // Sign, whole part, then the decimals without trailing zeros.
        const Sql a = Sql("abs(") << o.sql << ")";
        const std::string unit = scale(o.scale);
        return Sql("(CASE WHEN ") << o.sql << " < 0 THEN '-' ELSE '' END || (" << a << " / " << unit
                                  << ") || CASE WHEN " << a << " % " << unit
                                  << " = 0 THEN '' ELSE '.' || rtrim(substr('"
                                  << std::string(o.scale, '0') << "' || (" << a << " % " << unit
                                  << "), -" << std::to_string(o.scale) << "), '0') END)";
    }

    // A text with its trailing blanks removed.
    Sql trimmed(const Node& n)
    {
        if (n.kind == Node::TEXT_CONST)
            return bound(std::string(text::rtrim(n.text)));
        if (n.kind == Node::NUM_CONST)
            return bound(numText(n.num, n.scale));
        return Sql("rtrim(") << text(n) << ", " << kSqlBlanks << ")";
    }

    static Sql textComparison(const Sql& a, Op op, const Sql& b)
    {
        // The columns' own collation ignores case; a filter does not.
        return Sql("(") << a << " COLLATE BINARY" << opSql(op) << b << ")";
    }

    static std::string scale(std::size_t by)
    {
        return std::to_string(static_cast<int64_t>(kPow10[by]));
    }

    static Sql scaled(const Sql& s, int by)
    {
        if (by == 0)
            return s;
        return Sql("(") << s << " * " << scale(by) << ")";
    }

    static Sql numComparison(Operand a, Op op, Operand b)
    {
        if (a.isConst && b.isConst)
            return Sql(holds(op, cmpNum(a.m, a.scale, b.m, b.scale)) ? "1" : "0");
        if (a.isConst) {
            std::swap(a, b);
            op = flipped(op);
        }
        if (!b.isConst) {
            int t = std::max(a.scale, b.scale);
            return Sql("(") << scaled(a.sql, t - a.scale) << opSql(op) << scaled(b.sql, t - b.scale)
                            << ")";
        }
        if (b.scale <= a.scale) {
            // Every stored value lies well inside ±10^18, so a larger constant may stand at
            // that bound without changing any answer.
            constexpr __int128 limit = static_cast<__int128>(1000000000000000000LL);
            __int128 v = static_cast<__int128>(b.m) * kPow10[a.scale - b.scale];
            v = std::clamp(v, -limit, limit);
            return Sql("(") << a.sql << opSql(op) << bound(static_cast<int64_t>(v)) << ")";
        }
        // The constant has more decimals than the other side can: compare that side, a whole
        // number of its units, with the constant rounded the way the operator needs.
        int64_t d = static_cast<int64_t>(kPow10[b.scale - a.scale]);
        int64_t q = b.m / d, r = b.m % d;
        int64_t floorV = r < 0 ? q - 1 : q, ceilV = r > 0 ? q + 1 : q;
        switch (op) {
        case Op::EQ:
            if (r != 0)
                return Sql("0");
            break;
        case Op::NE:
            if (r != 0)
                return Sql("1");
            break;
        default: break;
        }
        int64_t v = (op == Op::LT || op == Op::GE) ? ceilV : floorV;
        return Sql("(") << a.sql << opSql(op) << bound(v) << ")";
    }

    Sql comparison(const Node& a, Op op, const Node& b)
    {
        if (a.type == VType::TEXT && b.type == VType::TEXT)
            return textComparison(trimmed(a), op, trimmed(b));
        if (a.type == VType::NUM && b.type == VType::NUM)
            return numComparison(operand(a), op, operand(b));
        if (a.type == VType::NUM)
            return comparison(b, flipped(op), a);
        // A text against a number.
        Operand num = operand(b);
        if (a.kind == Node::TEXT_CONST) {
            if (auto v = textNum(a.text))
                return numComparison(Operand{true, *v, static_cast<int>(kMaxScale), {}}, op, num);
            return textComparison(trimmed(a), op, numberAsText(num));
        }
        // The text is computed once, in a subquery, and then tested and read the way textNum()
        // does it: w is its trimmed form without the minus, d where its point is.
        const Sql w("substr(\"_u\", 1 + (\"_u\" GLOB '-*'))");
        const Sql d = Sql("instr(") << w << ", '.')";
        const std::string whole = std::to_string(kTextWholeDigits);
        const std::string places = std::to_string(kMaxScale);
        Sql isNum = Sql("(") << w << " GLOB '[0-9]*' AND NOT " << w << " GLOB '*[^0-9.]*' AND NOT "
                             << w << " GLOB '*.*.*' AND NOT " << w << " GLOB '*.' AND CASE WHEN "
                             << d << " = 0 THEN length(" << w << ") <= " << whole << " ELSE " << d
                             << " <= " << whole << " + 1 AND length(" << w << ") - " << d
                             << " <= " << places << " END)";
        Operand asNum;
        asNum.scale = static_cast<int>(kMaxScale);
        asNum.sql = Sql("((CAST(substr(")
                    << w << ", 1, CASE WHEN " << d << " = 0 THEN length(" << w << ") ELSE " << d
                    << " - 1 END) AS INTEGER) * " << scale(kMaxScale) << " + CASE WHEN " << d
                    << " = 0 THEN 0 ELSE CAST(substr(substr(" << w << ", " << d << " + 1) || '"
                    << std::string(kMaxScale, '0') << "', 1, " << places
                    << ") AS INTEGER) END) * (1 - 2 * (\"_u\" GLOB '-*')))";
        Sql asText = Sql("rtrim(\"_t\", ") << kSqlBlanks << ")";
        return Sql("(SELECT CASE WHEN ")
               << isNum << " THEN " << numComparison(asNum, op, num) << " ELSE "
               << textComparison(asText, op, numberAsText(num))
               << " END FROM (SELECT \"_t\", trim(\"_t\", " << kSqlBlanks
               << ") AS \"_u\" FROM (SELECT " << text(a) << " AS \"_t\")))";
    }

    const TableDecl& t_;
};

// Whether the database can run the condition. Its parser has a small fixed stack (a few dozen
// nested function calls or parentheses), so a filter that evaluates fine may still be too
// involved for it; asking it once here spares the register a failed walk later. The extra
// parentheses leave room for the terms a walk adds around the condition.
bool databaseTakes(const TableDecl& t, const std::string& condition)
{
    constexpr std::size_t kRoom = 12;
    struct Connection {
        sqlite3* db = nullptr;
        std::set<std::string> tables;
        ~Connection() { sqlite3_close(db); }
    };
    thread_local Connection c;
    if (!c.db) {
        if (sqlite3_open(":memory:", &c.db) != SQLITE_OK) {
            sqlite3_close(c.db);
            c.db = nullptr;
            return true; // no judge at hand: the walk will tell
        }
        registerCollation(c.db);
    }
    std::string name = "\"" + t.name + "\"";
    if (!c.tables.count(t.name)) {
        std::string create = "CREATE TABLE " + name + " (";
        for (const auto& f : t.fields)
            create += "\"" + f.column + "\", ";
        for (const auto& m : t.memos)
            create += "\"" + m.column + "\", ";
        create.resize(create.size() - 2);
        if (sqlite3_exec(c.db, (create + ")").c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return true;
        c.tables.insert(t.name);
    }
    std::string query = "SELECT 1 FROM " + name + " WHERE " + std::string(kRoom, '(') + condition +
                        std::string(kRoom, ')');
    sqlite3_stmt* stmt = nullptr;
    int rc =
        sqlite3_prepare_v2(c.db, query.c_str(), static_cast<int>(query.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    return rc == SQLITE_OK;
}

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
        root = Parser(src, table).parseFilter();
    } catch (const ParseError& e) {
        return refuse(e.message, e.at);
    }
    Sql sql = Compiler(table).condition(*root);
    if (!databaseTakes(table, sql.s))
        return refuseAll("Filteret er for sammensatt");
    f.root_ = std::move(root);
    f.sql_ = std::move(sql.s);
    f.binds_ = std::move(sql.b);
    return f;
}

std::optional<bool> FilterExpr::evaluate(const Record& r) const
{
    if (!root_ || r.decl().base != table_->base)
        return std::nullopt;
    return truth(*root_, &r);
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
