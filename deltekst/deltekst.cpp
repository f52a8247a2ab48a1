#include "deltekst/deltekst.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <fstream>
#include <iterator>

#include "framework/date.h"
#include "framework/text.h"

namespace tavlo::deltekst {
namespace {

constexpr char kCtrlZ = '\x1A';
constexpr long kLargestBuffers = 8388608;

bool startsWith(std::string_view s, std::size_t at, std::string_view what)
{
    return !what.empty() && s.compare(at, what.size(), what) == 0;
}

std::string upperAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::optional<bool> onOff(std::string_view v)
{
    const std::string u = upperAscii(v);
    if (u == "ON")
        return true;
    if (u == "OFF")
        return false;
    return std::nullopt;
}

std::optional<long> wholeNumber(std::string_view v, long low, long high)
{
    v = text::trim(v);
    long n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size() || n < low || n > high)
        return std::nullopt;
    return n;
}

// "n,c1,…,cn": n character codes.
std::optional<std::string> codes(std::string_view v)
{
    std::vector<long> parts;
    while (true) {
        const std::size_t comma = v.find(',');
        auto n = wholeNumber(v.substr(0, comma), 0, 255);
        if (!n)
            return std::nullopt;
        parts.push_back(*n);
        if (comma == std::string_view::npos)
            break;
        v.remove_prefix(comma + 1);
    }
    if (parts.size() < 2 || parts[0] < 1 || static_cast<std::size_t>(parts[0]) != parts.size() - 1)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == 0)
            return std::nullopt;
        out += static_cast<char>(parts[i]);
    }
    return out;
}

std::string codesText(std::string_view s, bool counted)
{
    std::string out = counted ? std::to_string(s.size()) : "";
    for (unsigned char c : s) {
        if (!out.empty())
            out += ',';
        out += std::to_string(c);
    }
    return out;
}

// Sign, digits and one decimal point or comma; nothing else. Not Decimal::parse, which takes
// "1.234" as thousands: in these files a point is always the decimal point.
std::optional<Decimal> strictDecimal(std::string_view s)
{
    s = text::trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    Decimal::Int m = 0;
    int digits = 0, scale = 0;
    bool point = false;
    for (char c : s) {
        if (c == '.' || c == ',') {
            if (point)
                return std::nullopt;
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 30 || (point && scale == Decimal::kMaxScale))
                return std::nullopt;
            m = m * 10 + (c - '0');
            if (point)
                ++scale;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    return Decimal::fromRaw(negative ? -m : m, scale);
}

std::optional<int64_t> strictInteger(std::string_view s)
{
    s = text::trim(s);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    int64_t n = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return n;
}

bool utf8Beyond7Bits(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return text::isValidUtf8(s);
    return false;
}

} // namespace

