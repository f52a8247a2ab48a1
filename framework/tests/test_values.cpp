#include "framework/date.h"
#include "framework/decimal.h"
#include "framework/picture.h"
#include "framework/tests/recovering.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

using tavlo::Decimal;

namespace tavlo {
// Readable failure messages.
void PrintTo(const Decimal& d, std::ostream* os)
{
    *os << d.toString();
}
} // namespace tavlo
namespace date = tavlo::date;
namespace picture = tavlo::picture;

namespace {

Decimal dec(std::string_view text)
{
    auto d = Decimal::parse(text);
    EXPECT_TRUE(d.has_value()) << text;
    return d.value_or(Decimal{});
}

} // namespace

TEST(Decimal, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(dec("0.005").rounded(2), dec("0.01"));
    EXPECT_EQ(dec("-0.005").rounded(2), dec("-0.01"));
    EXPECT_EQ(dec("0.0049999").rounded(2), dec("0"));
    EXPECT_EQ(dec("-0.0049999").rounded(2), dec("0"));
    EXPECT_EQ(dec("2.675").rounded(2), dec("2.68"));
    EXPECT_EQ(dec("-2.675").rounded(2), dec("-2.68"));
    EXPECT_EQ(dec("2.5").rounded(0), dec("3"));
    EXPECT_EQ(dec("-2.5").rounded(0), dec("-3"));
    EXPECT_EQ(dec("1.2").rounded(4).scale(), 4);
    EXPECT_EQ(dec("12.345").toCents(), 1235);
    EXPECT_EQ(dec("-12.345").toCents(), -1235);
    EXPECT_EQ(Decimal::fromRaw(-5, 3).toCents(), -1);
    EXPECT_EQ(dec("-2.9").toInt(), -2);
    EXPECT_EQ(dec("2.9").toInt(), 2);
    // A value that rounds to zero must not keep its minus sign.
    EXPECT_EQ(dec("-0.004").toString(2), "0.00");
    EXPECT_EQ(dec("-1234.5").toString(2), "-1234.50");
    EXPECT_EQ(dec("-0.05").toString(), "-0.05");
    EXPECT_EQ(Decimal::fromRaw(12500, 3).toString(), "12.5");
    EXPECT_EQ(Decimal::fromRaw(3000, 3).toString(), "3");
    EXPECT_EQ(dec("2.675").toString(2), "2.68");

    EXPECT_TRUE(dec("999999999.99").fits(11, 2));
    EXPECT_TRUE(dec("-999999999.99").fits(11, 2));
    EXPECT_TRUE(dec("999999999.994").fits(11, 2));
    EXPECT_FALSE(dec("999999999.995").fits(11, 2));
    EXPECT_FALSE(dec("1000000000.00").fits(11, 2));
    EXPECT_TRUE(dec("99999.99").fits(7, 2));
    EXPECT_FALSE(dec("100000").fits(7, 2));
}

