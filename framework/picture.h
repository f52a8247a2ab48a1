#pragma once
// Display pictures: the one place where numbers, dates, times and texts become what the user
// sees and types. The leading '@' is optional and the kind letter may be either case.
//
//   Numbers  @n[-][0|_|*]width[grouping][places][B]
//            '-'  leading minus (negatives show '-' anyway); '0' zero fill, '_' no grouping,
//            '*' asterisk fill; grouping '.' (or ',') when followed by '`', 'B' or the end;
//            places "`2" = two decimals after a comma, ".2" = after a point; 'B' = blank for
//            zero. The text is right-aligned in `width`; a value that does not fit gives
//            `width` '#'. Blank results are `width` blanks.
//            "@n-14.`2" 1234.5 -> "      1.234,50", "@n04" 7 -> "0007", "@N-_11.2".
//   Dates    @d[0]format[separator][B]: 1 mm/dd/yy, 2 mm/dd/yyyy, 5 dd/mm/yy, 6 dd/mm/yyyy,
//            10 yy/mm/dd, 11 yymmdd, 12 yyyymmdd, any other number as 6. '0' gives two-digit
//            day and month; separator '.', '-', '/' (default) or '_' for a blank. Day 0 is
//            always the empty text. "@d06.B" -> "01.01.2004".
//   Times    @t[0]format[separator][B] on hundredths of a second since midnight: 1 hh:mm,
//            2 hhmm, 4 hh:mm:ss, 5 hhmmss, others as 1; separator ':' (default), '.', '-' or
//            '_'. 'B' gives the empty text for 0.
//   Texts    @s50: at most 50 characters.
//   Patterns P####.##.#####PB: each '#' takes the next digit, zero-padded on the left; other
//            characters are literal; the closing 'P' ends the pattern, a 'B' after it blanks
//            an empty or zero value.
#include "framework/decimal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlo::picture {

// A picture taken apart; every formatting and reading function works from this.
struct Picture {
    enum class Kind { Invalid, Number, Date, Time, Text, Pattern };
    Kind kind = Kind::Invalid;
    int width = 0;      // Number, Text
    bool blank = false; // 'B'
    // Number
    bool leadingMinus = false; // read but without effect: negatives always show '-'
    char fill = ' ';           // ' ', '0' or '*'
    char grouping = 0;         // 0 = none
    int places = 0;
    char decimalMark = ','; // ',' for '`' places, '.' for '.' places
    // Date and Time
    bool leadingZero = false;
    int format = 0;
    char separator = 0;
    // Pattern: the text between the opening and the closing 'P'
    std::string pattern;
};

Picture describe(std::string_view picture);

// A number under a number picture. Under a date, time or pattern picture the value is taken as
// a day number, a time or a digit string; under a text picture as its plain text. An invalid
// picture gives the plain text (Decimal::toString()).
std::string format(std::string_view picture, const Decimal& value);
std::string format(std::string_view picture, int64_t value);
std::string formatDate(std::string_view picture, int32_t dayNumber);
std::string formatTime(std::string_view picture, int32_t hundredths);
// Under any picture but a text picture the text comes back unchanged.
std::string formatText(std::string_view picture, std::string_view text);
// Non-digits in `digits` are ignored; more digits than the pattern has '#' give '#'s.
std::string formatPattern(std::string_view picture, std::string_view digits);

// Reads what format() writes: the picture's grouping character between thousands and its
// decimal mark, surrounding blanks and fill ignored; blank text is 0. The value is rounded to
// the picture's places; text that is malformed or too wide for the picture gives nullopt.
std::optional<Decimal> parseNumber(std::string_view picture, std::string_view text);
// Day, month and year in the picture's order with any of the separators '.', '/', '-', blank or
// none (digits only, two-digit day and month); two-digit years as date::parse. Blank text is 0;
// malformed or impossible dates give nullopt.
std::optional<int32_t> parseDate(std::string_view picture, std::string_view text);
// "hh:mm", "hh:mm:ss", "hhmm", "hh" with the separators ':', '.', '-' or blank; blank text is 0.
std::optional<int32_t> parseTime(std::string_view picture, std::string_view text);

} // namespace tavlo::picture
