#pragma once
// An invoice of 500 lines: its totals worked out again, and the invoice form opened over it.
#include <string>

namespace tavlo::bench {

void benchInvoices(const std::string& dir, bool totals, bool open);

} // namespace tavlo::bench
