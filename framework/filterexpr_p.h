#pragma once
// Inside the filter language, shared by its files and nothing else: the tree a filter is parsed
// into, the rules its values compare by, and the steps from text to verdict and to SQL. The
// lexer (filterexpr_lexer.cpp) cuts the text into tokens, the parser (filterexpr_parser.cpp)
// builds the tree, folding constants as it goes; evaluation (filterexpr_eval.cpp) judges a
// record by the tree, and the compiler (filterexpr_sql.cpp) writes the same judgement as SQL.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavlo {

class Record;
struct TableDecl;

namespace filterlang {

enum class VType : uint8_t { NUM, TEXT, BOOL };
enum class Op : uint8_t { EQ, NE, LT, GT, LE, GE };

// Constants keep at most this many decimals and significant digits, and a text read as a number
// at most kTextWholeDigits whole digits and kMaxScale decimals, so that every value in the
// units of the finest scale stays inside ±10^18: exact in 64 bits in the database.
constexpr std::size_t kMaxScale = 6;
constexpr std::size_t kMaxDigits = 18;
constexpr std::size_t kTextWholeDigits = 12;

inline constexpr __int128 kPow10[kMaxScale + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000};

} // namespace filterlang

struct FilterNode {
    using VType = filterlang::VType;
    using Op = filterlang::Op;
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

namespace filterlang {

using Node = FilterNode;
using NodePtr = std::unique_ptr<Node>;

// ---- Values (filterexpr_eval.cpp) -----------------------------------------------------------

struct Val {
    bool isText = false;
    int64_t m = 0; // number: m / 10^s
    int s = 0;
    std::string t;
};

// Shortest exact form: "12.5", "-0.05", "3".
std::string numText(int64_t m, int s);
// A text as a number, in millionths: an optional minus, 1 to kTextWholeDigits digits, and
// optionally a point and 1 to kMaxScale decimals, with blanks around it.
std::optional<int64_t> textNum(std::string_view t);
int cmpNum(int64_t m1, int s1, int64_t m2, int s2);
bool holds(Op op, int c);
// The operator with its operands swapped: a < b is b > a.
Op flipped(Op op);

// The node's value and a condition's truth for a record; constants never look at the record,
// so folding passes none.
Val value(const Node& n, const Record* r);
bool truth(const Node& n, const Record* r);

// ---- Tokens and the tree (filterexpr_lexer.cpp, filterexpr_parser.cpp) ------------------------

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

// What the lexer and parser throw at a fault; the public parse turns it into the refusal.
struct ParseError {
    std::string message;
    std::size_t at; // byte offset in the filter
};

// The tokens of `src`, ending with END.
std::vector<Token> lex(std::string_view src);
// The tree of a filter for records of `table`, always a condition.
NodePtr parseTree(std::string_view src, const TableDecl& table);

// ---- SQL (filterexpr_sql.cpp) -----------------------------------------------------------------

struct CompiledSql {
    std::string sql;
    std::vector<std::variant<int64_t, std::string>> binds;
};

CompiledSql compileSql(const Node& condition, const TableDecl& table);
// Whether the database can run the condition.
bool databaseTakes(const TableDecl& table, const std::string& condition);

} // namespace filterlang
} // namespace tavlo
