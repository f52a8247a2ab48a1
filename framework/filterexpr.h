#pragma once
// Filter expressions: the boolean expressions over one table's fields that limit registers,
// reports and saved filters. A text is parsed once into a tree; the tree is then evaluated
// against record buffers, or compiled to SQL for a walk over the table file. Both give the same
// answer on every record, so a view may filter in the database or in memory as it likes.
//
// Grammar (names, keywords and functions in any case; blanks between tokens are free):
//
//   filter     := or
//   or         := and { OR and }
//   and        := not { AND not }
//   not        := NOT not | comparison
//   comparison := value [ ( = | <> | < | > | <= | >= ) value ]
//   value      := number | string | field | UPPER ( value )
//               | INSTRING ( value , value , whole number , whole number ) | ( or )
//   field      := PREFIX:NAME    a field or memo of the table the filter is for (KUN:Navn,
//                                FAK:Beskrivelse; KUNA:Navn over the alias)
//   number     := [-]digits[.digits]         the minus against the digits; at most 18
//                                            significant digits and 6 decimals
//   string     := '...'                      a doubled quote inside is one quote
//
// Precedence, tightest first: comparison, NOT, AND, OR; so NOT a = b is NOT (a = b), and
// a OR b AND c is a OR (b AND c). A comparison never chains (a = b = c is refused), and a
// condition is not a value: (a = b) = 1 and UPPER(a = b) are refused.
//
// Meaning:
// - A bare value where a condition belongs is true when a number is not zero or a text is not
//   blank: (FAK:KreditNota), (NOT FAK:BetaltDato), (1).
// - Numbers compare exactly by value; a decimal field is its value, not its hundredths; a date
//   is its day number.
// - Texts compare byte by byte, case and all (UPPER is there for the rest), with trailing blanks
//   (spaces and tabs) ignored: 'abc' = 'abc  '.
// - A text compared with a number is read as a number when, without leading and trailing
//   blanks, it is an optional minus, 1 to 12 digits, and optionally a point and 1 to 6 decimals
//   ('0042', ' -7 ', '12.50'); otherwise the number is written as text ("12.5", "-3", no
//   trailing zeros) and the two compare as texts. So FAK:ProsjektId = 12 finds '12', ' 012' and
//   '12.0', PRO:MaxFakturaLinjeRabatt >= 10.5 reads '12.50' as a number, and 'abc' = 1 is false.
// - UPPER upper-cases the Western European way; INSTRING(sub, text, step, start) is the
//   character position where sub is found looking at start, start+step, …, or 0. A number
//   given where a text is wanted is written as text as above.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/record.h"
#include "data/store.h"

namespace tavlo {

struct FilterNode;

class FilterExpr {
  public:
    static constexpr std::size_t kMaxLength = 2047; // characters
    static constexpr int kMaxDepth = 200;           // parentheses, NOT and function calls

    // Parses `text` for records of `table`; check ok() before using the result. An empty or
    // blank text is refused: callers treat a blank filter as no filter before they get here.
    // So is a filter the database cannot run ("Filteret er for sammensatt"): its parser takes
    // only a few dozen levels of nested function calls and mixed AND/OR.
    static FilterExpr parse(std::string_view text, const TableDecl& table);

    FilterExpr() = default; // refused, with no message

    bool ok() const { return root_ != nullptr; }
    // What is wrong, in Norwegian, with the position when the fault has one
    // ("Ukjent felt: FAK:TotalSun (tegn 2)", but "Filteret er tomt").
    const std::string& error() const { return error_; }
    // 1-based character position of the fault; 0 when there is none.
    int errorPos() const { return errorPos_; }
    const std::string& text() const { return text_; }

    // The filter's verdict on a record of its table or of an alias of it. nullopt when it
    // cannot judge: the filter was refused or the record is of another table.
    std::optional<bool> evaluate(const Record& r) const;

    // The filter as SQL over the table's columns, constants bound in the order of their
    // placeholders; `test` is evaluate() for files that cannot run SQL. A refused filter
    // gives a condition that matches nothing.
    SqlCondition toSql() const;

    // The directory names of the fields and memos used ("FAK:TOTALSUM"), each once.
    std::vector<std::string> fields() const;

  private:
    std::shared_ptr<const FilterNode> root_;
    const TableDecl* table_ = nullptr;
    std::string sql_;
    decltype(SqlCondition::binds) binds_;
    std::string text_;
    std::string error_;
    int errorPos_ = 0;
};

// A text as the inside of a quoted constant of a filter: a quote is doubled, so a name like
// "O'Neil" is searched for and not read as the end of the constant.
std::string quotedConstant(std::string_view s);

} // namespace tavlo
