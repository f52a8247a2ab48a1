#include "framework/picture.h"

#include "framework/date.h"
#include "framework/text.h"

#include <algorithm>
#include <cstdio>

namespace tavlo::picture {

namespace {

// Wider pictures are mistakes; capping keeps a bad picture from allocating without bound.
constexpr int kMaxWidth = 255;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Reads a run of digits at s[pos]; -1 when there is none.
int readNumber(std::string_view s, std::size_t& pos)
{
    int v = -1;
    while (pos < s.size() && isDigit(s[pos])) {
        v = std::min((v < 0 ? 0 : v) * 10 + (s[pos] - '0'), 100000);
        ++pos;
    }
    return v;
}

bool atEndOrBlank(std::string_view s, std::size_t pos)
{
    return pos == s.size() || (pos + 1 == s.size() && upper(s[pos]) == 'B');
}

Picture describeNumber(std::string_view s)
{
    Picture p;
    std::size_t pos = 0;
    if (pos < s.size() && s[pos] == '-') {
        p.leadingMinus = true;
        ++pos;
    }
    bool noGrouping = false;
    // A '0' is the zero fill only when the width follows it.
    if (pos + 1 < s.size() && s[pos] == '0' && isDigit(s[pos + 1])) {
        p.fill = '0';
        ++pos;
    } else if (pos < s.size() && (s[pos] == '_' || s[pos] == '*')) {
        noGrouping = s[pos] == '_';
        p.fill = s[pos] == '*' ? '*' : ' ';
        ++pos;
    }
    p.width = readNumber(s, pos);
    if (p.width <= 0 || p.width > kMaxWidth)
        return {};
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
        const std::size_t next = pos + 1;
        const bool followedByPlaces =
            next < s.size() && (s[next] == '`' || (s[pos] == ',' && s[next] == '.'));
        if (followedByPlaces || atEndOrBlank(s, next)) {
            p.grouping = s[pos];
            ++pos;
        }
    }
    if (pos < s.size() && (s[pos] == '`' || s[pos] == '.')) {
        p.decimalMark = s[pos] == '`' ? ',' : '.';
        ++pos;
        p.places = readNumber(s, pos);
        if (p.places < 0 || p.places > Decimal::kMaxScale)
            return {};
    } else {
        p.decimalMark = p.grouping == ',' ? '.' : ',';
    }
    if (noGrouping)
        p.grouping = 0;
    if (pos < s.size() && upper(s[pos]) == 'B') {
        p.blank = true;
        ++pos;
    }
    if (pos != s.size())
        return {};
    p.kind = Picture::Kind::Number;
    return p;
}

// Dates and times share their shape: [0]format[separator][B].
Picture describeDateOrTime(std::string_view s, Picture::Kind kind)
{
    Picture p;
    std::size_t pos = 0;
    if (pos + 1 < s.size() && s[pos] == '0' && isDigit(s[pos + 1])) {
        p.leadingZero = true;
        ++pos;
    }
    p.format = readNumber(s, pos);
    if (p.format < 0)
        return {};
    const std::string_view separators = kind == Picture::Kind::Date ? "./-_" : ":./-_";
    p.separator = kind == Picture::Kind::Date ? '/' : ':';
    if (pos < s.size() && separators.find(s[pos]) != std::string_view::npos) {
        p.separator = s[pos] == '_' ? ' ' : s[pos];
        ++pos;
    }
    if (pos < s.size() && upper(s[pos]) == 'B') {
        p.blank = true;
        ++pos;
    }
    if (pos != s.size())
        return {};
    p.kind = kind;
    return p;
}

Picture describePattern(std::string_view s)
{
    Picture p;
    if (s.size() >= 2 && upper(s.back()) == 'B' && upper(s[s.size() - 2]) == 'P') {
        p.blank = true;
        s.remove_suffix(2);
    } else if (!s.empty() && upper(s.back()) == 'P') {
        s.remove_suffix(1);
    }
    p.pattern = std::string(s);
    p.kind = Picture::Kind::Pattern;
    return p;
}

// The text of a number under a number picture; nullopt when it is wider than the picture.
std::optional<std::string> numberText(const Picture& p, const Decimal& value)
{
    const Decimal r = value.rounded(p.places);
    if (p.blank && r.isZero())
        return std::string(std::size_t(p.width), ' ');

    std::string plain = r.toString(p.places);
    const bool negative = !plain.empty() && plain[0] == '-';
    if (negative)
        plain.erase(0, 1);
    const std::size_t point = plain.find('.');
    std::string digits = plain.substr(0, point);
    const std::string fraction =
        point == std::string::npos ? std::string() : p.decimalMark + plain.substr(point + 1);
    const std::string sign = negative ? "-" : "";
    const auto width = std::size_t(p.width);

    auto group = [&](const std::string& d) {
        if (!p.grouping)
            return d;
        std::string out;
        for (std::size_t i = 0; i < d.size(); ++i) {
            if (i > 0 && (d.size() - i) % 3 == 0)
                out += p.grouping;
            out += d[i];
        }
        return out;
    };

    if (p.fill == '0') {
        // Zeros are digits, so they are grouped like the others.
        while ((sign + group("0" + digits) + fraction).size() <= width)
            digits.insert(0, 1, '0');
    }
    const std::string body = group(digits) + fraction;
    if (sign.size() + body.size() > width)
        return std::nullopt;
    const std::string pad(width - sign.size() - body.size(), p.fill == '*' ? '*' : ' ');
    return p.fill == '*' ? sign + pad + body : pad + sign + body;
}

std::string twoDigits(int v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

std::string dayOrMonth(int v, bool leadingZero)
{
    return leadingZero ? twoDigits(v) : std::to_string(v);
}

enum class Order { DMY, MDY, YMD };

Order dateOrder(int format)
{
    switch (format) {
    case 1:
    case 2: return Order::MDY;
    case 10:
    case 11:
    case 12: return Order::YMD;
    default: return Order::DMY;
    }
}

bool isDateSeparator(char c)
{
    return c == '.' || c == '/' || c == '-' || c == ' ';
}

} // namespace

Picture describe(std::string_view picture)
{
    std::string_view s = trimmed(picture);
    if (!s.empty() && s.front() == '@')
        s.remove_prefix(1);
    if (s.empty())
        return {};
    const char kind = upper(s.front());
    s.remove_prefix(1);
    switch (kind) {
    case 'N': return describeNumber(s);
    case 'D': return describeDateOrTime(s, Picture::Kind::Date);
    case 'T': return describeDateOrTime(s, Picture::Kind::Time);
    case 'P': return describePattern(s);
    case 'S': {
        Picture p;
        std::size_t pos = 0;
        p.width = readNumber(s, pos);
        if (p.width < 0 || pos != s.size())
            return {};
        p.kind = Picture::Kind::Text;
        return p;
    }
    default: return {};
    }
}

std::string format(std::string_view picture, const Decimal& value)
{
    const Picture p = describe(picture);
    switch (p.kind) {
    case Picture::Kind::Number: {
        auto text = numberText(p, value);
        return text ? *text : std::string(std::size_t(p.width), '#');
    }
    case Picture::Kind::Date: return formatDate(picture, int32_t(value.toInt()));
    case Picture::Kind::Time: return formatTime(picture, int32_t(value.toInt()));
    case Picture::Kind::Pattern: return formatPattern(picture, value.toString(0));
    case Picture::Kind::Text: return formatText(picture, value.toString());
    case Picture::Kind::Invalid: break;
    }
    return value.toString();
}

std::string format(std::string_view picture, int64_t value)
{
    return format(picture, Decimal::fromInt(value));
}

std::string formatDate(std::string_view picture, int32_t dayNumber)
{
    const Picture p = describe(picture);
    if (p.kind != Picture::Kind::Date)
        return date::format(dayNumber);
    if (dayNumber <= 0)
        return {};
    const date::Ymd d = date::toYmd(dayNumber);
    const std::string sep(1, p.separator);
    const std::string day = dayOrMonth(d.day, p.leadingZero);
    const std::string month = dayOrMonth(d.month, p.leadingZero);
    const std::string year = std::to_string(d.year);
    switch (p.format) {
    case 1: return month + sep + day + sep + twoDigits(d.year);
    case 2: return month + sep + day + sep + year;
    case 5: return day + sep + month + sep + twoDigits(d.year);
    case 10: return twoDigits(d.year) + sep + month + sep + day;
    case 11: return twoDigits(d.year) + twoDigits(d.month) + twoDigits(d.day);
    case 12: return year + twoDigits(d.month) + twoDigits(d.day);
    default: return day + sep + month + sep + year;
    }
}

std::string formatTime(std::string_view picture, int32_t hundredths)
{
    Picture p = describe(picture);
    if (p.kind != Picture::Kind::Time) {
        p.kind = Picture::Kind::Time;
        p.format = 1;
        p.leadingZero = true;
        p.separator = ':';
    }
    if (hundredths < 0 || (p.blank && hundredths == 0))
        return {};
    const int seconds = hundredths / 100;
    const int h = seconds / 3600 % 24, m = seconds / 60 % 60, s = seconds % 60;
    const std::string sep(1, p.separator);
    const std::string hour = dayOrMonth(h, p.leadingZero);
    switch (p.format) {
    case 2: return twoDigits(h) + twoDigits(m);
    case 4: return hour + sep + twoDigits(m) + sep + twoDigits(s);
    case 5: return twoDigits(h) + twoDigits(m) + twoDigits(s);
    default: return hour + sep + twoDigits(m);
    }
}

std::string formatText(std::string_view picture, std::string_view text)
{
    const Picture p = describe(picture);
    if (p.kind != Picture::Kind::Text)
        return std::string(text);
    return text::truncate(text, std::size_t(p.width));
}

std::string formatPattern(std::string_view picture, std::string_view digits)
{
    const Picture p = describe(picture);
    if (p.kind != Picture::Kind::Pattern)
        return std::string(digits);
    std::string value;
    for (char c : digits)
        if (isDigit(c))
            value += c;
    if (p.blank && value.find_first_not_of('0') == std::string::npos)
        return {};
    const auto slots = std::size_t(std::count(p.pattern.begin(), p.pattern.end(), '#'));
    if (value.size() > slots)
        return std::string(p.pattern.size(), '#');
    value.insert(0, slots - value.size(), '0');
    std::string out;
    std::size_t next = 0;
    for (char c : p.pattern)
        out += c == '#' ? value[next++] : c;
    return out;
}

std::optional<Decimal> parseNumber(std::string_view picture, std::string_view text)
{
    const Picture p = describe(picture);
    if (p.kind != Picture::Kind::Number)
        return Decimal::parse(text);
    std::string_view s = trimmed(text);
    auto skipStars = [&] {
        while (!s.empty() && s.front() == '*')
            s.remove_prefix(1);
    };
    skipStars();
    if (s.empty())
        return Decimal::fromRaw(0, p.places);

    // Rewritten as plain "-1234.5" for Decimal::parse, after checking the picture's own marks.
    std::string plain;
    if (s.front() == '-' || s.front() == '+') {
        if (s.front() == '-')
            plain = "-";
        s.remove_prefix(1);
        skipStars();
    }
    const std::size_t mark = s.find(p.decimalMark);
    const std::string_view whole = s.substr(0, mark);
    int groupLen = 0;
    bool grouped = false;
    for (char c : whole) {
        if (isDigit(c)) {
            plain += c;
            ++groupLen;
        } else if (p.grouping && c == p.grouping) {
            // Groups are checked so that "1.5" under a comma picture is refused, not read as 15.
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
    if (mark != std::string_view::npos) {
        const std::string_view fraction = s.substr(mark + 1);
        if (!std::all_of(fraction.begin(), fraction.end(), isDigit))
            return std::nullopt;
        plain += '.';
        plain += fraction;
    }
    const auto value = Decimal::parse(plain);
    if (!value)
        return std::nullopt;
    const Decimal result = value->rounded(p.places);
    if (!numberText(p, result))
        return std::nullopt;
    return result;
}

std::optional<int32_t> parseDate(std::string_view picture, std::string_view text)
{
    const Picture p = describe(picture);
    const Order order = p.kind == Picture::Kind::Date ? dateOrder(p.format) : Order::DMY;
    const std::string_view s = trimmed(text);
    if (s.empty())
        return date::kNone;

    std::string_view parts[3];
    if (std::all_of(s.begin(), s.end(), isDigit)) {
        if (s.size() != 6 && s.size() != 8)
            return std::nullopt;
        const std::size_t yearLen = s.size() - 4;
        if (order == Order::YMD) {
            parts[0] = s.substr(0, yearLen);
            parts[1] = s.substr(yearLen, 2);
            parts[2] = s.substr(yearLen + 2);
        } else {
            parts[0] = s.substr(0, 2);
            parts[1] = s.substr(2, 2);
            parts[2] = s.substr(4);
        }
    } else {
        std::size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            std::size_t end = start;
            while (end < s.size() && isDigit(s[end]))
                ++end;
            parts[i] = s.substr(start, end - start);
            if (parts[i].empty())
                return std::nullopt;
            const bool last = i == 2;
            if (last ? end != s.size() : (end == s.size() || !isDateSeparator(s[end])))
                return std::nullopt;
            start = end + 1;
        }
    }
    std::string_view day = parts[0], month = parts[1], year = parts[2];
    if (order == Order::MDY)
        std::swap(day, month);
    else if (order == Order::YMD)
        std::swap(day, year);
    // date::parse owns the rules for ranges and two-digit years.
    std::string dmy;
    dmy.append(day).append(".").append(month).append(".").append(year);
    return date::parse(dmy);
}

std::optional<int32_t> parseTime(std::string_view /*picture*/, std::string_view text)
{
    const std::string_view s = trimmed(text);
    if (s.empty())
        return 0;
    int fields[3] = {0, 0, 0};
    if (std::all_of(s.begin(), s.end(), isDigit)) {
        if (s.size() > 6)
            return std::nullopt;
        // The hour takes what the minutes and seconds leave: "830" is 8:30.
        const std::size_t hourLen =
            s.size() <= 2 ? s.size() : (s.size() <= 4 ? s.size() - 2 : s.size() - 4);
        std::size_t pos = 0;
        for (int i = 0; pos < s.size(); ++i) {
            const std::size_t len = i == 0 ? hourLen : 2;
            for (char c : s.substr(pos, len))
                fields[i] = fields[i] * 10 + (c - '0');
            pos += len;
        }
    } else {
        std::size_t start = 0;
        int count = 0;
        while (true) {
            std::size_t end = start;
            while (end < s.size() && isDigit(s[end]))
                ++end;
            if (end == start || end - start > 2 || count == 3)
                return std::nullopt;
            for (char c : s.substr(start, end - start))
                fields[count] = fields[count] * 10 + (c - '0');
            ++count;
            if (end == s.size())
                break;
            if (std::string_view(":.- ").find(s[end]) == std::string_view::npos)
                return std::nullopt;
            start = end + 1;
        }
        if (count < 2)
            return std::nullopt;
    }
    if (fields[0] > 23 || fields[1] > 59 || fields[2] > 59)
        return std::nullopt;
    return ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 100;
}

} // namespace tavlo::picture
