#pragma once
// The invoice statistics of a year of 100,000 invoices of five lines.
#include <string>

namespace tavlo::bench {

void benchStatistics(const std::string& dir);

} // namespace tavlo::bench