TEST(Decimal, ComparesByValueAcrossScales)
{
    EXPECT_EQ(Decimal::fromRaw(150, 2), Decimal::fromRaw(15, 1));
    EXPECT_EQ(Decimal::fromRaw(0, 5), Decimal{});
    EXPECT_GT(Decimal::fromInt(1), Decimal::fromRaw(99, 2));
    EXPECT_LT(dec("-1.5"), dec("-1.49"));
    EXPECT_LT(dec("-0.01"), Decimal{});
    EXPECT_GT(Decimal::fromRaw(1, 18), Decimal{});
    EXPECT_LT(Decimal::fromRaw(1, 18), Decimal::fromRaw(1, 17));
    const Decimal::Int e30 = Decimal::Int(1'000'000'000'000'000) * 1'000'000'000'000'000;
    EXPECT_EQ(Decimal::fromRaw(e30, 18), Decimal::fromInt(1'000'000'000'000));
    EXPECT_GT(Decimal::fromRaw(e30 + 1, 18), Decimal::fromInt(1'000'000'000'000));
    EXPECT_LT(Decimal::fromRaw(-e30 - 1, 18), Decimal::fromInt(-1'000'000'000'000));
    // A negative scale is folded into the mantissa.
    EXPECT_EQ(Decimal::fromRaw(12, -2), Decimal::fromInt(1200));
}

TEST(Decimal, Arithmetic)
{
    EXPECT_EQ(dec("0.1") + dec("0.2"), dec("0.3"));
    EXPECT_EQ(dec("1.05") - Decimal::fromInt(2), dec("-0.95"));
    EXPECT_EQ(dec("-1.05") - dec("-1.05"), Decimal{});
    Decimal sum = Decimal::fromCents(1999);
    sum += dec("0.001");
    sum -= Decimal::fromInt(20);
    EXPECT_EQ(sum, dec("-0.009"));
    EXPECT_EQ(-dec("3.5"), dec("-3.5"));

    EXPECT_EQ(dec("19.99") * Decimal::fromInt(3), dec("59.97"));
    EXPECT_EQ(dec("1.005") * dec("1.005"), dec("1.010025"));
    EXPECT_EQ((dec("1234.50") * dec("0.25")).rounded(2), dec("308.63"));
    EXPECT_EQ((dec("-1234.50") * dec("0.25")).rounded(2), dec("-308.63"));
    // Beyond 18 decimals the product is rounded half away from zero.
    EXPECT_EQ(Decimal::fromRaw(1, 10) * Decimal::fromRaw(5, 9), Decimal::fromRaw(1, 18));
    EXPECT_EQ(Decimal::fromRaw(-1, 10) * Decimal::fromRaw(5, 9), Decimal::fromRaw(-1, 18));
    EXPECT_EQ(Decimal::fromRaw(1, 10) * Decimal::fromRaw(4, 9), Decimal{});

    EXPECT_EQ(Decimal::divide(Decimal::fromInt(10), Decimal::fromInt(3), 2), dec("3.33"));
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(20), Decimal::fromInt(3), 2), dec("6.67"));
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(-20), Decimal::fromInt(3), 2), dec("-6.67"));
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(1), Decimal::fromInt(8), 2), dec("0.13"));
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(1), Decimal::fromInt(-8), 2), dec("-0.13"));
    EXPECT_EQ(Decimal::divide(dec("1250.00"), dec("1.25"), 2), dec("1000"));
    EXPECT_EQ(Decimal::divide(dec("0.001"), dec("1000"), 2), Decimal{});
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(1), Decimal::fromRaw(3, 18), 2),
              dec("333333333333333333.33"));
}

// Dividing by zero is a programming error: it stops a test run, and recovers to 0 elsewhere.
TEST(Decimal, DivisionByZero)
{
    EXPECT_DEATH(
        {
            setenv(tavlo::testing::RecoveringAsserts::kVariable, "1", 1);
            Decimal::divide(Decimal::fromInt(5), Decimal{}, 2);
        },
        "decimal\\.cpp:[0-9]+: programming error: !b\\.isZero\\(\\)");

    tavlo::testing::RecoveringAsserts recovering;
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(5), Decimal{}, 2), Decimal{});
    EXPECT_EQ(Decimal::divide(Decimal::fromInt(-5), Decimal::fromCents(0), 4).scale(), 4);
}

