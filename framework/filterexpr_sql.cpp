// A filter tree as SQL over the table's columns, giving the same answer as the evaluation on
// every record, with every constant bound.
#include <sqlite3.h>

#include <algorithm>
#include <set>
#include <utility>

#include "data/store.h"
#include "framework/filterexpr_p.h"
#include "framework/text.h"

namespace tavlo::filterlang {

namespace {

// Blanks the way the rest of the system trims them; the SQL below must trim the same.
constexpr const char* kSqlBlanks = "' \t'";

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

} // namespace

CompiledSql compileSql(const Node& condition, const TableDecl& table)
{
    Sql sql = Compiler(table).condition(condition);
    return {std::move(sql.s), std::move(sql.b)};
}

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

} // namespace tavlo::filterlang
