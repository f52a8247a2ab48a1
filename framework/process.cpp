#include "framework/process.h"

#include <algorithm>
#include <cmath>

namespace tavlo {

ProcessClass::Event ProcessClass::takeEvent(const std::function<Record()>& next)
{
    const int64_t start = now_();
    for (;;) {
        for (int i = 0; i < perCycle_; ++i) {
            switch (next()) {
            case Record::Taken: ++records_; break;
            case Record::End: return Event::Done;
            case Record::Stop: return Event::Stopped;
            }
        }
        const int64_t spent = now_() - start;
        if (spent * 5 < slice_ * 4)
            perCycle_ *= 2;
        if (spent * 2 >= slice_)
            break;
    }
    // An event that ran long hands the window back sooner next time.
    if ((now_() - start) * 2 > slice_ * 3 && perCycle_ > 1)
        perCycle_ /= 2;
    return Event::More;
}

int ProcessClass::percent(double value) const
{
    if (high_ <= low_)
        return 0;
    return static_cast<int>(
        std::clamp(std::floor((value - low_) * 100 / (high_ - low_)), 0.0, 100.0));
}

} // namespace tavlo
