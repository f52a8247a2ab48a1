#include "bench/common.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QRegularExpression>

#include "framework/decimal.h"

namespace tavlo::bench {

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

[[noreturn]] void die(const std::string& what)
{
    std::fprintf(stderr, "tavlo-bench: %s\n", what.c_str());
    std::exit(1);
}

void report(const char* name, double ours, double baseline)
{
    std::printf("bench %s ours=%.2f baseline=%.2f ratio=%.2f\n", name, ours, baseline,
                baseline > 0 ? ours / baseline : 0.0);
    std::fflush(stdout);
}

std::string asciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string digits(std::mt19937& rng, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i && i % 2 == 0)
            s += ' ';
        s += static_cast<char>('0' + rng() % 10);
    }
    return s;
}

std::vector<Customer> makeCustomers(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<Customer> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        Customer c;
        std::string last = pick(rng, kLast);
        if (rng() % 10 < 6) {
            c.navn = std::string(pick(rng, kFirst)) + " ";
            if (rng() % 4 == 0)
                c.navn += std::string(1, static_cast<char>('A' + rng() % 26)) + ". ";
            c.navn += last;
        } else {
            c.navn = last + " " + pick(rng, kTrade) + " " + pick(rng, kForm);
        }
        c.adresse = std::string(pick(rng, kStreet)) + " " + std::to_string(1 + rng() % 180);
        if (rng() % 5 == 0)
            c.adresse += static_cast<char>('A' + rng() % 4);
        c.adresse2 = rng() % 6 == 0 ? "Postboks " + std::to_string(1 + rng() % 9000) : "";
        c.postnr = static_cast<int32_t>(1 + rng() % 9990);
        c.telefon = digits(rng, 8);
        c.mobil = rng() % 2 ? std::string(rng() % 2 ? "9" : "4") + digits(rng, 7) : "";
        c.faks = rng() % 8 == 0 ? digits(rng, 8) : "";
        c.email =
            rng() % 3 ? asciiLower(last.substr(0, 4)) + std::to_string(i) + "@example.no" : "";
        c.div = rng() % 4 == 0 ? "Ring før levering. Faktura pr. e-post, " +
                                     std::to_string(10 + rng() % 20) + " dager."
                               : "";
        c.regdato = static_cast<int32_t>(74000 + rng() % 7000);
        c.betaling = static_cast<int32_t>(1 + rng() % 4);
        c.levering = static_cast<int32_t>(1 + rng() % 3);
        c.gruppe = static_cast<int32_t>(rng() % 12);
        c.kreditt = static_cast<int64_t>(rng() % 500) * 100000;
        c.rabatt = static_cast<int64_t>(rng() % 26) * 100;
        out.push_back(std::move(c));
    }
    return out;
}

void fill(Record& r, const Customer& c)
{
    r.clear();
    r.set(KUN::REGISTRERINGSDATO, c.regdato);
    r.set(KUN::NAVN, c.navn);
    r.set(KUN::ADRESSE, c.adresse);
    r.set(KUN::ADRESSE2, c.adresse2);
    r.set(KUN::POSTNR, c.postnr);
    r.set(KUN::TELEFON, c.telefon);
    r.set(KUN::MOBIL, c.mobil);
    r.set(KUN::FAKS, c.faks);
    r.set(KUN::EMAIL, c.email);
    r.set(KUN::BETALINGSBETINGELSER, c.betaling);
    r.set(KUN::LEVERINGSMATE, c.levering);
    r.set(KUN::KUNDEGRUPPE, c.gruppe);
    r.set(KUN::KREDITTGRENSE, Decimal::fromCents(c.kreditt));
    r.set(KUN::RABATT, Decimal::fromCents(c.rabatt));
    r.set(KUN::DIV, c.div);
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const char* const kRole[] = {"Daglig leder", "Økonomi", "Innkjøp",        "Prosjektleder",
                             "Styreleder",   "Selger",  "Regnskapsfører", ""};

std::vector<Record> makeContacts(int n, int32_t kundeid, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<Record> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        Record r(table(Tbl::KONTAKT));
        std::string last = pick(rng, kLast);
        r.set(KON::KONTAKTID, i + 1);
        r.set(KON::KUNDEID, kundeid);
        r.set(KON::NAVN, std::string(pick(rng, kFirst)) + " " + last);
        r.set(KON::ADRESSE,
              std::string(pick(rng, kStreet)) + " " + std::to_string(1 + rng() % 180));
        r.set(KON::POSTNR, static_cast<int32_t>(1 + rng() % 9990));
        r.set(KON::TELEFON, digits(rng, 8));
        r.set(KON::MOBIL, rng() % 2 ? "9" + digits(rng, 7) : "");
        r.set(KON::EMAIL, asciiLower(last.substr(0, 4)) + std::to_string(i) + "@example.no");
        r.set(KON::ROLLESTILLING, pick(rng, kRole));
        out.push_back(std::move(r));
    }
    return out;
}

// The plain side's tables follow the declaration, so they have our columns and indexes by
// construction; texts get NOCASE, the nearest built-in rule, and there is no revision column.
std::string plainSchema(const TableDecl& t, const std::string& schema)
{
    auto q = [](const std::string& id) { return "\"" + id + "\""; };
    std::string sql = "CREATE TABLE " + q(schema) + "." + q(t.name) + " (";
    for (const auto& f : t.fields)
        sql +=
            q(f.column) + (f.type == FieldType::TEXT ? " TEXT COLLATE NOCASE NOT NULL DEFAULT '', "
                                                     : " INTEGER NOT NULL DEFAULT 0, ");
    for (const auto& m : t.memos)
        sql += q(m.column) + " TEXT NOT NULL DEFAULT '', ";
    sql.resize(sql.size() - 2);
    sql += ");\n";
    for (const auto& k : t.keys) {
        std::string cols, notEmpty;
        for (const auto& c : k.components) {
            const FieldDecl& f = t.fields[c.field];
            cols += (cols.empty() ? "" : ", ") + q(f.column) + (c.ascending ? "" : " DESC");
            notEmpty += (notEmpty.empty() ? "" : " OR ") + q(f.column) +
                        (f.type == FieldType::TEXT ? " <> ''" : " <> 0");
        }
        sql += std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX " + q(schema) + "." +
               q(t.name + "_" + k.name.substr(k.name.find(':') + 1)) + " ON " + q(t.name) + " (" +
               cols + ")" + (k.notIndexed ? " WHERE " + notEmpty : "") + ";\n";
    }
    return sql;
}

std::vector<int32_t> shownIds(const PagedTableModel& m)
{
    std::vector<int32_t> ids;
    for (int r = 0; r < m.rowCount(); ++r) {
        // Digits only, so that a picture that groups thousands reads as well.
        QString digits = m.data(m.index(r, 0)).toString();
        digits.remove(QRegularExpression("[^0-9]"));
        ids.push_back(digits.toInt());
    }
    return ids;
}

std::vector<int32_t> plainIds(const std::vector<PlainRow>& rows, int got)
{
    std::vector<int32_t> ids;
    for (int r = 0; r < got; ++r)
        ids.push_back(static_cast<int32_t>(rows[r].nums[0]));
    return ids;
}

} // namespace tavlo::bench
