#include "framework/decimal.h"

#include "framework/softassert.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tavlo {

namespace {

using U128 = unsigned __int128;
using I128 = __int128;

constexpr U128 kI128Max = (U128(1) << 127) - 1;

// Unsigned 256-bit magnitude, little-endian 64-bit words. Products of two mantissas, and
// mantissas scaled up for alignment, overflow 128 bits long before they overflow this.
struct U256 {
    std::array<uint64_t, 4> w{};

    static U256 from(U128 v)
    {
        U256 r;
        r.w[0] = uint64_t(v);
        r.w[1] = uint64_t(v >> 64);
        return r;
    }
    bool isZero() const { return (w[0] | w[1] | w[2] | w[3]) == 0; }
    bool fitsI128() const { return w[2] == 0 && w[3] == 0 && toU128() <= kI128Max; }
    U128 toU128() const { return (U128(w[1]) << 64) | w[0]; }
    bool bit(int i) const { return (w[i / 64] >> (i % 64)) & 1; }
    void setBit(int i) { w[i / 64] |= uint64_t(1) << (i % 64); }

    // Returns false when the product does not fit.
    bool mulSmall(uint64_t m)
    {
        U128 carry = 0;
        for (auto& word : w) {
            U128 t = U128(word) * m + carry;
            word = uint64_t(t);
            carry = t >> 64;
        }
        return carry == 0;
    }
    void shl1()
    {
        for (int i = 3; i > 0; --i)
            w[i] = (w[i] << 1) | (w[i - 1] >> 63);
        w[0] <<= 1;
    }
    friend bool operator<(const U256& a, const U256& b)
    {
        for (int i = 3; i >= 0; --i)
            if (a.w[i] != b.w[i])
                return a.w[i] < b.w[i];
        return false;
    }
    U256& operator+=(const U256& o)
    {
        U128 carry = 0;
        for (int i = 0; i < 4; ++i) {
            U128 t = U128(w[i]) + o.w[i] + carry;
            w[i] = uint64_t(t);
            carry = t >> 64;
        }
        return *this;
    }
    U256& operator-=(const U256& o)
    {
        uint64_t borrow = 0;
        for (int i = 0; i < 4; ++i) {
            U128 t = U128(w[i]) - o.w[i] - borrow;
            w[i] = uint64_t(t);
            borrow = (t >> 64) ? 1 : 0;
        }
        return *this;
    }
};

U256 mul(U128 a, U128 b)
{
    const uint64_t a0 = uint64_t(a), a1 = uint64_t(a >> 64);
    const uint64_t b0 = uint64_t(b), b1 = uint64_t(b >> 64);
    U256 r = U256::from(U128(a0) * b0);
    U256 mid = U256::from(U128(a0) * b1);
    U256 mid2 = U256::from(U128(a1) * b0);
    // Shift the cross terms up one word.
    for (U256* m : {&mid, &mid2}) {
        m->w[3] = m->w[2];
        m->w[2] = m->w[1];
        m->w[1] = m->w[0];
        m->w[0] = 0;
        r += *m;
    }
    U256 high = U256::from(U128(a1) * b1);
    high.w[3] = high.w[1];
    high.w[2] = high.w[0];
    high.w[1] = high.w[0] = 0;
    r += high;
    return r;
}

// false when 10^n times v overflows 256 bits.
bool mulPow10(U256& v, int n)
{
    for (; n > 0; n -= 19) {
        uint64_t p = 1;
        for (int i = 0; i < n && i < 19; ++i)
            p *= 10;
        if (!v.mulSmall(p))
            return false;
    }
    return true;
}

U256 pow10(int n)
{
    U256 r = U256::from(1);
    mulPow10(r, n);
    return r;
}

// Quotient rounded half up, which on magnitudes is half away from zero. d must not be zero.
U256 divRound(const U256& n, const U256& d)
{
    U256 q, r;
    for (int i = 255; i >= 0; --i) {
        r.shl1();
        if (n.bit(i))
            r.w[0] |= 1;
        if (!(r < d)) {
            r -= d;
            q.setBit(i);
        }
    }
    // r < d < 2^255 here, so doubling cannot overflow.
    U256 twice = r;
    twice.shl1();
    if (!(twice < d))
        q += U256::from(1);
    return q;
}

U128 magnitude(I128 v)
{
    return v < 0 ? U128(0) - U128(v) : U128(v);
}

// Builds a Decimal from a sign and magnitude at `scale` (may exceed kMaxScale). Drops as few
// digits as needed, rounding once, so that the scale is at most kMaxScale and the mantissa fits.
std::optional<Decimal> make(bool negative, const U256& mag, int scale)
{
    int drop = scale > Decimal::kMaxScale ? scale - Decimal::kMaxScale : 0;
    for (; drop <= scale; ++drop) {
        U256 q = drop == 0 ? mag : divRound(mag, pow10(drop));
        if (q.fitsI128()) {
            I128 m = I128(q.toU128());
            return Decimal::fromRaw(negative ? -m : m, scale - drop);
        }
    }
    return std::nullopt;
}

// Far beyond any amount the program handles; clamping beats wrapping around.
Decimal saturated(bool negative)
{
    const I128 m = I128(kI128Max);
    return Decimal::fromRaw(negative ? -m : m, 0);
}

Decimal makeOrSaturate(bool negative, const U256& mag, int scale)
{
    if (auto d = make(negative, mag, scale))
        return *d;
    return saturated(negative);
}

U256 scaledMagnitude(const Decimal& d, int toScale)
{
    U256 v = U256::from(magnitude(d.mantissa()));
    mulPow10(v, toScale - d.scale());
    return v;
}

int64_t clampToInt64(I128 v)
{
    constexpr I128 hi = INT64_MAX, lo = INT64_MIN;
    return int64_t(v > hi ? hi : (v < lo ? lo : v));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

Decimal Decimal::fromRaw(Int mantissa, int scale)
{
    if (scale >= 0 && scale <= kMaxScale) {
        Decimal d;
        d.m_ = mantissa;
        d.s_ = scale;
        return d;
    }
    U256 mag = U256::from(magnitude(mantissa));
    if (scale < 0) {
        if (!mulPow10(mag, -scale))
            return saturated(mantissa < 0);
        scale = 0;
    }
    return makeOrSaturate(mantissa < 0, mag, scale);
}

std::optional<Decimal> Decimal::parse(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;

    // Decide which separator, if any, is the decimal one.
    std::size_t lastComma = text.rfind(','), lastPoint = text.rfind('.');
    std::size_t decimalPos = std::string_view::npos;
    char groupChar = 0;
    if (lastComma != std::string_view::npos && lastPoint != std::string_view::npos) {
        decimalPos = std::max(lastComma, lastPoint);
        groupChar = text[decimalPos] == ',' ? '.' : ',';
    } else if (lastComma != std::string_view::npos || lastPoint != std::string_view::npos) {
        const char sep = lastComma != std::string_view::npos ? ',' : '.';
        if (text.find(sep) == text.rfind(sep))
            decimalPos = text.find(sep);
        else
            groupChar = sep;
    }

    // More digits than this cannot be meant as an amount; 256 bits hold 77.
    constexpr int kMaxDigits = 60;
    std::string_view intPart = text.substr(0, decimalPos);
    std::string_view fracPart =
        decimalPos == std::string_view::npos ? std::string_view{} : text.substr(decimalPos + 1);
    U256 mag;
    int digits = 0;
    // Grouped integer parts must have a first group of 1-3 digits, then groups of exactly 3.
    int groupLen = 0;
    bool grouped = false;
    for (char c : intPart) {
        if (c >= '0' && c <= '9') {
            if (++digits > kMaxDigits)
                return std::nullopt;
            mag.mulSmall(10);
            mag += U256::from(U128(c - '0'));
            ++groupLen;
        } else if (groupChar != 0 && c == groupChar) {
            if (grouped ? groupLen != 3 : (groupLen < 1 || groupLen > 3))
                return std::nullopt;
            grouped = true;
            groupLen = 0;
        } else {
            return std::nullopt;
        }
    }
    if (grouped && groupLen != 3)
        return std::nullopt;
    for (char c : fracPart) {
        if (c < '0' || c > '9' || ++digits > kMaxDigits)
            return std::nullopt;
        mag.mulSmall(10);
        mag += U256::from(U128(c - '0'));
    }
    if (digits == 0)
        return std::nullopt;
    return make(negative, mag, int(fracPart.size()));
}

Decimal Decimal::rounded(int places) const
{
    places = std::clamp(places, 0, kMaxScale);
    const bool neg = m_ < 0;
    if (places >= s_)
        return makeOrSaturate(neg, scaledMagnitude(*this, places), places);
    U256 q = divRound(U256::from(magnitude(m_)), pow10(s_ - places));
    return makeOrSaturate(neg, q, places);
}

int64_t Decimal::toCents() const
{
    return clampToInt64(rounded(2).mantissa());
}

int64_t Decimal::toInt() const
{
    I128 p = 1;
    for (int i = 0; i < s_; ++i)
        p *= 10;
    return clampToInt64(m_ / p);
}

bool Decimal::fits(int digits, int places) const
{
    places = std::clamp(places, 0, kMaxScale);
    const Decimal r = rounded(places);
    if (r.scale() != places) // only when the value is beyond 128 bits at this scale
        return false;
    return U256::from(magnitude(r.mantissa())) < pow10(std::clamp(digits, 0, 76));
}

std::string Decimal::toString(int places) const
{
    Decimal d = *this;
    if (places < 0) {
        while (d.s_ > 0 && d.m_ % 10 == 0) {
            d.m_ /= 10;
            --d.s_;
        }
    } else {
        d = rounded(places);
    }
    std::string digits;
    for (U128 v = magnitude(d.m_); v != 0; v /= 10)
        digits.insert(digits.begin(), char('0' + int(v % 10)));
    if (digits.size() <= std::size_t(d.s_))
        digits.insert(0, std::size_t(d.s_) + 1 - digits.size(), '0');
    if (d.s_ > 0)
        digits.insert(digits.size() - std::size_t(d.s_), 1, '.');
    return d.m_ < 0 ? "-" + digits : digits;
}

namespace {

// a + sign * b, exact unless the result is beyond 128 bits.
Decimal addSigned(const Decimal& a, const Decimal& b, bool negateB)
{
    const int scale = std::max(a.scale(), b.scale());
    const U256 ma = scaledMagnitude(a, scale), mb = scaledMagnitude(b, scale);
    const bool na = a.isNegative(), nb = b.isNegative() != negateB && !b.isZero();
    if (na == nb) {
        U256 sum = ma;
        sum += mb;
        return makeOrSaturate(na, sum, scale);
    }
    if (ma < mb) {
        U256 diff = mb;
        diff -= ma;
        return makeOrSaturate(nb, diff, scale);
    }
    U256 diff = ma;
    diff -= mb;
    return makeOrSaturate(na, diff, scale);
}

} // namespace

Decimal operator+(const Decimal& a, const Decimal& b)
{
    return addSigned(a, b, false);
}
Decimal operator-(const Decimal& a, const Decimal& b)
{
    return addSigned(a, b, true);
}

Decimal operator*(const Decimal& a, const Decimal& b)
{
    const U256 product = mul(magnitude(a.mantissa()), magnitude(b.mantissa()));
    return makeOrSaturate(a.isNegative() != b.isNegative(), product, a.scale() + b.scale());
}

Decimal Decimal::divide(const Decimal& a, const Decimal& b, int places)
{
    places = std::clamp(places, 0, kMaxScale);
    // A caller divides only by what it has checked; 0 here is a bug upstream, and a quotient
    // of 0 keeps the sums it feeds finite.
    TAVLO_ASSERT(!b.isZero(), return fromRaw(0, places));
    // a/b = (ma / 10^sa) / (mb / 10^sb); bring both to integers whose quotient has `places`.
    U256 num = U256::from(magnitude(a.m_)), den = U256::from(magnitude(b.m_));
    const int shift = places + b.s_ - a.s_;
    mulPow10(shift >= 0 ? num : den, shift >= 0 ? shift : -shift);
    return makeOrSaturate(a.isNegative() != b.isNegative(), divRound(num, den), places);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b)
{
    if (a.sign() != b.sign())
        return a.sign() <=> b.sign();
    const int scale = std::max(a.scale(), b.scale());
    const U256 ma = scaledMagnitude(a, scale), mb = scaledMagnitude(b, scale);
    const bool negative = a.isNegative();
    if (ma < mb)
        return negative ? std::strong_ordering::greater : std::strong_ordering::less;
    if (mb < ma)
        return negative ? std::strong_ordering::less : std::strong_ordering::greater;
    return std::strong_ordering::equal;
}

} // namespace tavlo
