#pragma once
// One billing basis of five lines invoiced to many marked customers.
#include <string>

namespace tavlo::bench {

void benchGenerate(const std::string& dir, int customers);

} // namespace tavlo::bench