TEST(Decimal, Parses)
{
    EXPECT_EQ(dec("1.234,50"), Decimal::fromCents(123450));
    EXPECT_EQ(dec("1,234.50"), Decimal::fromCents(123450));
    EXPECT_EQ(dec("-0,5"), dec("-0.5"));
    EXPECT_EQ(dec(" 12 "), Decimal::fromInt(12));
    EXPECT_EQ(dec("1.234.567"), Decimal::fromInt(1234567));
    EXPECT_EQ(dec("1,234,567.5"), dec("1234567.5"));
    EXPECT_EQ(dec("12,5"), dec("12.5"));
    EXPECT_EQ(dec("+3"), Decimal::fromInt(3));
    EXPECT_EQ(dec("007"), Decimal::fromInt(7));
    EXPECT_EQ(dec("1.5").scale(), 1);
    // More than 18 decimals round to 18.
    EXPECT_EQ(dec("0.1234567890123456785"), Decimal::fromRaw(123456789012345679, 18));
    EXPECT_EQ(dec("-0.0000000000000000005"), Decimal::fromRaw(-1, 18));

    for (const char* bad :
         {"", "   ", "-", "+", ".", "12a", "a12", "--1", "+-1", "1-", "1 234", "1.2,3,4", "1.23,4",
          "1.234.56", "12.34.567", "1234.567,5", "1e5", "0x10", "1,2,3.4.5"})
        EXPECT_FALSE(Decimal::parse(bad).has_value()) << '"' << bad << '"';
    EXPECT_FALSE(Decimal::parse(std::string(61, '9')).has_value());
    // 40 nines are beyond 128 bits at any scale.
    EXPECT_FALSE(Decimal::parse(std::string(40, '9')).has_value());
}

TEST(Date, DayNumbers)
{
    EXPECT_EQ(date::fromYmd(1801, 1, 1), 4);
    EXPECT_EQ(date::fromYmd(1800, 12, 28), date::kNone);
    EXPECT_EQ(date::fromYmd(1800, 12, 31), date::kNone);
    EXPECT_EQ(date::fromYmd(2100, 1, 1), date::kNone);
    EXPECT_NE(date::fromYmd(2099, 12, 31), date::kNone);
    EXPECT_EQ(date::fromYmd(2004, 2, 30), date::kNone);
    EXPECT_EQ(date::fromYmd(2004, 13, 1), date::kNone);
    EXPECT_EQ(date::fromYmd(2004, 0, 1), date::kNone);
    EXPECT_EQ(date::fromYmd(2004, 1, 0), date::kNone);
    EXPECT_EQ(date::weekday(date::fromYmd(2026, 12, 6)), 0);
    EXPECT_EQ(date::weekday(date::fromYmd(2004, 1, 1)), 4);
    EXPECT_EQ(date::toYmd(0).year, 0);
    EXPECT_EQ(date::toYmd(-5).month, 0);

    EXPECT_FALSE(date::isLeapYear(1900));
    EXPECT_TRUE(date::isLeapYear(2000));
    EXPECT_TRUE(date::isLeapYear(2096));
    EXPECT_FALSE(date::isLeapYear(2001));
    EXPECT_EQ(date::daysInMonth(1900, 2), 28);
    EXPECT_EQ(date::daysInMonth(2000, 2), 29);
    EXPECT_EQ(date::daysInMonth(2004, 4), 30);
    EXPECT_EQ(date::fromYmd(1900, 2, 29), date::kNone);
    EXPECT_NE(date::fromYmd(2096, 2, 29), date::kNone);

    // Every day of the range, against the standard library's calendar.
    using namespace std::chrono;
    const sys_days origin = year{1800} / December / 28;
    const int32_t first = date::fromYmd(1801, 1, 1), last = date::fromYmd(2099, 12, 31);
    for (int32_t n = first; n <= last; ++n) {
        const date::Ymd d = date::toYmd(n);
        const sys_days sd = year{d.year} / d.month / d.day;
        ASSERT_EQ((sd - origin).count(), n);
        ASSERT_EQ(weekday{sd}.c_encoding(), unsigned(date::weekday(n)));
        ASSERT_EQ(n % 7 == 0, weekday{sd} == Sunday);
        ASSERT_EQ(date::fromYmd(d.year, d.month, d.day), n);
        ASSERT_EQ(date::parse(date::format(n)), n);
    }
    EXPECT_EQ(date::toYmd(last).year, 2099);

    const int32_t today = date::today();
    EXPECT_GE(date::toYmd(today).year, 2024);
}

