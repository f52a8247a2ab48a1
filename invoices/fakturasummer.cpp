#include "invoices/fakturasummer.h"

#include "data/context.h"
#include "data/rounding.h"
#include "framework/filemanager.h"
#include "invoices/dokument.h"

namespace tavlo {

namespace {

// What a decimal(11,2) field holds of a value.
Decimal stored(const Decimal& v)
{
    return v.rounded(2);
}

// Places kept in the division of a VAT-inclusive line: far more than the two stored, so that
// the VAT of 125.00 at 25 % is exactly 25.00.
constexpr int kDelingPlasser = 12;

} // namespace

void FakturaSummering::add(const Record& l)
{
    add(l, LinjeFelt::faktura());
}

void FakturaSummering::add(const Record& l, const LinjeFelt& f)
{
    ++s_.linjer;
    if (l.get(f.linjenr) > s_.hoyesteLinjenr)
        s_.hoyesteLinjenr = l.get(f.linjenr);
    const Decimal sum = l.get(f.sum);
    s_.sum = stored(s_.sum + sum);
    if (!l.get(f.mvaPliktig))
        return;
    const Decimal sats = Decimal::fromInt(l.get(f.mvaSats));
    const Decimal hundre = Decimal::fromInt(100);
    if (mvaType_ == 1) {
        s_.mvaGrunnlag = stored(s_.mvaGrunnlag + sum);
        s_.mva = stored(s_.mva + Decimal::divide(sum * sats, hundre, kDelingPlasser));
    } else if (mvaType_ == 2) {
        s_.mvaGrunnlag = stored(s_.mvaGrunnlag + sum);
        if (!(sats + hundre).isZero())
            s_.mva = stored(s_.mva + Decimal::divide(sum, sats + hundre, kDelingPlasser) * sats);
    }
}

FakturaSummer FakturaSummering::result(const Decimal& avrunding, bool kreditnota) const
{
    FakturaSummer r = s_;
    r.totalsum = mvaType_ == 1 ? stored(r.sum + r.mva) : r.sum;
    r.avrunding = Decimal();
    if (!avrunding.isZero()) {
        const Decimal avrundet = stored(ROUNDREAL(r.totalsum, avrunding));
        r.avrunding = avrundet - r.totalsum;
        r.totalsum = avrundet;
    }
    if (kreditnota)
        r.totalsum = -r.totalsum;
    return r;
}

bool summerFaktura(Context& ctx, int32_t fakturaId, int32_t mvaType, const Decimal& avrunding,
                   bool kreditnota, FakturaSummer& out)
{
    return summerLinjer(ctx, LinjeFelt::faktura(), fakturaId, mvaType, avrunding, kreditnota, out);
}

void settSummer(Record& f, const FakturaSummer& s)
{
    settSummer(f, HodeFelt::faktura(), s);
}

} // namespace tavlo
