#pragma once
// Version 3 data folders for the tests and the benchmark: our own table files holding the
// version 3 records, filled with customers, products, billing bases and invoices in both pairs.
#include <cstdint>
#include <memory>
#include <string>

#include "data/record.h"
#include "data/store.h"

namespace tavlo::omlegg::testmappe {

// A version 3 table file of the folder, made when missing: `fil` is "KUNDE.TPS", "BAKTURA.TPS"
// and so on, `t` the table whose record it holds.
std::unique_ptr<TableFile> aapne(const std::string& mappe, Tbl t, const std::string& fil);

struct Omfang {
    int kunder = 20;
    int produkter = 10;
    int grunnlag = 5;
    int fakturaer = 10;   // in FAKTURA.TPS
    int arkiverte = 4;    // in BAKTURA.TPS
    int linjer = 3;       // per invoice
    int32_t mvaSats = 24; // the parameter record's standard rate
};

// Fills `mappe` (made when missing) with a whole version 3 folder: the parameter record, the
// tables of `omfang`, an empty code table, and no table that version 3 lacked. Texts carry
// Æ, Ø and Å; dates run from the first to the last day the calendar allows; products have the
// rates 0, 6, 8, 12 and 24 in turn. Each table is written in one transaction.
void lag(const std::string& mappe, const Omfang& omfang = {});

} // namespace tavlo::omlegg::testmappe
