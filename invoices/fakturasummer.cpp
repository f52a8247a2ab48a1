#include "invoices/fakturasummer.h"

#include <limits>

#include "data/context.h"
#include "data/rounding.h"
#include "framework/filemanager.h"

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
    ++s_.linjer;
    if (l.get(FLI::LINJENR) > s_.hoyesteLinjenr)
        s_.hoyesteLinjenr = l.get(FLI::LINJENR);
    const Decimal sum = l.get(FLI::SUM);
    s_.sum = stored(s_.sum + sum);
    if (!l.get(FLI::MVAPLIKTIG))
        return;
    const Decimal sats = Decimal::fromInt(l.get(FLI::MVASATS));
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
    FileManager& flia = ctx.access(Tbl::FAKLINJE_ALIAS);
    if (flia.OPEN() != LEVEL_BENIGN)
        return false;
    FakturaSummering summering(mvaType);
    Record& r = flia.rec();
    r.clear();
    r.set(FLIA::FAKTURAID, fakturaId);
    r.set(FLIA::LINJENR, std::numeric_limits<int32_t>::min());
    flia.SETAT(FLIA::KeyFakturaId_LinjeNr);
    bool ok = true;
    for (;;) {
        const int level = flia.TRYNEXT();
        if (level != LEVEL_BENIGN) {
            ok = flia.GETEOF();
            break;
        }
        if (r.get(FLIA::FAKTURAID) != fakturaId)
            break;
        summering.add(r);
    }
    flia.CLOSE();
    if (ok)
        out = summering.result(avrunding, kreditnota);
    return ok;
}

void settSummer(Record& f, const FakturaSummer& s)
{
    f.set(FAK::SUM, s.sum);
    f.set(FAK::SUMMVAGRUNNLAG, s.mvaGrunnlag);
    f.set(FAK::MVA, s.mva);
    f.set(FAK::TOTALSUM, s.totalsum);
}

} // namespace tavlo
