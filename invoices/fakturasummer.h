#pragma once
// An invoice's sums: the one definition the invoice form, the printout and the invoice
// generation use. Per line: the sum into "Sum"; a VAT-liable line's sum into the VAT base and
// its VAT, worked out per line and each addition stored with two decimals, into "MVA". The total
// is the sum (prices with VAT, or no VAT) or the sum and the VAT (prices without VAT), rounded to
// the parameters' rounding step; a credit note turns the total's sign last.
#include <cstdint>

#include "framework/decimal.h"

namespace tavlo {

class Context;
class Record;
struct LinjeFelt;

struct FakturaSummer {
    Decimal sum, mvaGrunnlag, mva, totalsum;
    Decimal avrunding; // the rounded total less the unrounded one
    int linjer = 0;
    int32_t hoyesteLinjenr = 0;
};

class FakturaSummering {
  public:
    // mvaType: 0 no VAT, 1 prices without VAT (added), 2 prices with VAT (included).
    explicit FakturaSummering(int32_t mvaType) : mvaType_(mvaType) {}
    // One line, an FLI or FLIA record (the alias has the same fields), or a line of another
    // table with the fields `f` names.
    void add(const Record& linje);
    void add(const Record& linje, const LinjeFelt& f);
    // The total from what was added: rounded to a multiple of `avrunding` (0: not rounded),
    // then turned for a credit note.
    FakturaSummer result(const Decimal& avrunding, bool kreditnota) const;
    // The sums of the lines added so far, before the total is made.
    const FakturaSummer& lopende() const { return s_; }

  private:
    int32_t mvaType_;
    FakturaSummer s_;
};

// The sums of the stored lines of invoice `fakturaId`, read through FAKLINJE_ALIAS in line-number
// order; false, and `out` untouched, when the lines cannot be read.
bool summerFaktura(Context& ctx, int32_t fakturaId, int32_t mvaType, const Decimal& avrunding,
                   bool kreditnota, FakturaSummer& out);
// The four sum fields of an FAK record set from `s`.
void settSummer(Record& faktura, const FakturaSummer& s);

} // namespace tavlo
