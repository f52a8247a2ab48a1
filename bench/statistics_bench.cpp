#include "bench/statistics_bench.h"

#include <array>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "bench/common.h"
#include "data/store.h"
#include "framework/date.h"
#include "invoices/fakturastatistikk.h"

namespace tavlo::bench {

namespace {

constexpr int kYear = 2024;
constexpr int kInvoices = 100000; // in the year measured
constexpr int kAround = 20000;    // in each of the years before and after
constexpr int kLines = 5;
constexpr int kProducts = 50;
constexpr int kRuns = 7;

// Invoices numbered in date order over three years, five lines each, one in twenty a credit
// note; written straight to the files in one transaction each, as only the reading is measured.
void store(Hold& h)
{
    std::mt19937 rng(2024);
    FileManager& pro = h.ctx.access(Tbl::PRODUKT);
    for (int p = 1; p < kProducts; ++p) { // numbered 1 on; 0 is the lines without product
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, "Produkt " + std::to_string(p));
        if (pro.INSERT() != LEVEL_BENIGN)
            die("the product is not stored");
    }
    TableFile* fak = h.ctx.access(Tbl::FAKTURA).file();
    TableFile* fli = h.ctx.access(Tbl::FAKLINJE).file();
    StoreError err;
    if (!fak->begin(err) || !fli->begin(err))
        die("begin: " + err.text);
    Record f(table(Tbl::FAKTURA)), l(table(Tbl::FAKLINJE));
    RowRef ref;
    const int32_t first = date::fromYmd(kYear - 1, 1, 1);
    const int total = kInvoices + 2 * kAround;
    int32_t lineId = 0;
    for (int i = 0; i < total; ++i) {
        // Evenly over each year: the year before, the year, the year after.
        int32_t day;
        if (i < kAround)
            day = first + static_cast<int32_t>(365LL * i / kAround);
        else if (i < kAround + kInvoices)
            day = date::fromYmd(kYear, 1, 1) +
                  static_cast<int32_t>(366LL * (i - kAround) / kInvoices);
        else
            day = date::fromYmd(kYear + 1, 1, 1) +
                  static_cast<int32_t>(365LL * (i - kAround - kInvoices) / kAround);
        const bool credit = rng() % 20 == 0;
        int64_t sum = 0;
        for (int n = 1; n <= kLines; ++n) {
            const int64_t antall = 100 * (1 + rng() % 9), pris = 1000 + rng() % 90000;
            l.clear();
            l.set(FLI::FAKLINJEID, ++lineId);
            l.set(FLI::FAKTURAID, i + 1);
            l.set(FLI::LINJENR, n);
            l.set(FLI::PRODUKTID, static_cast<int32_t>(rng() % kProducts));
            l.set(FLI::PRODUKTNAVN, "Linje " + std::to_string(n));
            l.set(FLI::ANTALL, Decimal::fromCents(antall));
            l.set(FLI::ENHETSPRIS, Decimal::fromCents(pris));
            l.set(FLI::SUM, Decimal::fromCents(antall * pris / 100));
            l.set(FLI::MVASATS, 25);
            l.set(FLI::MVAPLIKTIG, 1);
            sum += antall * pris / 100;
            if (!fli->insert(l, ref, err))
                die("line: " + err.text);
        }
        f.clear();
        f.set(FAK::FAKTURAID, i + 1);
        f.set(FAK::FAKTURADATO, day);
        f.set(FAK::KUNDENAVN, "Benk AS");
        f.set(FAK::MVATYPE, 1);
        f.set(FAK::KREDITNOTA, credit ? 1 : 0);
        f.set(FAK::SUM, Decimal::fromCents(credit ? -sum : sum));
        f.set(FAK::TOTALSUM, Decimal::fromCents((credit ? -sum : sum) * 125 / 100));
        if (!fak->insert(f, ref, err))
            die("invoice: " + err.text);
    }
    if (!fli->commit(err) || !fak->commit(err))
        die("commit: " + err.text);
}

// What a careful programmer would write by hand: the year's invoices on the date index and
// their lines joined on the line index, summed as they come, and the products' names.
struct PlainSums {
    std::array<int64_t, kMaaneder> total{};
    std::array<int, kMaaneder> count{};
    std::map<int32_t, std::array<int64_t, 2 * kMaaneder>> products; // quantities, amounts
    std::map<int32_t, std::string> names;
};

PlainSums plainYear(Plain& base)
{
    const int64_t from = date::fromYmd(kYear, 1, 1), to = date::fromYmd(kYear, 12, 31);
    PlainSums out;
    sqlite3_stmt* heads =
        base.stmt("SELECT FAKTURADATO, TOTALSUM FROM FAKTURA WHERE FAKTURADATO BETWEEN ?1 AND ?2");
    sqlite3_bind_int64(heads, 1, from);
    sqlite3_bind_int64(heads, 2, to);
    while (sqlite3_step(heads) == SQLITE_ROW) {
        const int m = date::toYmd(static_cast<int32_t>(sqlite3_column_int64(heads, 0))).month - 1;
        out.total[m] += sqlite3_column_int64(heads, 1);
        ++out.count[m];
    }
    sqlite3_reset(heads);
    sqlite3_stmt* lines = base.stmt(
        "SELECT f.FAKTURADATO, f.KREDITNOTA, l.PRODUKTID, l.ANTALL, l.SUM FROM FAKTURA f "
        "JOIN li.FAKLINJE l ON l.FAKTURAID = f.FAKTURAID WHERE f.FAKTURADATO BETWEEN ?1 AND ?2");
    sqlite3_bind_int64(lines, 1, from);
    sqlite3_bind_int64(lines, 2, to);
    while (sqlite3_step(lines) == SQLITE_ROW) {
        const int m = date::toYmd(static_cast<int32_t>(sqlite3_column_int64(lines, 0))).month - 1;
        auto& p = out.products[static_cast<int32_t>(sqlite3_column_int64(lines, 2))];
        p[m] += sqlite3_column_int64(lines, 3);
        const int64_t sum = sqlite3_column_int64(lines, 4);
        p[kMaaneder + m] += sqlite3_column_int64(lines, 1) ? -sum : sum;
    }
    sqlite3_reset(lines);
    sqlite3_stmt* name = base.stmt("SELECT NAVN FROM pr.PRODUKT WHERE PRODUKTID = ?1");
    for (const auto& [id, sums] : out.products) {
        sqlite3_bind_int64(name, 1, id);
        if (sqlite3_step(name) == SQLITE_ROW)
            out.names[id] = reinterpret_cast<const char*>(sqlite3_column_text(name, 0));
        sqlite3_reset(name);
    }
    return out;
}

bool same(const Aarsstatistikk& s, const PlainSums& p)
{
    if (s.produkter.size() != p.products.size())
        return false;
    for (int m = 0; m < kMaaneder; ++m)
        if (s.maanedTotal[m].toCents() != p.total[m] || s.antallFakturaer[m] != p.count[m])
            return false;
    for (const ProduktRad& r : s.produkter) {
        auto it = p.products.find(r.produktId);
        if (it == p.products.end())
            return false;
        for (int m = 0; m < kMaaneder; ++m)
            if (r.antall[m].toCents() != it->second[m] ||
                r.belop[m].toCents() != it->second[kMaaneder + m])
                return false;
    }
    return true;
}

} // namespace