std::vector<std::string> Options::apply(std::string_view optionString)
{
    std::vector<std::string> problems;
    std::size_t i = 0;
    while (i < optionString.size()) {
        if (optionString[i] == ' ') {
            ++i;
            continue;
        }
        std::size_t end = optionString.find(' ', i);
        if (end == std::string_view::npos)
            end = optionString.size();
        std::string_view token = optionString.substr(i, end - i);
        i = end;
        if (token.size() < 2 || token.front() != '/') {
            problems.emplace_back("Poorly formed driver string.");
            continue;
        }
        token.remove_prefix(1);
        const std::size_t eq = token.find('=');
        const std::string name = upperAscii(token.substr(0, eq));
        const bool hasValue = eq != std::string_view::npos;
        const std::string_view value = hasValue ? token.substr(eq + 1) : std::string_view();
        auto incorrect = [&] {
            problems.push_back(name + " has an incorrect value of " + std::string(value) +
                               ". Value ignored,");
        };
        bool* flag = name == "ALWAYSQUOTE"          ? &alwaysQuote
                     : name == "CTRLZISEOF"         ? &ctrlZIsEof
                     : name == "ENDOFRECORDINQUOTE" ? &endOfRecordInQuote
                                                    : nullptr;
        const bool known = flag || name == "COMMA" || name == "FIELDDELIMITER" || name == "QUOTE" ||
                           name == "ENDOFRECORD" || name == "QUICKSCAN" || name == "FILEBUFFERS";
        if (!known) {
            problems.push_back(name + " is not a valid switch");
            continue;
        }
        if (!hasValue) {
            problems.push_back(name + " has no value");
            continue;
        }
        if (value.empty()) {
            problems.push_back(name + " has missing value");
            continue;
        }
        if (flag || name == "QUICKSCAN") {
            auto v = onOff(value);
            if (!v)
                incorrect();
            else if (flag)
                *flag = *v;
            else
                quickScan = *v;
        } else if (name == "COMMA" || name == "QUOTE") {
            auto code = wholeNumber(value, 1, 255);
            if (!code)
                incorrect();
            else if (name == "COMMA")
                fieldDelimiter = std::string(1, static_cast<char>(*code));
            else
                quote = static_cast<char>(*code);
        } else if (name == "FIELDDELIMITER" || name == "ENDOFRECORD") {
            auto bytes = codes(value);
            if (!bytes)
                incorrect();
            else
                (name == "FIELDDELIMITER" ? fieldDelimiter : endOfRecord) = *bytes;
        } else { // FILEBUFFERS
            auto n = wholeNumber(value, 1, LONG_MAX);
            if (!n)
                incorrect();
            else
                fileBuffers = std::min(*n, kLargestBuffers);
        }
    }
    return problems;
}

std::string Options::query(std::string_view switchName) const
{
    const std::string name = upperAscii(switchName);
    auto word = [](bool on) { return std::string(on ? "ON" : "OFF"); };
    if (name == "ALWAYSQUOTE")
        return word(alwaysQuote);
    if (name == "CTRLZISEOF")
        return word(ctrlZIsEof);
    if (name == "ENDOFRECORDINQUOTE")
        return word(endOfRecordInQuote);
    if (name == "QUICKSCAN")
        return word(quickScan.value_or(false));
    if (name == "COMMA")
        return codesText(fieldDelimiter.substr(0, 1), false);
    if (name == "FIELDDELIMITER")
        return codesText(fieldDelimiter, true);
    if (name == "QUOTE")
        return codesText(std::string(1, quote), false);
    if (name == "ENDOFRECORD")
        return codesText(endOfRecord, true);
    if (name == "FILEBUFFERS")
        return std::to_string(fileBuffers);
    return {};
}

std::string formatDecimal(const Decimal& v, int places)
{
    return v.rounded(places).toString(places);
}

std::string Writer::field(const std::string& utf8) const
{
    std::string_view s = utf8;
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    const std::string quote(1, options_.quote);
    const bool needsQuotes = options_.alwaysQuote || s.find(quote) != std::string_view::npos ||
                             s.find(options_.fieldDelimiter) != std::string_view::npos ||
                             s.find(options_.endOfRecord) != std::string_view::npos;
    if (!needsQuotes)
        return std::string(s);
    std::string out = quote;
    for (char c : s) {
        out += c;
        if (c == options_.quote)
            out += c;
    }
    return out + quote;
}

std::optional<std::string> Writer::format(const std::vector<Value>& record,
                                          std::string* problem) const
{
    std::string line;
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i > 0)
            line += options_.fieldDelimiter;
        const Value& v = record[i];
        if (const auto* n = std::get_if<int64_t>(&v)) {
            line += std::to_string(*n);
        } else if (const auto* d = std::get_if<Number>(&v)) {
            line += formatDecimal(d->value, d->places);
        } else {
            std::string t = std::get<std::string>(v);
            // Plain ASCII is the same in both character sets: most texts need no conversion.
            const bool ascii = std::all_of(
                t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
            if (options_.charset == Charset::Windows1252 && !ascii) {
                std::string bytes = text::toCp1252(t);
                if (text::fromCp1252(bytes) != t)
                    ++unrepresentable_;
                t = std::move(bytes);
            }
            const char* why = nullptr;
            if (options_.ctrlZIsEof && t.find(kCtrlZ) != std::string::npos)
                why = "inneholder tegnet Ctrl-Z, som avslutter filen";
            else if (!options_.endOfRecordInQuote &&
                     t.find(options_.endOfRecord) != std::string::npos)
                why = "inneholder et linjeskift";
            if (why) {
                if (problem)
                    *problem = "Felt " + std::to_string(i + 1) + " " + why;
                return std::nullopt;
            }
            line += field(t);
        }
    }
    return line + options_.endOfRecord;
}

