#include "invoices/giro.h"

#include <cstdio>

#include "framework/text.h"

namespace tavlo {

std::string MOD10(std::string_view digits)
{
    std::string_view s = text::trim(digits);
    if (s.size() > 20)
        s = s.substr(0, 20);
    int sum = 0;
    int weight = 2;
    for (auto it = s.rbegin(); it != s.rend(); ++it) {
        const int d = (*it >= '0' && *it <= '9') ? *it - '0' : 0;
        const int product = d * weight;
        sum += product / 10 + product % 10;
        weight = weight == 2 ? 1 : 2;
    }
    const int r = sum % 10;
    return std::to_string(r == 0 ? 0 : 10 - r);
}

std::string kid(int32_t fakturaId, bool ocrAvtale)
{
    if (!ocrAvtale)
        return {};
    char digits[16];
    std::snprintf(digits, sizeof digits, fakturaId < 1000 ? "%03d" : "%d", fakturaId);
    return digits + MOD10(digits);
}

GiroBelop giroBelop(const Decimal& totalsum, bool kreditnota)
{
    GiroBelop b;
    const int64_t cents = totalsum.toCents();
    const int64_t kroner = cents / 100; // toward zero
    b.ore = static_cast<int32_t>(cents % 100);
    if (b.ore < 0)
        b.ore = -b.ore;
    char ore[4];
    std::snprintf(ore, sizeof ore, "%02d", b.ore);
    b.sjekksiffer = MOD10(std::to_string(kroner < 0 ? -kroner : kroner) + ore);
    b.kroner = kreditnota ? -kroner : kroner;
    return b;
}

} // namespace tavlo