TEST(Date, ParsesAndFormats)
{
    const int32_t nye = date::fromYmd(2004, 12, 31);
    EXPECT_EQ(date::parse("31.12.2004"), nye);
    EXPECT_EQ(date::parse(" 31.12.04 "), nye);
    EXPECT_EQ(date::parse("31122004"), nye);
    EXPECT_EQ(date::parse("311204"), nye);
    EXPECT_EQ(date::parse("31/12/2004"), nye);
    EXPECT_EQ(date::parse("31-12-2004"), nye);
    EXPECT_EQ(date::parse("1.2.2004"), date::fromYmd(2004, 2, 1));
    EXPECT_EQ(date::parse("5.1.79"), date::fromYmd(2079, 1, 5));
    EXPECT_EQ(date::parse("5.1.80"), date::fromYmd(1980, 1, 5));
    EXPECT_EQ(date::parse("29.02.2004"), date::fromYmd(2004, 2, 29));
    EXPECT_EQ(date::parse(""), date::kNone);
    EXPECT_EQ(date::parse("   "), date::kNone);
    for (const char* bad :
         {"29.02.2001", "31.02.2004", "1.1.1800", "1.1.2100", "31.12", "31.12.", "1.1.200", "12345",
          "ab.cd.efgh", "1..2004", "001.1.2004", "1.1.2004x", "1,1,2004", "0.1.2004", "1.13.2004"})
        EXPECT_FALSE(date::parse(bad).has_value()) << bad;
    EXPECT_EQ(date::format(date::fromYmd(2004, 1, 1)), "01.01.2004");
    EXPECT_EQ(date::format(0), "");
}

