#pragma once
// Dates are day numbers: 0 = no date, day 0 itself would be 28.12.1800 (a Sunday), so every
// day number divisible by 7 is a Sunday. Valid dates run from 1.1.1801 (day 4) to 31.12.2099.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlo::date {

constexpr int32_t kNone = 0;
constexpr int kFirstYear = 1801;
constexpr int kLastYear = 2099;

struct Ymd {
    int year = 0, month = 0, day = 0;
};

// 0 for an impossible date or one outside kFirstYear..kLastYear.
int32_t fromYmd(int year, int month, int day);
// {0,0,0} for day 0 or a negative day.
Ymd toYmd(int32_t dayNumber);
// 0 = Sunday … 6 = Saturday.
int weekday(int32_t dayNumber);
bool isLeapYear(int year);
int daysInMonth(int year, int month);
int32_t today();

// "31.12.2004"; also "31.12.04" (two-digit years 00–79 are 2000s, 80–99 1900s), "31122004",
// and separators '.', '/', '-'. Blank text gives 0 (no date). Malformed: nullopt.
std::optional<int32_t> parse(std::string_view text);
// "31.12.2004"; empty text for 0.
std::string format(int32_t dayNumber);

} // namespace tavlo::date
