#pragma once
// Marked invoices moved into the archive pair.
#include <string>

namespace tavlo::bench {

void benchArchive(const std::string& dir, int invoices);

} // namespace tavlo::bench
