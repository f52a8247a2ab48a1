#include "framework/calendar.h"

namespace tavlo {

namespace {

constexpr const char* kMonthNames[] = {"Januar",    "Februar", "Mars",     "April",
                                       "Mai",       "Juni",    "Juli",     "August",
                                       "September", "Oktober", "November", "Desember"};

void sayError(AnswerService& answers, const char* text)
{
    answers.message({text, "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
}

} // namespace

Calendar::Calendar(AnswerService& answers, int32_t incoming, int32_t today)
    : answers_(answers), incoming_(incoming), opened_(date::toYmd(incoming ? incoming : today))
{
    // A day number outside the years the calendar can show opens it on the nearest month it can.
    year_ = held(opened_.year);
    month_ = year_ != opened_.year ? (year_ == date::kFirstYear ? 1 : 12) : opened_.month;
}

const char* Calendar::monthName(int month)
{
    return month >= 1 && month <= 12 ? kMonthNames[month - 1] : "";
}

int Calendar::held(int year) const
{
    if (year < date::kFirstYear) {
        sayError(answers_, "Du kan ikke bruke kalenderen på datoer før 1801");
        return date::kFirstYear;
    }
    if (year > date::kLastYear) {
        sayError(answers_, "Du kan ikke bruke kalenderen på datoer etter 2099");
        return date::kLastYear;
    }
    return year;
}

void Calendar::setYear(int year)
{
    year_ = held(year);
}

void Calendar::setMonth(int month)
{
    // Stepping past a limit leaves the month where it was: taking December of the held year
    // instead would throw the user eleven months the other way.
    if (month < 1) {
        if (held(year_ - 1) == year_ - 1) {
            --year_;
            month_ = 12;
        }
    } else if (month > 12) {
        if (held(year_ + 1) == year_ + 1) {
            ++year_;
            month_ = 1;
        }
    } else {
        month_ = month;
    }
}

Calendar::Grid Calendar::grid() const
{
    Grid cells{};
    // date::weekday counts from Sunday; the columns start on Monday.
    const int first = (date::weekday(date::fromYmd(year_, month_, 1)) + 6) % 7;
    // The real calendar rather than "every fourth year": in 1801-2099 the two differ only in
    // 1900, which has no 29 February to give back.
    const int days = date::daysInMonth(year_, month_);
    for (int day = 1; day <= days; ++day)
        cells[first + day - 1] = day;
    return cells;
}

int Calendar::highlighted() const
{
    if (opened_.year != year_ || opened_.month != month_)
        return -1;
    const Grid cells = grid();
    for (int i = 0; i < kCells; ++i)
        if (cells[i] == opened_.day)
            return i;
    return -1;
}

int32_t Calendar::choose(int cell) const
{
    if (cell < 0 || cell >= kCells)
        return date::kNone;
    const int day = grid()[cell];
    return day ? date::fromYmd(year_, month_, day) : date::kNone;
}

} // namespace tavlo
