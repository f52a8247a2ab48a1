#pragma once
// The bank's OCR giro file of payments booked on the invoices.
#include <string>

namespace tavlo::bench {

void benchOcr(const std::string& dir, int payments);

} // namespace tavlo::bench