std::string checkField(const Field& f, std::string_view text)
{
    const std::string quoted = "\"" + std::string(text) + "\"";
    switch (f.type) {
    case Type::Text:
        if (f.width > 0 && text::length(text) > static_cast<std::size_t>(f.width))
            return "Teksten i feltet " + f.name + " er lengre enn " + std::to_string(f.width) +
                   " tegn";
        return {};
    case Type::Integer: {
        if (text::trim(text).empty())
            return {};
        auto n = strictInteger(text);
        if (!n)
            return "Feltet " + f.name + " er ikke et heltall: " + quoted;
        if (*n < INT32_MIN || *n > INT32_MAX)
            return "Feltet " + f.name + " er for stort: " + quoted;
        return {};
    }
    case Type::Date: {
        if (text::trim(text).empty())
            return {};
        auto n = strictInteger(text);
        const int32_t first = date::fromYmd(date::kFirstYear, 1, 1);
        const int32_t last = date::fromYmd(date::kLastYear, 12, 31);
        if (!n || (*n != 0 && (*n < first || *n > last)))
            return "Feltet " + f.name + " er ikke en dato som finnes: " + quoted;
        return {};
    }
    case Type::Decimal: {
        if (text::trim(text).empty())
            return {};
        if (!strictDecimal(text))
            return "Feltet " + f.name + " er ikke et tall: " + quoted;
        if (f.width > 0 && text::trim(text).size() > static_cast<std::size_t>(f.width))
            return "Feltet " + f.name + " har flere enn " + std::to_string(f.width) + " tegn";
        return {};
    }
    }
    return {};
}

Reader::Reader(std::string bytes, Layout layout, Options options)
    : layout_(std::move(layout)), options_(std::move(options))
{
    if (options_.ctrlZIsEof) {
        const std::size_t z = bytes.find(kCtrlZ);
        if (z != std::string::npos)
            bytes.resize(z);
    }
    // The character set is the whole file's: decided once, before anything is cut, so that a
    // UTF-8 file is never taken apart between the bytes of one letter.
    bool utf8 = false;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
        utf8 = text::isValidUtf8(bytes);
    } else if (options_.charset == Charset::Utf8) {
        utf8 = text::isValidUtf8(bytes);
    } else {
        utf8 = utf8Beyond7Bits(bytes);
    }
    charset_ = utf8 ? Charset::Utf8 : Charset::Windows1252;
    text_ = utf8 ? std::move(bytes) : text::fromCp1252(bytes);
    // The delimiters are given as codes of the single-byte set.
    delim_ = text::fromCp1252(options_.fieldDelimiter);
    eor_ = text::fromCp1252(options_.endOfRecord);
    quote_ = text::fromCp1252(std::string(1, options_.quote));
    for (const std::string* m : {&quote_, &eor_})
        if (!m->empty())
            quotedStops_ += m->front();
    for (const std::string* m : {&delim_, &eor_})
        if (!m->empty())
            plainStops_ += m->front();
}

Reader Reader::open(const std::string& path, Layout layout, Options options)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Reader r;
        r.open_ = false;
        r.errno_ = errno != 0 ? errno : ENOENT;
        return r;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        Reader r;
        r.open_ = false;
        r.errno_ = errno != 0 ? errno : EIO;
        return r;
    }
    return Reader(std::move(bytes), std::move(layout), std::move(options));
}

