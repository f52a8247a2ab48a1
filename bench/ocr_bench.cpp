#include "bench/ocr_bench.h"

#include <cstdio>
#include <fstream>
#include <vector>

#include "bench/common.h"
#include "framework/filemanager.h"
#include "invoices/giro.h"
#include "invoices/ocrgiro.h"

namespace tavlo::bench {

namespace {

constexpr double kLimitMs = 5000; // the figure the run is held to

std::string tall(int64_t n, int bredde)
{
    std::string s = std::to_string(n);
    return std::string(bredde > static_cast<int>(s.size()) ? bredde - s.size() : 0, '0') + s;
}

std::string post(std::string s)
{
    s.resize(80, '0');
    return s + "\r\n";
}

// A file of n payments, one for each invoice 1..n: most pay in full, every seventh pays half,
// every eleventh too much, and every tenth has a KID that is none of ours.
void skrivFil(const std::string& navn, int n)
{
    std::ofstream ut(navn, std::ios::binary);
    ut << post("NY00001000008080017003100010200")
       << post("NY0900200010085660000002" + std::string("99991042764"));
    int64_t totalt = 0;
    for (int i = 1; i <= n; ++i) {
        int64_t ore = 187500;
        if (i % 7 == 0)
            ore /= 2;
        else if (i % 11 == 0)
            ore += 10000;
        std::string kid = i % 10 == 0 ? "0000531" : tavlo::kid(i, true);
        kid.insert(0, 25 - kid.size(), ' ');
        ut << post("NY091030" + tall(i, 7) + "201226" + "13201" + tall(i % 100000, 5) + "0" +
                   tall(ore, 17) + kid)
           << post("NY091031" + tall(i, 7) + "96368271940990385620000000191226999905123410");
        totalt += ore;
    }
    ut << post("NY090088" + tall(n, 8) + tall(2 * n + 2, 8) + tall(totalt, 17) +
               "201226201226201226")
       << post("NY000089" + tall(n, 8) + tall(2 * n + 4, 8) + tall(totalt, 17) + "201226");
}

} // namespace

void benchOcr(const std::string& dir, int n)
{
    Hold h(dir + "/ocr", {Tbl::FAKTURA});
    std::vector<Record> fakturaer;
    for (int i = 1; i <= n; ++i) {
        Record f(table(Tbl::FAKTURA));
        f.set(FAK::FAKTURAID, i);
        f.set(FAK::KUNDEID, i);
        f.set(FAK::KUNDENAVN, "Kunde " + std::to_string(i));
        f.set(FAK::FAKTURADATO, 82500);
        f.set(FAK::FORFALLSDATO, 82514);
        f.set(FAK::TOTALSUM, Decimal::fromCents(187500));
        fakturaer.push_back(std::move(f));
    }
    h.storeAll(Tbl::FAKTURA, fakturaer);
    const std::string fil = dir + "/ocr/OCR.TXT";
    skrivFil(fil, n);

    OcrInnlesing o(h.ctx);
    o.filnavn = fil;
    const auto t0 = Clock::now();
    if (o.lesInn() != OcrInnlesing::Utfall::Lest || o.resultat().lest != n)
        die("ocr: the file was not read");
    const double ms = msSince(t0);
    const OcrResultat r = o.resultat();

    // Read again: every payment is found read.
    const auto t1 = Clock::now();
    if (o.lesInn() != OcrInnlesing::Utfall::Lest || o.resultat().alleredeLest != n)
        die("ocr: the second read booked something");
    const double igjen = msSince(t1);
    report("ocr_10000", ms, kLimitMs);
    std::printf("# ocr_10000: %d payments on %d invoices: %ld paid, %ld partly, %ld overpaid, %ld "
                "unknown KIDs; the same file again %.0f ms; baseline = the limit\n",
                n, n, r.betalt, r.delvis, r.overbetalt, r.ukjentKid, igjen);
}

} // namespace tavlo::bench
