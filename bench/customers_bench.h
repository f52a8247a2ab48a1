#pragma once
// The customer register over a data folder of 100,000 customers, their contacts and 100,000
// products: opening it, the name search and "Merk alle poster", each against plain SQLite.
#include <string>
#include <vector>

#include "bench/common.h"

namespace tavlo::bench {

struct CustomerBenches {
    bool open = false;
    bool search = false;
    bool markAll = false;
};

void benchCustomers(const std::string& dir, const std::vector<Customer>& customers,
                    CustomerBenches which);

} // namespace tavlo::bench
