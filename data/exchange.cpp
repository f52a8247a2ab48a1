#include "data/exchange.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <vector>

#include "data/context.h"
#include "data/record.h"
#include "framework/date.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {
namespace {

// Exchange files are written with Windows line ends: they travel to and from the earlier version.
constexpr const char* kLineEnd = "\r\n";

std::string padded(std::string s, std::size_t width)
{
    s.resize(width, ' ');
    return s;
}

void dropTrailingBlanks(std::string& s)
{
    s.erase(text::rtrim(s).size());
}

// A whole number in a column: blank is 0, otherwise an optional minus and digits.
std::optional<int64_t> wholeNumber(std::string_view column)
{
    std::string_view v = text::trim(column);
    if (v.empty())
        return 0;
    int64_t n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || end != v.data() + v.size())
        return std::nullopt;
    return n;
}

} // namespace

std::string fileErrorText(int errnum)
{
    switch (errnum) {
    case ENOENT: return "Filen finnes ikke";
    case ENOTDIR: return "Mappen finnes ikke";
    case EACCES:
    case EPERM: return "Ingen tilgang";
    case EISDIR: return "Navnet er en mappe";
    case EROFS: return "Filsystemet er skrivebeskyttet";
    case ENOSPC:
    case EDQUOT: return "Disken er full";
    }
    return std::string("Feil i filsystemet: ") + std::strerror(errnum);
}

void sayFileError(Context& ctx, const std::string& file)
{
    say(ctx, fileErrorText(errno) + ": " + file, "Feil", Icon::Hand);
}

LineReader::LineReader(const std::string& fileName)
{
    std::error_code ec;
    // A folder opens as a stream on this system and then reads nothing: say what it is.
    if (std::filesystem::is_directory(fileName, ec)) {
        errno = EISDIR;
        return;
    }
    errno = 0;
    in_.open(fileName, std::ios::binary);
}

