#include "framework/fieldtext.h"

#include <algorithm>
#include <climits>

#include "framework/decimal.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {

namespace {

bool isPattern(std::string_view pic)
{
    return !pic.empty() && picture::describe(pic).kind == picture::Picture::Kind::Pattern;
}

// A text under a pattern (an account number) is kept as its digits, padded to the pattern's
// places the way it is shown, so that showing and reading it again changes nothing; no digit
// but zeros is no value.
bool readPattern(Record& r, int field, std::string_view pic, std::string_view typed)
{
    const std::string pattern = picture::describe(pic).pattern;
    const auto places = static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '#'));
    std::string digits;
    for (char c : typed)
        if (c >= '0' && c <= '9')
            digits += c;
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        r.setStr(field, "");
        return true;
    }
    digits.erase(0, first);
    if (digits.size() > places ||
        digits.size() > static_cast<std::size_t>(r.decl().fields[field].size - 1))
        return false;
    r.setStr(field, std::string(places - digits.size(), '0') + digits);
    return true;
}

} // namespace

std::string showField(const Record& r, int field, std::string_view pic)
{
    switch (r.decl().fields[field].type) {
    case FieldType::TEXT:
        if (isPattern(pic))
            return picture::formatPattern(pic, r.str(field));
        return pic.empty() ? r.str(field) : picture::formatText(pic, r.str(field));
    case FieldType::DATE:
        return picture::formatDate(pic.empty() ? kDatePicture : pic,
                                   static_cast<int32_t>(r.num(field)));
    case FieldType::DEC:
        return picture::format(pic.empty() ? kAmountPicture : pic,
                               Decimal::fromCents(r.num(field)));
    case FieldType::INT32:
    case FieldType::BYTE:
        return pic.empty() ? std::to_string(r.num(field)) : picture::format(pic, r.num(field));
    }
    return {};
}

bool readField(Record& r, int field, std::string_view pic, std::string_view typed)
{
    const FieldDecl& f = r.decl().fields[field];
    const std::string t(text::trim(typed));
    switch (f.type) {
    case FieldType::TEXT: {
        if (isPattern(pic))
            return readPattern(r, field, pic, t);
        // Only the leading blanks a picture may have padded with go; what the user typed stays.
        std::string s(text::rtrim(typed));
        if (text::length(s) > static_cast<std::size_t>(f.size - 1))
            return false;
        r.setStr(field, s);
        return true;
    }
    case FieldType::DATE: {
        auto d = picture::parseDate(pic.empty() ? kDatePicture : pic, t);
        if (!d)
            return false;
        r.setNum(field, *d);
        return true;
    }
    case FieldType::DEC: {
        auto d = picture::parseNumber(pic.empty() ? kAmountPicture : pic, t);
        if (!d || !d->fits(f.size, 2))
            return false;
        r.setNum(field, d->rounded(2).toCents());
        return true;
    }
    case FieldType::INT32:
    case FieldType::BYTE: {
        auto d = pic.empty() ? (t.empty() ? std::optional(Decimal()) : Decimal::parse(t))
                             : picture::parseNumber(pic, t);
        if (!d || d->rounded(0) != *d)
            return false;
        const int64_t lo = f.type == FieldType::BYTE ? 0 : INT32_MIN;
        const int64_t hi = f.type == FieldType::BYTE ? 255 : INT32_MAX;
        if (*d < Decimal::fromInt(lo) || *d > Decimal::fromInt(hi))
            return false;
        r.setNum(field, d->toInt());
        return true;
    }
    }
    return false;
}

} // namespace tavlo
