#pragma once
// A thousand invoices of ten lines, each with its giro, laid out and written to one PDF.
#include <string>

namespace tavlo::bench {

void benchPrint(const std::string& dir, int invoices);

} // namespace tavlo::bench
