// A report's timed reading: cycles that double while quick, halve after a long event, and the
// ends of a run.
#include <gtest/gtest.h>

#include "framework/process.h"

using namespace tavlo;

namespace {

struct FakeClock {
    int64_t ms = 0;
    int64_t perRecord = 1;
};

} // namespace

TEST(Process, CyclesDoubleWhileQuickAndTheEventStopsAtHalfTheSlice)
{
    FakeClock clock;
    ProcessClass p([&] { return clock.ms; });
    int handled = 0;
    auto next = [&] {
        clock.ms += clock.perRecord;
        ++handled;
        return ProcessClass::Record::Taken;
    };
    EXPECT_EQ(p.takeEvent(next), ProcessClass::Event::More);
    // 1 + 2 + 4 + … records of 1 ms until 500 ms are used: 511 records in nine cycles.
    EXPECT_EQ(handled, 511);
    EXPECT_EQ(p.records(), 511);
    EXPECT_EQ(p.recordsPerCycle(), 512);
}

TEST(Process, ALongEventHalvesTheCycle)
{
    FakeClock clock;
    ProcessClass p([&] { return clock.ms; });
    auto next = [&] {
        clock.ms += clock.perRecord;
        return ProcessClass::Record::Taken;
    };
    p.takeEvent(next);   // the cycle grows to 512
    clock.perRecord = 4; // records now take four times as long: 2048 ms for one cycle
    p.takeEvent(next);
    EXPECT_EQ(p.recordsPerCycle(), 256);
}

TEST(Process, AFewRecordsFinishInOneEventAndAStopEndsTheRun)
{
    FakeClock clock;
    ProcessClass p([&] { return clock.ms; });
    int left = 3;
    EXPECT_EQ(p.takeEvent([&] {
        return left-- > 0 ? ProcessClass::Record::Taken : ProcessClass::Record::End;
    }),
              ProcessClass::Event::Done);
    EXPECT_EQ(p.records(), 3);
    EXPECT_EQ(p.takeEvent([] { return ProcessClass::Record::Stop; }), ProcessClass::Event::Stopped);
}

TEST(Process, ProgressRunsFromTheLowToTheHighLimit)
{
    ProcessClass p([] { return int64_t{0}; });
    EXPECT_EQ(p.percent(5), 0); // no limits
    p.setProgressLimits(100, 300);
    EXPECT_EQ(p.percent(100), 0);
    EXPECT_EQ(p.percent(200), 50);
    EXPECT_EQ(p.percent(400), 100);
}
