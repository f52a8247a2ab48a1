#include "bench/kundevedlikehold_bench.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "bench/common.h"
#include "customers/kundevedlikehold.h"
#include "framework/filemanager.h"

namespace tavlo::bench {

namespace {

constexpr double kExportLimitMs = 5000;
constexpr double kImportLimitMs = 15000;
constexpr int kContacts = 2;
using deltekst::Type;

// n customers numbered from 1, every field the file carries filled, and two contacts each.
// The contacts' names start "1 " and "2 " so that both sides sort them alike.
void makeRows(int n, std::vector<Record>& kunder, std::vector<Record>& kontakter)
{
    const std::vector<Customer> customers = makeCustomers(n, 1905);
    const TableDecl& d = table(Tbl::KUNDE);
    for (int i = 1; i <= n; ++i) {
        Record k(d);
        fill(k, customers[i - 1]);
        k.set(KUN::KUNDEID, i);
        k.set(KUN::IMPORTBATCHNR, 7);
        // The shared helpers cut names bytewise for e-mail addresses, which can split a letter.
        k.set(KUN::EMAIL, "post" + std::to_string(i) + "@example.no");
        k.set(KUN::HOVEDKONTAKT, kContacts * (i - 1) + 1);
        for (int f = 1; f <= 10; ++f)
            k.setNum(d.fieldNo("HELTALL" + std::to_string(f)), (i * f) % 1000 - 500);
        for (int f = 1; f <= 5; ++f)
            k.setNum(d.fieldNo("DESIMALTALL" + std::to_string(f)), int64_t{i} * 37 * f - 250000);
        k.setStr(d.fieldNo("TEKST1"), "Avdeling \"" + std::to_string(i % 40) + "\", Sør");
        kunder.push_back(std::move(k));
        std::vector<Record> cs = makeContacts(kContacts, i, static_cast<unsigned>(i));
        for (int j = 0; j < kContacts; ++j) {
            Record& c = cs[j];
            c.set(KON::KONTAKTID, kContacts * (i - 1) + j + 1);
            c.set(KON::NAVN, std::to_string(j + 1) + " " + c.get(KON::NAVN));
            c.set(KON::EMAIL, "kontakt" + std::to_string(c.get(KON::KONTAKTID)) + "@example.no");
            if (i % 3 == 0)
                c.set(KON::DIV, "Treffes best før kl. 10,\r\nhelst på \"mobil\"");
            kontakter.push_back(std::move(c));
        }
    }
}

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void sameFiles(const std::string& ours, const std::string& plain)
{
    const std::string a = bytesOf(ours), b = bytesOf(plain);
    if (a == b)
        return;
    std::size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at])
        ++at;
    const std::size_t from = a.rfind('\n', at) == std::string::npos ? 0 : a.rfind('\n', at) + 1;
    die("the exchange files differ at byte " + std::to_string(at) +
        ":\n ours: " + a.substr(from, 160) + "\n plain: " + b.substr(from, 160));
}

// ---------------------------------------------------------------------------------------------
// The baseline: what a careful programmer writes by hand with SQLite and the standard library.

