#pragma once
// The payments read from the bank's OCR giro files (OCRBETALING) as the invoices see them.
#include <cstdint>

#include "framework/decimal.h"

namespace tavlo {

class Context;
class WriteHooks;
class TableFile;
struct StoreError;

// What the payments recorded for invoice `fakturaId` add up to (reversals subtracted), read
// through `file` (the table's file, or a transaction's view of it). False when it cannot be read.
bool innbetaltPaFaktura(TableFile& file, int32_t fakturaId, Decimal& sum, StoreError& err);

// The data module's rule: a deleted invoice lets go of its payments (their invoice number
// becomes 0), so that a later invoice given the same number is not counted as paid by them. The
// payments stay, so that a file read again still finds them read.
void addOcrBetalingRules(WriteHooks& hooks);

} // namespace tavlo