bool LineReader::next(std::string& line)
{
    if (!in_.is_open() || !std::getline(in_, line))
        return false;
    read_ += line.size() + (in_.eof() ? 0 : 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

int LAGHEADER(Context& ctx, const std::string& fileName, const std::string& program,
              const std::string& headerId, const std::string& version, int32_t date, bool create)
{
    errno = 0;
    std::ofstream out(fileName, std::ios::binary | (create ? std::ios::trunc : std::ios::app));
    if (!out) {
        if (create)
            say(ctx, "Det oppsto feil under opprettelse av " + fileName, "Feil", Icon::Hand);
        else
            sayFileError(ctx, fileName);
        return 0;
    }
    std::string line = padded(text::toCp1252(program), 20) + padded(text::toCp1252(headerId), 20) +
                       padded(text::toCp1252(version), 20) + padded(std::to_string(date), 10);
    line.resize(70);
    dropTrailingBlanks(line);
    out << line << kLineEnd;
    out.flush();
    if (!out) {
        sayFileError(ctx, fileName);
        return 0;
    }
    return 1;
}

int HENTHEADER(Context& ctx, const std::string& fileName, std::string& program,
               std::string& version, std::string& headerId, int32_t& date, bool ask)
{
    LineReader in(fileName);
    if (!in.isOpen()) {
        sayFileError(ctx, fileName);
        return 0;
    }
    std::string line;
    if (!in.next(line)) {
        if (in.failed())
            sayFileError(ctx, fileName);
        return 0;
    }
    line = padded(line, 70);
    auto field = [&](std::size_t at, std::size_t width) {
        return text::fromCp1252(text::rtrim(std::string_view(line).substr(at, width)));
    };
    program = field(0, 20);
    headerId = field(20, 20);
    version = field(40, 20);
    auto serial = wholeNumber(std::string_view(line).substr(60, 10));
    date =
        serial && *serial >= INT32_MIN && *serial <= INT32_MAX ? static_cast<int32_t>(*serial) : 0;
    if (ask && say(ctx,
                   "Program: " + program + "|HeaderId: " + headerId + "|Versjon: " + version +
                       "|Eksportdato: " + date::format(date) + "||Vil du fortsette?",
                   "Fil info", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES) != BUTTON_YES)
        return 0;
    return 1;
}

namespace codeline {
namespace {

enum class Kind { Number, Digit, Decimal, Text };

struct Column {
    int field;
    std::size_t at, width;
    Kind kind;
};

// The columns of a code line; KOD:DIV's 1000 characters at 472 are never filled.
const std::vector<Column>& columns()
{
    static const std::vector<Column> all = [] {
        std::vector<Column> c{
            {KOD::GRUPPE.no, 0, 5, Kind::Number}, {KOD::NR.no, 5, 5, Kind::Number},
            {KOD::STDNR.no, 10, 5, Kind::Number}, {KOD::TEKST.no, 15, 50, Kind::Text},
            {KOD::FAST.no, 65, 1, Kind::Digit},   {KOD::IKKEIBRUK.no, 66, 1, Kind::Digit}};
        for (int i = 0; i < 10; ++i)
            c.push_back({KOD::BYTE1.no + i, 67u + i, 1, Kind::Digit});
        for (int i = 0; i < 10; ++i)
            c.push_back({KOD::LONG1.no + i, 77u + 10u * i, 10, Kind::Number});
        for (int i = 0; i < 3; ++i)
            c.push_back({KOD::DECIMAL1.no + i, 177u + 15u * i, 15, Kind::Decimal});
        for (int i = 0; i < 5; ++i)
            c.push_back({KOD::CSTRING1.no + i, 222u + 50u * i, 50, Kind::Text});
        return c;
    }();
    return all;
}

const std::string& nameOf(const Record& kod, int field)
{
    return kod.decl().fields[field].name;
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

// Two decimals, thousands points, decimal comma, right-aligned in 14 and a blank after. Only a
// negative value of nine whole digits is wider: it takes the blank too, staying in its column.
std::string decimalText(const Decimal& v)
{
    std::string s = picture::format("@n-14.`2", v) + " ";
    if (s.find('#') != std::string::npos)
        s = picture::format("@n-15.`2", v);
    return s;
}

} // namespace

std::optional<std::string> format(const Record& kod, std::string* problem)
{
    std::string line(472, ' ');
    for (const Column& c : columns()) {
        std::string s;
        switch (c.kind) {
        case Kind::Number:
        case Kind::Digit: {
            int64_t v = kod.num(c.field);
            s = std::to_string(v);
            if (s.size() > c.width || (c.kind == Kind::Digit && v < 0)) {
                if (problem)
                    *problem = nameOf(kod, c.field) + " = " + s + " får ikke plass i " +
                               std::to_string(c.width) + (c.width == 1 ? " siffer" : " tegn");
                return std::nullopt;
            }
            s.insert(0, c.width - s.size(), ' ');
            break;
        }
        case Kind::Decimal: s = decimalText(Decimal::fromCents(kod.num(c.field))); break;
        case Kind::Text:
            s = text::toCp1252(kod.str(c.field));
            for (char& ch : s)
                if (isControl(static_cast<unsigned char>(ch)))
                    ch = ' ';
            s = padded(s, c.width);
            break;
        }
        line.replace(c.at, c.width, s);
    }
    dropTrailingBlanks(line);
    return line;
}

bool key(std::string_view line, int32_t& group, int32_t& number)
{
    auto column = [&](std::size_t at) {
        return at < line.size() ? line.substr(at, 5) : std::string_view();
    };
    auto g = wholeNumber(column(0));
    auto n = wholeNumber(column(5));
    if (!g || !n)
        return false;
    // Five characters hold no number outside int32.
    group = static_cast<int32_t>(*g);
    number = static_cast<int32_t>(*n);
    return true;
}

bool parse(std::string_view line, Record& kod, std::string* problem)
{
    kod.clear();
    auto damaged = [&](std::string why) {
        kod.clear();
        if (problem)
            *problem = std::move(why);
        return false;
    };
    if (line.size() > kWidth)
        return damaged("linjen er lengre enn " + std::to_string(kWidth) + " tegn");
    for (std::size_t i = 0; i < line.size(); ++i)
        if (isControl(static_cast<unsigned char>(line[i])))
            return damaged("kontrolltegn i posisjon " + std::to_string(i + 1));
    const std::string full = padded(std::string(line), kWidth);
    for (const Column& c : columns()) {
        std::string_view v = std::string_view(full).substr(c.at, c.width);
        auto refuse = [&] {
            return damaged(nameOf(kod, c.field) + " kan ikke leses: «" +
                           text::fromCp1252(text::trim(v)) + "»");
        };
        switch (c.kind) {
        case Kind::Number: {
            auto n = wholeNumber(v);
            if (!n || *n < INT32_MIN || *n > INT32_MAX)
                return refuse();
            kod.setNum(c.field, *n);
            break;
        }
        case Kind::Digit:
            if (v[0] != ' ' && (v[0] < '0' || v[0] > '9'))
                return refuse();
            kod.setNum(c.field, v[0] == ' ' ? 0 : v[0] - '0');
            break;
        case Kind::Decimal: {
            auto d = picture::parseNumber("@n-15.`2", v);
            if (!d ||
                !kod.set(DecField{static_cast<uint16_t>(c.field), kod.decl().fields[c.field].size},
                         *d))
                return refuse();
            break;
        }
        case Kind::Text: kod.setStr(c.field, text::fromCp1252(text::rtrim(v))); break;
        }
    }
    return true;
}

} // namespace codeline

} // namespace tavlo