TEST(Picture, Numbers)
{
    using picture::format;
    EXPECT_EQ(format("@n-14.`2", dec("1234.5")), "      1.234,50");
    EXPECT_EQ(format("@n-14.`2", dec("-1234.5")), "     -1.234,50");
    EXPECT_EQ(format("n-14.`2", dec("0.005")), "          0,01");
    EXPECT_EQ(format("N-14.`2", dec("-0.004")), "          0,00");
    EXPECT_EQ(format("@n_8B", Decimal{}), "        ");
    EXPECT_EQ(format("@n_8B", int64_t{123}), "     123");
    EXPECT_EQ(format("@n_8", Decimal{}), "       0");
    EXPECT_EQ(format("@n_8", dec("12.5")), "      13");
    EXPECT_EQ(format("@n_5B", Decimal{}), "     ");
    EXPECT_EQ(format("@n_5B", dec("0.4")), "     ");
    EXPECT_EQ(format("@n04", int64_t{7}), "0007");
    EXPECT_EQ(format("@n04B", int64_t{0}), "    ");
    EXPECT_EQ(format("@n05", int64_t{-7}), "-0007");
    EXPECT_EQ(format("@n010.", int64_t{1234}), "00.001.234");
    EXPECT_EQ(format("@N-_11.2", dec("-1234.5")), "   -1234.50");
    EXPECT_EQ(format("@N-_9.0", dec("12.5")), "       13");
    EXPECT_EQ(format("@n-14.", int64_t{1234567}), "     1.234.567");
    EXPECT_EQ(format("@N-14.B", int64_t{0}), std::string(14, ' '));
    EXPECT_EQ(format("@n14", int64_t{1234567}), "       1234567");
    EXPECT_EQ(format("@n_14.`2", dec("1234.5")), "       1234,50");
    EXPECT_EQ(format("@n12,.2", dec("1234.5")), "    1,234.50");
    EXPECT_EQ(format("@n*9.`2", dec("12.5")), "****12,50");
    EXPECT_EQ(format("@n*9.`2", dec("-12.5")), "-***12,50");

    // Overflow fills the width with '#'.
    EXPECT_EQ(format("@n04", int64_t{12345}), "####");
    EXPECT_EQ(format("@n_5", int64_t{99999}), "99999");
    EXPECT_EQ(format("@n_5", int64_t{-9999}), "-9999");
    EXPECT_EQ(format("@n_5", int64_t{-10000}), "#####");
    EXPECT_EQ(format("@n-14.`2", dec("99999999999.99")), std::string(14, '#'));
    EXPECT_EQ(format("@n-14.`2", dec("999999999.99")), "999.999.999,99");
    EXPECT_EQ(format("@n_8", dec("99999999.5")), "########");

    // Reading back what was written.
    using picture::parseNumber;
    EXPECT_EQ(parseNumber("@n-14.`2", "20,00"), Decimal::fromInt(20));
    EXPECT_EQ(parseNumber("@n-14.`2", "1.234,50"), dec("1234.5"));
    EXPECT_EQ(parseNumber("@n-14.`2", "  -1.234,50 "), dec("-1234.5"));
    EXPECT_EQ(parseNumber("@n-14.`2", "1234,5"), dec("1234.5"));
    EXPECT_EQ(parseNumber("@n-14.`2", "12,345"), dec("12.35"));
    EXPECT_EQ(parseNumber("@n-14.`2", ""), Decimal{});
    EXPECT_EQ(parseNumber("@n_8B", "        "), Decimal{});
    EXPECT_EQ(parseNumber("@N-_11.2", "-1234.50"), dec("-1234.5"));
    EXPECT_EQ(parseNumber("@n04", "0007"), Decimal::fromInt(7));
    EXPECT_EQ(parseNumber("@n*9.`2", "-***12,50"), dec("-12.5"));
    EXPECT_EQ(parseNumber("@n-14.", "-1.234.567"), Decimal::fromInt(-1234567));
    for (const char* bad :
         {"1.5", "1,234.50", "12a", "--5", "1.23,4", "1234.567,00", "##############", ","})
        EXPECT_FALSE(parseNumber("@n-14.`2", bad).has_value()) << bad;
    EXPECT_FALSE(parseNumber("@N-_11.2", "1234,50").has_value());
    EXPECT_FALSE(parseNumber("@n04", "12345").has_value());
    EXPECT_FALSE(parseNumber("@n_8", "1.234").has_value());
    for (const char* pic : {"@n-14.`2", "@N-_11.2", "@n_8B", "@n04", "@n*9.`2", "@n-14."}) {
        for (const char* value : {"0", "7", "-7", "1234.5", "-999.99", "12345.678"}) {
            const std::string text = format(pic, dec(value));
            if (text.find('#') != std::string::npos)
                continue;
            EXPECT_EQ(parseNumber(pic, text), dec(value).rounded(picture::describe(pic).places))
                << pic << " " << value << " -> '" << text << "'";
        }
    }

    EXPECT_EQ(picture::describe("@n-14.`2").kind, picture::Picture::Kind::Number);
    for (const char* bad : {"", "@", "@n", "@n-", "@nx", "@n14x", "@n14`", "@q5", "@n0"})
        EXPECT_EQ(picture::describe(bad).kind, picture::Picture::Kind::Invalid) << bad;
    EXPECT_EQ(format("@n", dec("-1.50")), "-1.5");
}

