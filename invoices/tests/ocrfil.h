#pragma once
// OCR giro files made by tests: one assignment of payments, with the counts and totals right
// unless a test spoils them.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::testing {

// A record: the text given, filled out to 80 characters with zeros.
inline std::string ocrPost(std::string s)
{
    s.resize(80, '0');
    return s;
}

inline std::string ocrTall(int64_t n, int bredde)
{
    std::string s = std::to_string(n);
    return std::string(bredde > static_cast<int>(s.size()) ? bredde - s.size() : 0, '0') + s;
}

// One payment of a file.
struct OcrBet {
    int64_t ore;
    std::string kid;
    int type = 10;
    std::string dato = "200192";
    char fortegn = '0';
};

// The records of a whole file with one assignment for `konto`; its totals are the amounts as
// written.
inline std::vector<std::string> ocrPoster(const std::vector<OcrBet>& bet,
                                          const std::string& konto = "99991042764", int oppdrag = 2)
{
    std::vector<std::string> p{ocrPost("NY00001000008080017003100010200")};
    p.push_back(ocrPost("NY090020001008566" + ocrTall(oppdrag, 7) + konto));
    int64_t totalt = 0;
    int tx = 0;
    for (const OcrBet& b : bet) {
        ++tx;
        const std::string t = ocrTall(b.type, 2);
        std::string kid(25 - std::min<std::size_t>(25, b.kid.size()), ' ');
        kid += b.kid;
        p.push_back(ocrPost("NY09" + t + "30" + ocrTall(tx, 7) + b.dato + "13201" + ocrTall(tx, 5) +
                            b.fortegn + ocrTall(b.ore, 17) + kid));
        p.push_back(ocrPost("NY09" + t + "31" + ocrTall(tx, 7) +
                            "96368271940990385620000000160192999905123410"));
        totalt += b.ore;
    }
    const int n = static_cast<int>(bet.size());
    p.push_back(ocrPost("NY090088" + ocrTall(n, 8) + ocrTall(2 * n + 2, 8) + ocrTall(totalt, 17) +
                        "200192200192200192"));
    p.push_back(ocrPost("NY000089" + ocrTall(n, 8) + ocrTall(2 * n + 4, 8) + ocrTall(totalt, 17) +
                        "200192"));
    return p;
}

inline std::string ocrFil(const std::vector<std::string>& p)
{
    std::string s;
    for (const auto& l : p)
        s += l + "\n";
    return s;
}

} // namespace tavlo::testing
