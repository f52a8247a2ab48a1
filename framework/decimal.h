#pragma once
// Exact decimal arithmetic for money, discounts and quantities. Never double.
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlo {

class Decimal {
  public:
    using Int = __int128;
    static constexpr int kMaxScale = 18;

    constexpr Decimal() = default;
    // value = mantissa / 10^scale, scale in 0..kMaxScale
    static Decimal fromRaw(Int mantissa, int scale);
    static Decimal fromInt(int64_t v) { return fromRaw(v, 0); }
    static Decimal fromCents(int64_t cents) { return fromRaw(cents, 2); }

    // Accepts an optional sign, digits, and either ',' or '.' as decimal separator; when both
    // occur, the last one is the decimal separator and the others group thousands
    // ("1.234,50", "1,234.50"); several of one kind alone group thousands ("1.234.567").
    // Surrounding blanks are ignored. Empty or malformed text gives nullopt. Decimals beyond
    // kMaxScale are rounded half away from zero; more than 60 digits is malformed.
    static std::optional<Decimal> parse(std::string_view text);

    Int mantissa() const { return m_; }
    int scale() const { return s_; }
    bool isZero() const { return m_ == 0; }
    bool isNegative() const { return m_ < 0; }
    int sign() const { return m_ < 0 ? -1 : (m_ > 0 ? 1 : 0); }

    // Round to `places` decimals, half away from zero (the store rule everywhere).
    Decimal rounded(int places) const;
    // The value in hundredths, rounded half away from zero: what a decimal(n,2) field stores.
    int64_t toCents() const;
    // Whole part, truncated toward zero.
    int64_t toInt() const;
    // True when the value, rounded to `places`, fits in `digits` digits in all.
    bool fits(int digits, int places) const;

    // Plain text with '.' as decimal point and exactly `places` decimals ("-1234.50");
    // places < 0 gives the shortest exact form ("12.5", "3").
    std::string toString(int places = -1) const;

    Decimal operator-() const { return fromRaw(-m_, s_); }
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    // Exact while the scale stays within kMaxScale, else rounded half away from zero to it.
    friend Decimal operator*(const Decimal& a, const Decimal& b);
    // Quotient rounded half away from zero to `places` decimals. Dividing by zero is a
    // programming error (a soft assert) that gives 0.
    static Decimal divide(const Decimal& a, const Decimal& b, int places);
    Decimal& operator+=(const Decimal& o) { return *this = *this + o; }
    Decimal& operator-=(const Decimal& o) { return *this = *this - o; }

    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b) { return (a <=> b) == 0; }

  private:
    Int m_ = 0;
    int s_ = 0;
};

} // namespace tavlo
