#pragma once
// The rules of the calendar popup, apart from its window: which month is shown, which of the 37
// day cells carry which day, which cell is highlighted, how the keys move the month and year, and
// which date a cell stands for. The window only draws what this says.
#include <array>
#include <cstdint>

#include "framework/answer.h"
#include "framework/date.h"

namespace tavlo {

class Calendar {
  public:
    // 31 days plus the six blanks before a month that starts on a Sunday (weeks run Monday first).
    static constexpr int kCells = 37;
    static constexpr int kColumns = 7;
    using Grid = std::array<int, kCells>;

    // incoming 0 opens on today's month; the incoming date is what leaving without a choice gives
    // back. The year limits are reported through `answers`.
    Calendar(AnswerService& answers, int32_t incoming, int32_t today = date::today());

    // "Januar" … "Desember" for 1 … 12; empty text otherwise.
    static const char* monthName(int month);

    int month() const { return month_; }
    int year() const { return year_; }
    int32_t incoming() const { return incoming_; }

    // 0 for a blank cell, else the day of the month.
    Grid grid() const;
    // The cell of the day the calendar opened on (the incoming date, or today for 0) while its
    // month is shown; -1 otherwise.
    int highlighted() const;

    void previousYear() { setYear(year_ - 1); }
    void nextYear() { setYear(year_ + 1); }
    void previousMonth() { setMonth(month_ - 1); }
    void nextMonth() { setMonth(month_ + 1); }
    // 0 is December of the previous year, 13 January of the next.
    void setMonth(int month);
    // Held between 1801 and 2099; a year outside is replaced by the limit, with a message.
    void setYear(int year);

    // The date of a cell in the shown month; 0 for a blank cell or one outside the grid.
    int32_t choose(int cell) const;
    // Leaving without a choice.
    int32_t cancel() const { return incoming_; }

  private:
    // The year kept inside the limits; says so when it had to be changed.
    int held(int year) const;

    AnswerService& answers_;
    int32_t incoming_;
    date::Ymd opened_;
    int month_ = 1;
    int year_ = date::kFirstYear;
};

} // namespace tavlo