void benchStatistics(const std::string& dir)
{
    Hold h(dir + "/statistics", {Tbl::FAKTURA, Tbl::FAKLINJE, Tbl::PRODUKT});
    const auto t0 = Clock::now();
    store(h);
    std::printf("# statistics_year: %d invoices of %d lines in %d and %d in each year around "
                "it stored in %.1f s\n",
                kInvoices, kLines, kYear, kAround, msSince(t0) / 1000);
    const std::string fakPath = h.ctx.access(Tbl::FAKTURA).filePath();
    const std::string fliPath = h.ctx.access(Tbl::FAKLINJE).filePath();
    const std::string proPath = h.ctx.access(Tbl::PRODUKT).filePath();

    std::vector<double> wallOurs, cpuOurs, wallBase;
    Aarsstatistikk s;
    PlainSums p;
    for (int run = 0; run < kRuns; ++run) {
        {
            // As the window computes it: its own context, the files opened for the run.
            auto t = Clock::now();
            const double c0 = threadCpuMs();
            Context ctx;
            ProcedureScope scope(ctx, "FAKTURASTATISTIKK");
            if (statistikkForAar(ctx, kYear, s) != LEVEL_BENIGN)
                die("statistics_year: the invoices are not read");
            cpuOurs.push_back(threadCpuMs() - c0);
            wallOurs.push_back(msSince(t));
        }
        auto t = Clock::now();
        Plain base(fakPath);
        registerCollation(base.db());
        base.attach(fliPath, "li");
        base.attach(proPath, "pr");
        p = plainYear(base);
        wallBase.push_back(msSince(t));
    }
    if (!same(s, p))
        die("statistics_year: the two sides' sums differ");
    int count = 0;
    for (int n : s.antallFakturaer)
        count += n;
    report("statistics_year", median(wallOurs), median(wallBase));
    std::printf("# statistics_year median of %d; processor time median ms %.2f; %d invoices, "
                "%zu products, year total %s, same sums on both sides; target under 1000 ms\n",
                kRuns, median(cpuOurs), count, s.produkter.size(), s.totalt.toString(2).c_str());
    // Once more in the context holding the files, to see the plans of its walks.
    if (statistikkForAar(h.ctx, kYear, s) != LEVEL_BENIGN)
        die("statistics_year: the invoices are not read");
    std::printf("# statistics_year plans: invoices %s; lines %s\n",
                h.ctx.access(Tbl::FAKTURA).file()->queryPlan("BETWEEN").c_str(),
                h.ctx.access(Tbl::FAKLINJE).file()->queryPlan("BETWEEN").c_str());
}

} // namespace tavlo::bench
