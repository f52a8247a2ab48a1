#include "bench/archive_bench.h"

#include <cstdio>
#include <vector>

#include "bench/common.h"
#include "framework/filemanager.h"
#include "invoices/fakturavedlikehold.h"

namespace tavlo::bench {

namespace {

constexpr double kLimitMs = 10000;
constexpr int kLines = 5;

// n invoices of five lines each, memos filled, numbered from 1; two more stay behind as the
// highest numbers.
void makeInvoices(int n, std::vector<Record>& fakturaer, std::vector<Record>& linjer)
{
    const std::vector<Customer> customers = makeCustomers(n, 1977);
    int32_t lineId = 0;
    for (int i = 1; i <= n; ++i) {
        const Customer& c = customers[i - 1];
        Record f(table(Tbl::FAKTURA));
        f.set(FAK::FAKTURAID, i);
        f.set(FAK::FAKTURADATO, 82000 + i % 365);
        f.set(FAK::KUNDEID, i);
        f.set(FAK::KUNDENAVN, c.navn);
        f.set(FAK::ADRESSE, c.adresse);
        f.set(FAK::POSTNR, c.postnr);
        f.set(FAK::TOTALSUM, Decimal::fromCents(187500));
        f.set(FAK::BESKRIVELSE, "Arbeid utført etter avtale, se vedlagte timeliste.");
        fakturaer.push_back(std::move(f));
        for (int l = 1; l <= kLines; ++l) {
            Record r(table(Tbl::FAKLINJE));
            r.set(FLI::FAKLINJEID, ++lineId);
            r.set(FLI::FAKTURAID, i);
            r.set(FLI::LINJENR, l);
            r.set(FLI::PRODUKTNAVN, "Konsulenttime " + std::to_string(l));
            r.set(FLI::ANTALL, Decimal::fromInt(l));
            r.set(FLI::ENHETSPRIS, Decimal::fromCents(12500));
            r.set(FLI::SUM, Decimal::fromCents(12500 * l));
            r.set(FLI::MVAPLIKTIG, 1);
            r.set(FLI::MVASATS, 25);
            r.set(FLI::BESKRIVELSE, "Beskrivelse av linje " + std::to_string(l));
            linjer.push_back(std::move(r));
        }
    }
}

} // namespace

void benchArchive(const std::string& dir, int n)
{
    std::vector<Record> fakturaer, linjer;
    makeInvoices(n + 2, fakturaer, linjer);
    std::vector<int32_t> ids;
    for (int i = 1; i <= n; ++i)
        ids.push_back(i);
    double ours = 0;
    {
        Hold h(dir + "/archive", {Tbl::FAKTURA, Tbl::FAKLINJE});
        h.storeAll(Tbl::FAKTURA, fakturaer);
        h.storeAll(Tbl::FAKLINJE, linjer);
        FakturaVedlikehold v(h.ctx);
        const auto t0 = Clock::now();
        if (v.eksporter(ids) != FakturaVedlikehold::Utfall::Ferdig ||
            static_cast<int>(v.flyttet().size()) != n)
            die("archive: " + std::to_string(v.flyttet().size()) + " invoices archived");
        ours = msSince(t0);
    }

    // Plain SQLite: the four files attached to one connection, and each invoice copied with its
    // lines and deleted in a transaction of its own, statements prepared once.
    const std::string b = dir + "/archive-baseline";
    std::filesystem::create_directories(b);
    Plain base(b + "/FAKTURA.db");
    base.attach(b + "/FAKLINJE.db", "fli");
    base.attach(b + "/BAKTURA.db", "bfak");
    base.attach(b + "/BAKLINJE.db", "bfli");
    base.exec(plainSchema(table(Tbl::FAKTURA), "main"));
    base.exec(plainSchema(table(Tbl::FAKLINJE), "fli"));
    base.exec(plainSchema(table(Tbl::FAKTURA), "bfak"));
    base.exec(plainSchema(table(Tbl::FAKLINJE), "bfli"));
    base.insertAll("main", fakturaer);
    base.insertAll("fli", linjer);
    sqlite3_stmt* copyF = base.stmt("INSERT INTO bfak.FAKTURA SELECT * FROM main.FAKTURA "
                                    "WHERE FAKTURAID = ?1");
    sqlite3_stmt* copyL = base.stmt("INSERT INTO bfli.FAKLINJE SELECT * FROM fli.FAKLINJE "
                                    "WHERE FAKTURAID = ?1 ORDER BY LINJENR");
    sqlite3_stmt* delL = base.stmt("DELETE FROM fli.FAKLINJE WHERE FAKTURAID = ?1");
    sqlite3_stmt* delF = base.stmt("DELETE FROM main.FAKTURA WHERE FAKTURAID = ?1");
    const auto t1 = Clock::now();
    for (int32_t id : ids) {
        base.run(base.stmt("BEGIN IMMEDIATE"));
        for (sqlite3_stmt* s : {copyF, copyL, delL, delF}) {
            sqlite3_bind_int(s, 1, id);
            base.run(s);
        }
        base.run(base.stmt("COMMIT"));
    }
    const double plain = msSince(t1);
    report("archive_1000", ours, plain);
    std::printf("# archive_1000: %d invoices of %d lines into the archive pair; ours commits a "
                "fifth of a second's worth at a time, each invoice in a savepoint, the baseline "
                "one transaction per invoice; the limit is %.0f ms\n",
                n, kLines, kLimitMs);
}

} // namespace tavlo::bench