// Cuts the next record into fields. False when the record is damaged: `r.problem` says how,
// and the reader stands after the damaged record.
bool Reader::cut(ReadResult& r)
{
    const std::string_view t = text_;
    auto skipToNextRecord = [&] {
        const std::size_t e = eor_.empty() ? std::string::npos : t.find(eor_, pos_);
        pos_ = e == std::string::npos ? t.size() : e + eor_.size();
        if (e != std::string::npos)
            ++line_;
    };
    for (;;) {
        std::string value;
        if (startsWith(t, pos_, quote_)) {
            pos_ += quote_.size();
            bool closed = false;
            while (pos_ < t.size()) {
                // Up to the next byte that may start a quote or an end of record in one go.
                const std::size_t stop = std::min(t.find_first_of(quotedStops_, pos_), t.size());
                value.append(t.substr(pos_, stop - pos_));
                pos_ = stop;
                if (pos_ >= t.size())
                    break;
                if (startsWith(t, pos_, quote_)) {
                    pos_ += quote_.size();
                    if (startsWith(t, pos_, quote_)) {
                        value += quote_;
                        pos_ += quote_.size();
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (startsWith(t, pos_, eor_)) {
                    if (!options_.endOfRecordInQuote)
                        break;
                    value += eor_;
                    pos_ += eor_.size();
                    ++line_;
                    continue;
                }
                value += t[pos_++];
            }
            if (!closed) {
                r.problem = "Et anførselstegn i felt " + std::to_string(r.fields.size() + 1) +
                            " er ikke avsluttet";
                skipToNextRecord();
                return false;
            }
            while (pos_ < t.size() && t[pos_] == ' ')
                ++pos_;
            if (pos_ < t.size() && !startsWith(t, pos_, delim_) && !startsWith(t, pos_, eor_)) {
                r.problem = "Tegn etter avsluttende anførselstegn i felt " +
                            std::to_string(r.fields.size() + 1);
                skipToNextRecord();
                return false;
            }
        } else {
            while (pos_ < t.size() && !startsWith(t, pos_, delim_) && !startsWith(t, pos_, eor_)) {
                const std::size_t stop = std::min(t.find_first_of(plainStops_, pos_ + 1), t.size());
                value.append(t.substr(pos_, stop - pos_));
                pos_ = stop;
            }
            while (!value.empty() && value.back() == ' ')
                value.pop_back();
        }
        r.fields.push_back(std::move(value));
        if (startsWith(t, pos_, delim_)) {
            pos_ += delim_.size();
            continue;
        }
        if (startsWith(t, pos_, eor_)) {
            pos_ += eor_.size();
            ++line_;
        }
        return true;
    }
}

bool Reader::check(ReadResult& r) const
{
    if (layout_.empty())
        return true;
    if (r.fields.size() != layout_.size()) {
        r.problem = "Linjen har " + std::to_string(r.fields.size()) + " felt, men skal ha " +
                    std::to_string(layout_.size());
        return false;
    }
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        std::string problem = checkField(layout_[i], r.fields[i]);
        if (!problem.empty()) {
            r.problem = std::move(problem);
            return false;
        }
        if (layout_[i].type != Type::Text)
            r.fields[i] = std::string(text::trim(r.fields[i]));
    }
    return true;
}

ReadResult Reader::next()
{
    ReadResult r;
    if (!open_)
        return r;
    // Empty lines hold no record: a file ending in an empty line, or one left between records,
    // reads as if it were not there.
    while (startsWith(text_, pos_, eor_)) {
        pos_ += eor_.size();
        ++line_;
    }
    if (pos_ >= text_.size()) {
        r.line = line_;
        return r;
    }
    r.line = line_;
    if (!cut(r) || !check(r)) {
        r.status = ReadResult::Error;
        r.fields.clear();
        return r;
    }
    r.status = ReadResult::Record;
    return r;
}

int64_t Reader::integer(std::string_view text)
{
    return strictInteger(text).value_or(0);
}

Decimal Reader::decimal(std::string_view text, int places)
{
    return strictDecimal(text).value_or(Decimal()).rounded(places);
}

} // namespace tavlo::deltekst