TEST(Picture, DatesTimesTextsPatterns)
{
    using picture::formatDate;
    const int32_t d = date::fromYmd(2004, 1, 5);
    EXPECT_EQ(formatDate("@d06.B", date::fromYmd(2004, 1, 1)), "01.01.2004");
    EXPECT_EQ(formatDate("@D06.B", date::fromYmd(2004, 1, 1)), "01.01.2004");
    EXPECT_EQ(formatDate("@d06.b", 0), "");
    EXPECT_EQ(formatDate("@d06.", 0), "");
    EXPECT_EQ(formatDate("@d6", d), "5/1/2004");
    EXPECT_EQ(formatDate("@d2", d), "1/5/2004");
    EXPECT_EQ(formatDate("@d01-", d), "01-05-04");
    EXPECT_EQ(formatDate("@d5", d), "5/1/04");
    EXPECT_EQ(formatDate("@d010.", d), "04.01.05");
    EXPECT_EQ(formatDate("@d11", d), "040105");
    EXPECT_EQ(formatDate("@d12", d), "20040105");
    EXPECT_EQ(formatDate("@d06_", d), "05 01 2004");
    EXPECT_EQ(formatDate("@d99", d), "5/1/2004");
    EXPECT_EQ(picture::format("@d06.B", int64_t{d}), "05.01.2004");

    using picture::parseDate;
    EXPECT_EQ(parseDate("@d06.B", "01.01.2004"), date::fromYmd(2004, 1, 1));
    EXPECT_EQ(parseDate("@d06.B", ""), date::kNone);
    EXPECT_FALSE(parseDate("@d06.B", "29.02.2001").has_value());
    EXPECT_FALSE(parseDate("@d06.B", "1.1").has_value());
    EXPECT_EQ(parseDate("@d2", "1/5/2004"), d);
    EXPECT_EQ(parseDate("@d12", "20040105"), d);
    EXPECT_EQ(parseDate("@d11", "040105"), d);
    EXPECT_EQ(parseDate("@d06_", "05 01 2004"), d);
    // Two-digit years read back only within 1980-2079.
    for (const char* pic : {"@d1", "@d5", "@d010-", "@d11"})
        for (int32_t day : {date::fromYmd(1980, 1, 1), d, date::fromYmd(2079, 12, 31)})
            EXPECT_EQ(parseDate(pic, formatDate(pic, day)), day) << pic << " " << day;
    for (const char* pic : {"@d02", "@d06.B", "@d12", "@d06_", "@d2-"})
        for (int32_t day : {date::fromYmd(1801, 1, 1), d, date::fromYmd(2099, 12, 31)})
            EXPECT_EQ(parseDate(pic, formatDate(pic, day)), day) << pic << " " << day;

    using picture::formatTime;
    const int32_t half8 = (8 * 60 + 30) * 60 * 100;
    EXPECT_EQ(formatTime("@T01", 0), "00:00");
    EXPECT_EQ(formatTime("@T01B", 0), "");
    EXPECT_EQ(formatTime("@T01", half8), "08:30");
    EXPECT_EQ(formatTime("@T1", half8 + 5999), "8:30");
    EXPECT_EQ(formatTime("@T04", ((13 * 60 + 5) * 60 + 9) * 100), "13:05:09");
    EXPECT_EQ(formatTime("@T2", half8), "0830");
    EXPECT_EQ(picture::parseTime("@T01", "08:30"), half8);
    EXPECT_EQ(picture::parseTime("@T01", "830"), half8);
    EXPECT_EQ(picture::parseTime("@T01", "8.30"), half8);
    EXPECT_EQ(picture::parseTime("@T01", ""), 0);
    EXPECT_EQ(picture::parseTime("@T04", "13:05:09"), ((13 * 60 + 5) * 60 + 9) * 100);
    for (const char* bad : {"24:00", "12:60", "1234567", "12:", ":30", "12:3x", "1:2:3:4"})
        EXPECT_FALSE(picture::parseTime("@T01", bad).has_value()) << bad;

    EXPECT_EQ(picture::formatText("@s5", "Blåbærsyltetøy"), "Blåbæ");
    EXPECT_EQ(picture::formatText("@S51", "Kunde"), "Kunde");
    EXPECT_EQ(picture::formatText("@n_8", "uendret"), "uendret");

    using picture::formatPattern;
    const char* account = "P####.##.#####PB";
    EXPECT_EQ(formatPattern(account, "12345678901"), "1234.56.78901");
    EXPECT_EQ(formatPattern(account, " 1234.56.78901 "), "1234.56.78901");
    EXPECT_EQ(formatPattern(account, ""), "");
    EXPECT_EQ(formatPattern(account, "00000000000"), "");
    EXPECT_EQ(formatPattern(account, "123"), "0000.00.00123");
    EXPECT_EQ(formatPattern(account, "123456789012"), "#############");
    EXPECT_EQ(formatPattern("@P###-###P", ""), "000-000");
    EXPECT_EQ(picture::format(account, int64_t{12345678901}), "1234.56.78901");
}