// Windows-1252 from UTF-8 and back, for the letters of Western European names (Latin-1).
std::string toCp1252(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size() &&
                   (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
            out += static_cast<char>(((c & 0x1F) << 6) | (s[++i] & 0x3F));
        } else {
            out += '?';
            while (i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

void appendUtf8(std::string& out, std::string_view cp1252)
{
    for (char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

void quoted(std::string& line, std::string_view utf8)
{
    std::string t = toCp1252(utf8);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    line += '"';
    for (char c : t) {
        line += c;
        if (c == '"')
            line += '"';
    }
    line += '"';
}

std::string cents(int64_t v)
{
    const uint64_t a = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    const unsigned rest = static_cast<unsigned>(a % 100);
    return std::string(v < 0 ? "-" : "") + std::to_string(a / 100) + "." +
           static_cast<char>('0' + rest / 10) + static_cast<char>('0' + rest % 10);
}

int64_t parseCents(const std::string& s)
{
    const bool neg = !s.empty() && s[0] == '-';
    int64_t whole = 0, frac = 0;
    int places = 0;
    bool point = false;
    for (char c : s) {
        if (c == '.')
            point = true;
        else if (c >= '0' && c <= '9') {
            if (!point)
                whole = whole * 10 + (c - '0');
            else if (places < 2) {
                frac = frac * 10 + (c - '0');
                ++places;
            }
        }
    }
    while (places++ < 2)
        frac *= 10;
    return (neg ? -1 : 1) * (whole * 100 + frac);
}

std::string column(const TableDecl& t, const std::string& name)
{
    const int f = t.fieldNo(name);
    return "\"" + (f >= 0 ? t.fields[f].column : t.memos[t.memoNo(name)].column) + "\"";
}

// Positions in the exchange line of the columns a contact line carries.
std::vector<int> contactPositions()
{
    std::vector<int> out;
    const auto& l = KundeVedlikehold::layout();
    for (std::size_t i = 0; i < l.size(); ++i) {
        const std::string& n = l[i].name;
        if (n == "KUNDEID" || n == "NAVN" || n == "ADRESSE" || n == "ADRESSE2" || n == "POSTNR" ||
            n == "TELEFON" || n == "MOBIL" || n == "FAKS" || n == "EMAIL" || n == "DIV")
            out.push_back(static_cast<int>(i));
    }
    return out;
}

std::string contactColumn(const std::string& name)
{
    return name == "KUNDEID" ? column(table(Tbl::KONTAKT), "KONTAKTID")
                             : column(table(Tbl::KONTAKT), name);
}

void appendValue(std::string& line, sqlite3_stmt* s, int col, Type type)
{
    if (type == Type::Text) {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        quoted(line, std::string_view(p ? p : "",
                                      static_cast<std::size_t>(sqlite3_column_bytes(s, col))));
    } else if (type == Type::Decimal) {
        quoted(line, cents(sqlite3_column_int64(s, col)));
    } else {
        quoted(line, std::to_string(sqlite3_column_int64(s, col)));
    }
}

void plainExport(Plain& base, const std::string& path)
{
    const auto& l = KundeVedlikehold::layout();
    const TableDecl& kun = table(Tbl::KUNDE);
    std::string sql = "SELECT ";
    for (std::size_t i = 1; i < l.size(); ++i)
        sql += (i > 1 ? ", " : "") + column(kun, l[i].name);
    sqlite3_stmt* customers = base.stmt(sql + " FROM KUNDE ORDER BY " + column(kun, "KUNDEID"));
    const std::vector<int> at = contactPositions();
    sql = "SELECT " + column(table(Tbl::KONTAKT), "KUNDEID");
    for (int p : at)
        sql += ", " + contactColumn(l[p].name);
    sqlite3_stmt* contacts =
        base.stmt(sql + " FROM KONTAKT ORDER BY " + column(table(Tbl::KONTAKT), "KUNDEID") + ", " +
                  column(table(Tbl::KONTAKT), "NAVN"));

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string line;
    bool contact = sqlite3_step(contacts) == SQLITE_ROW;
    while (sqlite3_step(customers) == SQLITE_ROW) {
        line = "\"1\"";
        for (std::size_t i = 1; i < l.size(); ++i) {
            line += ',';
            appendValue(line, customers, static_cast<int>(i - 1), l[i].type);
        }
        line += "\r\n";
        out << line;
        const int64_t id = sqlite3_column_int64(customers, 1);
        while (contact && sqlite3_column_int64(contacts, 0) < id)
            contact = sqlite3_step(contacts) == SQLITE_ROW;
        for (; contact && sqlite3_column_int64(contacts, 0) == id;
             contact = sqlite3_step(contacts) == SQLITE_ROW) {
            line = "\"2\"";
            std::size_t next = 0;
            for (std::size_t i = 1; i < l.size(); ++i) {
                line += ',';
                if (next < at.size() && at[next] == static_cast<int>(i)) {
                    appendValue(line, contacts, static_cast<int>(next + 1), l[i].type);
                    ++next;
                } else {
                    line += "\"\"";
                }
            }
            line += "\r\n";
            out << line;
        }
    }
    sqlite3_reset(customers);
    sqlite3_reset(contacts);
    if (!out.flush())
        die("the baseline could not write " + path);
}

// Cuts the next record off the file: quoted fields, quotes doubled, CR LF between records.
bool nextRecord(const std::string& text, std::size_t& pos, std::vector<std::string>& fields)
{
    if (pos >= text.size() || text[pos] == '\x1A')
        return false;
    fields.clear();
    std::string raw;
    for (;;) {
        raw.clear();
        if (pos < text.size() && text[pos] == '"') {
            ++pos;
            for (;;) {
                const std::size_t q = text.find('"', pos);
                if (q == std::string::npos)
                    die("baseline: an unclosed quote");
                raw.append(text, pos, q - pos);
                pos = q + 1;
                if (pos < text.size() && text[pos] == '"') {
                    raw += '"';
                    ++pos;
                } else {
                    break;
                }
            }
        } else {
            const std::size_t e = text.find_first_of(",\r", pos);
            raw.append(text, pos, (e == std::string::npos ? text.size() : e) - pos);
            pos = e == std::string::npos ? text.size() : e;
        }
        fields.emplace_back();
        appendUtf8(fields.back(), raw);
        if (pos < text.size() && text[pos] == ',') {
            ++pos;
            continue;
        }
        if (text.compare(pos, 2, "\r\n") == 0)
            pos += 2;
        return true;
    }
}

void bindValue(sqlite3_stmt* s, int col, const std::string& v, Type type)
{
    if (type == Type::Text)
        sqlite3_bind_text(s, col, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    else if (type == Type::Decimal)
        sqlite3_bind_int64(s, col, parseCents(v));
    else
        sqlite3_bind_int64(s, col, v.empty() ? 0 : std::stoll(v));
}

void plainImport(Plain& base, const std::string& path)
{
    const auto& l = KundeVedlikehold::layout();
    const TableDecl& kun = table(Tbl::KUNDE);
    std::string cols = column(kun, "KUNDEID"), marks = "?1";
    for (std::size_t i = 1; i < l.size(); ++i)
        if (l[i].name != "KUNDEID") {
            cols += ", " + column(kun, l[i].name);
            marks += ", ?" + std::to_string(i + 1);
        }
    sqlite3_stmt* customer = base.stmt("INSERT INTO KUNDE (" + cols + ") VALUES (" + marks + ")");
    const std::vector<int> at = contactPositions();
    cols = column(table(Tbl::KONTAKT), "KUNDEID");
    marks = "?1";
    for (int p : at) {
        cols += ", " + contactColumn(l[p].name);
        marks += ", ?" + std::to_string(p + 1);
    }
    sqlite3_stmt* contact = base.stmt("INSERT INTO KONTAKT (" + cols + ") VALUES (" + marks + ")");

    const std::string text = bytesOf(path);
    int64_t lastCustomer = 0, lastContact = 0;
    base.run(base.stmt("BEGIN IMMEDIATE"));
    std::vector<std::string> f;
    for (std::size_t pos = 0; nextRecord(text, pos, f);) {
        if (f.size() != l.size())
            die("baseline: a line of " + std::to_string(f.size()) + " fields");
        if (f[0] == "1") {
            sqlite3_bind_int64(customer, 1, ++lastCustomer);
            for (std::size_t i = 1; i < l.size(); ++i)
                if (l[i].name != "KUNDEID")
                    bindValue(customer, static_cast<int>(i + 1), f[i], l[i].type);
            base.run(customer);
        } else if (f[0] == "2") {
            sqlite3_bind_int64(contact, 1, lastCustomer);
            for (int p : at)
                if (l[p].name == "KUNDEID")
                    sqlite3_bind_int64(contact, p + 1, ++lastContact);
                else
                    bindValue(contact, p + 1, f[p], l[p].type);
            base.run(contact);
        } else {
            die("baseline: a line of type " + f[0]);
        }
    }
    base.run(base.stmt("COMMIT"));
}

// Every field of every record of the table equal on both sides, in number order.
void sameRows(Hold& h, Plain& base, Tbl t, KeyRef key)
{
    const TableDecl& d = table(t);
    FileManager& m = h.ctx.access(t);
    sqlite3_stmt* s =
        base.stmt("SELECT * FROM \"" + d.name + "\" ORDER BY \"" + d.fields[0].column + "\"");
    m.SET(key);
    long n = 0;
    for (;; ++n) {
        const bool ours = m.NEXT() == LEVEL_BENIGN;
        const bool plain = sqlite3_step(s) == SQLITE_ROW;
        if (ours != plain)
            die(d.name + ": the two sides hold different numbers of records, from " +
                std::to_string(n));
        if (!ours)
            break;
        const Record& r = m.rec();
        int col = 0;
        auto text = [&](int c) {
            auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
        };
        for (std::size_t f = 0; f < d.fields.size(); ++f, ++col) {
            const bool same = d.fields[f].type == FieldType::TEXT
                                  ? text(col) == r.str(static_cast<int>(f))
                                  : sqlite3_column_int64(s, col) == r.num(static_cast<int>(f));
            if (!same)
                die(d.name + " " + std::to_string(r.num(0)) + ": " + d.fields[f].column +
                    " differs");
        }
        for (std::size_t mo = 0; mo < d.memos.size(); ++mo, ++col)
            if (text(col) != r.memo(static_cast<int>(mo)))
                die(d.name + " " + std::to_string(r.num(0)) + ": " + d.memos[mo].column +
                    " differs");
    }
    sqlite3_reset(s);
}

} // namespace

void benchCustomerExchange(const std::string& dir, int n, bool exportRun, bool importRun)
{
    std::vector<Record> kunder, kontakter;
    kunder.reserve(n);
    kontakter.reserve(static_cast<std::size_t>(n) * kContacts);
    makeRows(n, kunder, kontakter);
    const std::string oursFile = dir + "/KUNDE.TXT";
    const std::string plainFile = dir + "/KUNDE-baseline.TXT";

    double oursExport = 0, oursExportCpu = 0;
    {
        Hold h(dir + "/exchange", {Tbl::KUNDE, Tbl::KONTAKT});
        h.storeAll(Tbl::KUNDE, kunder);
        h.storeAll(Tbl::KONTAKT, kontakter);
        KundeVedlikehold v(h.ctx);
        v.confirmed = true;
        v.fileName() = oursFile;
        const double c0 = threadCpuMs();
        const auto t0 = Clock::now();
        if (v.exportFile() != KundeVedlikehold::Outcome::Completed ||
            v.counter() != static_cast<long>(n) * (1 + kContacts))
            die("customers_export: " + std::to_string(v.counter()) + " lines written");
        oursExport = msSince(t0);
        oursExportCpu = threadCpuMs() - c0;
    }

    const std::string b = dir + "/exchange-baseline";
    std::filesystem::create_directories(b);
    double plainExportMs = 0;
    {
        Plain base(b + "/KUNDE.db");
        base.exec(plainSchema(table(Tbl::KUNDE), "main"));
        base.exec(plainSchema(table(Tbl::KONTAKT), "main"));
        base.insertAll("main", kunder);
        base.insertAll("main", kontakter);
        const auto t0 = Clock::now();
        plainExport(base, plainFile);
        plainExportMs = msSince(t0);
    }
    sameFiles(oursFile, plainFile);
    if (exportRun) {
        report("customers_export", oursExport, plainExportMs);
        std::printf("# customers_export: %d customers with %d contacts each to KUNDE.TXT (%zu "
                    "bytes, equal on both sides); ours %.0f ms processor time; the limit is "
                    "%.0f ms\n",
                    n, kContacts, bytesOf(oursFile).size(), oursExportCpu, kExportLimitMs);
    }
    if (!importRun)
        return;

    // Both read the same file into empty tables.
    Hold h(dir + "/exchange-import", {Tbl::KUNDE, Tbl::KONTAKT});
    KundeVedlikehold v(h.ctx);
    v.confirmed = true;
    v.fileName() = oursFile;
    const double c0 = threadCpuMs();
    const auto t0 = Clock::now();
    if (v.importFile() != KundeVedlikehold::Outcome::Completed ||
        v.counter() != static_cast<long>(n) * (1 + kContacts))
        die("customers_import: " + std::to_string(v.counter()) + " lines read");
    const double oursImport = msSince(t0);
    const double oursImportCpu = threadCpuMs() - c0;

    Plain base(b + "/KUNDE-import.db");
    base.exec(plainSchema(table(Tbl::KUNDE), "main"));
    base.exec(plainSchema(table(Tbl::KONTAKT), "main"));
    const auto t1 = Clock::now();
    plainImport(base, oursFile);
    const double plainImportMs = msSince(t1);
    sameRows(h, base, Tbl::KUNDE, KUN::KeyKundeId);
    sameRows(h, base, Tbl::KONTAKT, KON::KeyKontaktId);
    report("customers_import", oursImport, plainImportMs);
    std::printf("# customers_import: the same file into empty tables, %d customers and %d "
                "contacts numbered anew, every field equal on both sides; ours %.0f ms "
                "processor time; the limit is %.0f ms\n",
                n, n * kContacts, oursImportCpu, kImportLimitMs);
}

} // namespace tavlo::bench
