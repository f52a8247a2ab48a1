#include "data/rounding.h"

#include <algorithm>

namespace tavlo {
namespace {

using Int = Decimal::Int;

// Leaves room for the sums below (v - r + a, 2r) within 128 bits.
constexpr Int kLimit = Int(1) << 124;

// The smallest number of decimals that writes the number exactly.
int places(const Decimal& x)
{
    Int m = x.mantissa();
    int s = x.scale();
    while (s > 0 && m % 10 == 0) {
        m /= 10;
        --s;
    }
    return s;
}

// x × 10^d as a whole number (d is at least places(x), so dropping digits drops zeros only).
bool wholeAt(const Decimal& x, int d, Int& out)
{
    Int m = x.mantissa();
    int s = x.scale();
    for (; s > d; --s)
        m /= 10;
    for (; s < d; ++s) {
        if (m > kLimit / 10 || m < -kLimit / 10)
            return false;
        m *= 10;
    }
    out = m;
    return m <= kLimit && m >= -kLimit;
}

} // namespace

Decimal ROUNDREAL(const Decimal& value, const Decimal& step)
{
    if (step.sign() <= 0)
        return value;
    const int d = std::max(places(value), places(step));
    Int v = 0, a = 0;
    // Only numbers far beyond any amount (over 30 digits at the common scale) miss this; their
    // rounded value could not be held exactly either.
    if (!wholeAt(value, d, v) || !wholeAt(step, d, a))
        return value;
    Int r = v % a;
    if (r < 0)
        r += a; // floored, so that ties go up below zero too
    if (r == 0)
        return value;
    return Decimal::fromRaw(2 * r >= a ? v - r + a : v - r, d);
}

} // namespace tavlo
