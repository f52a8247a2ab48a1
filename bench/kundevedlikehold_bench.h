#pragma once
// The customer exchange file: every customer with two contacts written, and read back in.
#include <string>

namespace tavlo::bench {

void benchCustomerExchange(const std::string& dir, int customers, bool exportRun, bool importRun);

} // namespace tavlo::bench
