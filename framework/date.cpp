#include "framework/date.h"

#include <cstdio>
#include <ctime>

namespace tavlo::date {

namespace {

// Days since 1.3.0000 of the proleptic Gregorian calendar (era arithmetic over 400-year cycles).
int64_t serialFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

Ymd civilFromSerial(int64_t z)
{
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (month <= 2)), month, day};
}

const int64_t kEpoch = serialFromCivil(1800, 12, 28);

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int number(std::string_view digits)
{
    int v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return v;
}

// Two-digit years 00-79 are 2000s, 80-99 1900s; four-digit years are taken as they stand.
std::optional<int> fullYear(std::string_view digits)
{
    if (digits.size() == 4)
        return number(digits);
    if (digits.size() == 2) {
        const int y = number(digits);
        return y < 80 ? 2000 + y : 1900 + y;
    }
    return std::nullopt;
}

} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int32_t fromYmd(int year, int month, int day)
{
    if (year < kFirstYear || year > kLastYear || day < 1 || day > daysInMonth(year, month))
        return kNone;
    return int32_t(serialFromCivil(year, month, day) - kEpoch);
}

Ymd toYmd(int32_t dayNumber)
{
    if (dayNumber <= 0)
        return {};
    return civilFromSerial(kEpoch + dayNumber);
}

int weekday(int32_t dayNumber)
{
    return ((dayNumber % 7) + 7) % 7;
}

int32_t today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::optional<int32_t> parse(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return kNone;

    std::string_view parts[3];
    if (text.find_first_not_of("0123456789") == std::string_view::npos) {
        // Digits only: ddmmyy or ddmmyyyy.
        if (text.size() != 6 && text.size() != 8)
            return std::nullopt;
        parts[0] = text.substr(0, 2);
        parts[1] = text.substr(2, 2);
        parts[2] = text.substr(4);
    } else {
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            std::size_t end = start;
            while (end < text.size() && isDigit(text[end]))
                ++end;
            parts[i] = text.substr(start, end - start);
            if (i < 2) {
                if (end >= text.size() ||
                    (text[end] != '.' && text[end] != '/' && text[end] != '-'))
                    return std::nullopt;
                start = end + 1;
            } else if (end != text.size()) {
                return std::nullopt;
            }
        }
        if (parts[0].empty() || parts[0].size() > 2 || parts[1].empty() || parts[1].size() > 2)
            return std::nullopt;
    }
    const auto year = fullYear(parts[2]);
    if (!year)
        return std::nullopt;
    const int32_t day = fromYmd(*year, number(parts[1]), number(parts[0]));
    if (day == kNone)
        return std::nullopt;
    return day;
}

std::string format(int32_t dayNumber)
{
    if (dayNumber <= 0)
        return {};
    const Ymd d = toYmd(dayNumber);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buf;
}

} // namespace tavlo::date
