#pragma once
// A data version 3 folder brought to this version by the converter.
#include <string>

namespace tavlo::bench {

void benchConvert(const std::string& dir, int customers, int invoices);

} // namespace tavlo::bench
