#pragma once
// How a report reads its records in timed slices, so that the window stays alive and the user
// can cancel: each timer event handles records until half its time slice is used, in cycles that
// double while they are quick and halve after an event that ran long. The clock is the caller's,
// so the rules are tested without waiting.
#include <cstdint>
#include <functional>

namespace tavlo {

class ProcessClass {
  public:
    // What handling one record answers.
    enum class Record { Taken, End, Stop };
    enum class Event { More, Done, Stopped };

    // nowMs: the clock in milliseconds; timeSliceMs: one event's share of time (a second).
    explicit ProcessClass(std::function<int64_t()> nowMs, int64_t timeSliceMs = 1000)
        : now_(std::move(nowMs)), slice_(timeSliceMs)
    {
    }

    // One timer event: records handled by `next` until half the slice is used, the records end,
    // or `next` stops the run.
    Event takeEvent(const std::function<Record()>& next);
    int recordsPerCycle() const { return perCycle_; }
    int64_t records() const { return records_; }
    // The share done, from the progress limits and the current record's place between them.
    void setProgressLimits(double low, double high)
    {
        low_ = low;
        high_ = high;
    }
    int percent(double value) const;

  private:
    std::function<int64_t()> now_;
    int64_t slice_;
    int perCycle_ = 1;
    int64_t records_ = 0;
    double low_ = 0, high_ = 0;
};

} // namespace tavlo
