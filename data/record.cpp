#include "data/record.h"

#include <charconv>

#include "framework/date.h"
#include "framework/text.h"

namespace tavlo {

Record::Record(const TableDecl& decl)
    : decl_(&decl), num_(decl.fields.size()), str_(decl.fields.size()), memo_(decl.memos.size())
{
}

void Record::clear()
{
    std::fill(num_.begin(), num_.end(), 0);
    for (auto& s : str_)
        s.clear();
    for (auto& m : memo_)
        m.clear();
}

bool Record::set(DecField f, const Decimal& v)
{
    if (!v.fits(f.size, 2))
        return false;
    num_[f.no] = v.toCents();
    return true;
}

void Record::set(TextField f, std::string_view v)
{
    setStr(f.no, v);
}

void Record::set(MemoRef m, std::string_view v)
{
    setMemo(m.no, v);
}

void Record::setStr(int field, std::string_view v)
{
    std::size_t max = decl_->fields[field].size - 1;
    if (v.size() <= max) // byte count bounds the character count
        str_[field].assign(v);
    else
        str_[field] = text::truncate(v, max);
}

void Record::setMemo(int m, std::string_view v)
{
    std::size_t max = decl_->memos[m].size;
    if (v.size() <= max)
        memo_[m].assign(v);
    else
        memo_[m] = text::truncate(v, max);
}

std::string Record::text(int field) const
{
    const auto& f = decl_->fields[field];
    switch (f.type) {
    case FieldType::INT32:
    case FieldType::BYTE: return std::to_string(num_[field]);
    case FieldType::DATE: return date::format(static_cast<int32_t>(num_[field]));
    case FieldType::DEC: return Decimal::fromCents(num_[field]).toString(2);
    case FieldType::TEXT: return str_[field];
    }
    return {};
}

bool Record::setText(int field, std::string_view value)
{
    const auto& f = decl_->fields[field];
    auto v = text::trim(value);
    auto parseInt = [&](int64_t lo, int64_t hi) {
        if (v.empty()) {
            num_[field] = 0;
            return true;
        }
        int64_t n = 0;
        const char* b = v.data();
        if (*b == '+')
            ++b;
        auto [p, ec] = std::from_chars(b, v.data() + v.size(), n);
        if (ec != std::errc() || p != v.data() + v.size() || n < lo || n > hi)
            return false;
        num_[field] = n;
        return true;
    };
    switch (f.type) {
    case FieldType::INT32: return parseInt(INT32_MIN, INT32_MAX);
    case FieldType::BYTE: return parseInt(0, 255);
    case FieldType::DATE: {
        if (v.find_first_not_of("0123456789-") == std::string_view::npos && v.size() < 7)
            return parseInt(INT32_MIN, INT32_MAX); // a day number as such
        auto d = date::parse(v);
        if (!d)
            return false;
        num_[field] = *d;
        return true;
    }
    case FieldType::DEC: {
        if (v.empty()) {
            num_[field] = 0;
            return true;
        }
        auto d = Decimal::parse(v);
        return d && set(DecField{static_cast<uint16_t>(field), f.size}, *d);
    }
    case FieldType::TEXT:
        if (!text::isValidUtf8(value) || text::length(value) > static_cast<std::size_t>(f.size - 1))
            return false;
        str_[field].assign(value);
        return true;
    }
    return false;
}

bool Record::operator==(const Record& o) const
{
    return num_ == o.num_ && str_ == o.str_ && memo_ == o.memo_;
}

bool Record::sameKey(const Record& o, int key) const
{
    for (const auto& c : decl_->keys[key].components) {
        if (decl_->fields[c.field].type == FieldType::TEXT) {
            if (text::collate(str_[c.field], o.str_[c.field]) != 0)
                return false;
        } else if (num_[c.field] != o.num_[c.field]) {
            return false;
        }
    }
    return true;
}

void Record::copyFrom(const Record& o)
{
    num_ = o.num_;
    str_ = o.str_;
    memo_ = o.memo_;
}

} // namespace tavlo
