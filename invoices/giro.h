#pragma once
// The giro's values: the modulus-10 check digit of the Norwegian KID standard, the KID made
// from the invoice number, and the amount split into kroner and øre with its check digit.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/decimal.h"

namespace tavlo {

// The check digit of at most the first 20 characters (blanks around them left out): from the
// right, digits weighted 2, 1, 2, …, the digits of the products added up; a character that is
// no digit counts as 0. "0" for an empty text.
std::string MOD10(std::string_view digits);

// The KID of invoice `fakturaId`: its digits (three at least, with leading zeros) and their
// check digit. Blank when the supplier has no OCR agreement.
std::string kid(int32_t fakturaId, bool ocrAvtale);

struct GiroBelop {
    int64_t kroner = 0; // negated for a credit note
    int32_t ore = 0;
    std::string sjekksiffer;
};
// The amount of the payment line. `totalsum` is the invoice's total as printed (never negated);
// a credit note shows its kroner negative, with øre and check digit as computed before.
GiroBelop giroBelop(const Decimal& totalsum, bool kreditnota);

} // namespace tavlo
