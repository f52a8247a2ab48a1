#include "framework/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tavlo::text {
namespace {

// Decodes one code point at s[i], advancing i. Malformed bytes are taken one by one as
// Latin-1, so that nothing is ever lost or read past the end.
char32_t next(std::string_view s, std::size_t& i)
{
    auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return b0;
    }
    char32_t cp = b0 & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return b0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void append(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t upperOf(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c < 0xE0)
        return c;
    if (c <= 0xFE && c != 0xF7)
        return c - 32;
    switch (c) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    default: return c;
    }
}

// Primary sort weight of an upper-cased character: letters by the Norwegian alphabet, accented
// letters beside their base letter, everything else by code point.
uint32_t weight(char32_t c)
{
    if (c < 0x80)
        return c << 8;
    auto letter = [](char l, int after = 0) { return (static_cast<uint32_t>(l) << 8) + after; };
    switch (c) {
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3: return letter('A', 1);
    case 0xC7: return letter('C', 1);
    case 0xD0: return letter('D', 1);
    case 0xC8:
    case 0xC9:
    case 0xCA:
    case 0xCB: return letter('E', 1);
    case 0xCC:
    case 0xCD:
    case 0xCE:
    case 0xCF: return letter('I', 1);
    case 0xD1: return letter('N', 1);
    case 0xD2:
    case 0xD3:
    case 0xD4:
    case 0xD5:
    case 0x152: return letter('O', 1);
    case 0x160:
    case 0xDF: return letter('S', 1);
    case 0xD9:
    case 0xDA:
    case 0xDB: return letter('U', 1);
    case 0xDC:
    case 0xDD:
    case 0x178: return letter('Y', 1);
    case 0x17D: return letter('Z', 1);
    case 0xC6:
    case 0xC4: return letter('Z', 2); // Æ, Ä
    case 0xD8:
    case 0xD6: return letter('Z', 3); // Ø, Ö
    case 0xC5: return letter('Z', 4); // Å
    case 0xDE: return letter('Z', 5); // Þ
    default: return 0x1000000u + c;
    }
}

constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::string upper(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'a' && b <= 'z' ? b - 32 : b);
            ++i;
            continue;
        }
        append(out, upperOf(next(s, i)));
    }
    return out;
}

int collate(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    int secondary = 0;
    while (i < a.size() && j < b.size()) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (ca >= 'a' && ca <= 'z')
                ca -= 32;
            if (cb >= 'a' && cb <= 'z')
                cb -= 32;
            if (ca != cb)
                return ca < cb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        char32_t ua = upperOf(next(a, i));
        char32_t ub = upperOf(next(b, j));
        uint32_t wa = weight(ua), wb = weight(ub);
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (secondary == 0 && ua != ub)
            secondary = ua < ub ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return secondary;
}

long long instring(std::string_view sub, std::string_view s, long long step, long long start)
{
    if (sub.empty() || step < 1 || start < 1)
        return 0;
    std::size_t off = 0;
    long long pos = 1;
    for (; pos < start && off < s.size(); ++pos)
        next(s, off);
    if (pos < start)
        return 0;
    if (step == 1) {
        // Every occurrence of a whole character sequence starts on a character boundary.
        std::size_t found = s.find(sub, off);
        return found == std::string_view::npos
                   ? 0
                   : start + static_cast<long long>(length(s.substr(off, found - off)));
    }
    while (off < s.size()) {
        if (s.compare(off, sub.size(), sub) == 0)
            return pos;
        for (long long k = 0; k < step && off < s.size(); ++k) {
            next(s, off);
            ++pos;
        }
    }
    return 0;
}

std::size_t length(std::string_view s)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n)
        next(s, i);
    return n;
}

std::string truncate(std::string_view s, std::size_t maxChars)
{
    std::size_t i = 0, n = 0;
    while (i < s.size() && n < maxChars) {
        next(s, i);
        ++n;
    }
    return std::string(s.substr(0, i));
}

std::string_view rtrim(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string_view trim(std::string_view s)
{
    s = rtrim(s);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

namespace {

// The characters of a UTF-8 text, each as its bytes.
std::vector<std::string_view> characters(std::string_view s)
{
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t from = i;
        next(s, i);
        out.push_back(s.substr(from, i - from));
    }
    return out;
}

} // namespace

std::string element(std::string_view s, int index, std::string_view separators)
{
    constexpr std::size_t kMaxChars = 255;
    if (index < 1)
        return {};
    // Blanks only: a tab may be the separator.
    const std::size_t first = s.find_first_not_of(' ');
    s = first == std::string_view::npos ? std::string_view()
                                        : s.substr(first, s.find_last_not_of(' ') - first + 1);
    const std::string work = truncate(s, kMaxChars);
    const auto seps = characters(separators);
    int at = 1;
    std::string out;
    for (std::string_view ch : characters(work)) {
        if (std::find(seps.begin(), seps.end(), ch) != seps.end()) {
            if (at == index)
                return out;
            ++at;
        } else if (at == index) {
            out += ch;
        }
    }
    return at == index ? out : std::string();
}

std::string toCp1252(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        char32_t c = next(s, i);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        char mapped = '?';
        for (std::size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == c)
                mapped = static_cast<char>(0x80 + k);
        out += mapped;
    }
    return out;
}

std::string fromCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) {
        if (b < 0x80)
            out += static_cast<char>(b);
        else if (b < 0xA0)
            append(out, kCp1252High[b - 0x80]);
        else
            append(out, b);
    }
    return out;
}

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        auto b0 = static_cast<unsigned char>(s[i]);
        int extra = b0 < 0x80    ? 0
                    : b0 >= 0xF8 ? -1
                    : b0 >= 0xF0 ? 3
                    : b0 >= 0xE0 ? 2
                    : b0 >= 0xC2 ? 1
                                 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0))
            return false;
        for (int k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

} // namespace tavlo::text
