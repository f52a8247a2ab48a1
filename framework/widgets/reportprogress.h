#pragma once
// A report's run off timer events: its records read in timed cycles (ProcessClass), the window
// "Vent..." with the progress and "% Complete" shown once the run has taken longer than the
// defer time, and Cancel, which stops the run with nothing printed.
#include <QString>

#include <cstdint>
#include <functional>

#include "framework/process.h"

namespace tavlo {

class Context;

struct ReportRun {
    QString text;                               // what the window says is going on
    std::function<ProcessClass::Record()> next; // one record handled
    std::function<int()> percent;               // how far the run has come
    // completed false: cancelled; records: how many were handled.
    std::function<void(bool completed, int64_t records)> done;
    int deferMs = 1000; // 0 shows the window at once
};

// Starts the run and returns at once; `done` is told when it ends.
void runReport(Context& ctx, ReportRun run);

} // namespace tavlo
