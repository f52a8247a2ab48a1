#pragma once
// Invoices written as EHF documents, one file each.
#include <string>

namespace tavlo::bench {

void benchEhf(const std::string& dir, int invoices);

} // namespace tavlo::bench
