#pragma once
// What the programs of tavlo-bench share: timing and reporting, the test customers and contacts,
// a context holding tables open (our side) and plain SQLite over the same declarations (the
// baseline).
#include <sqlite3.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "data/context.h"
#include "data/globals.h"
#include "framework/pagedmodel.h"

namespace tavlo::bench {

using Clock = std::chrono::steady_clock;

constexpr int kPage = 20;

double msSince(Clock::time_point t0);
[[noreturn]] void die(const std::string& what);
void report(const char* name, double ours, double baseline);
// Processor time of the calling thread, which a busy machine disturbs less than wall time.
double threadCpuMs();
double median(std::vector<double> v);

// ---------------------------------------------------------------------------------------------
// Test data: varied, Norwegian-looking customers, the same rows for both sides.

struct Customer {
    int32_t regdato;
    std::string navn, adresse, adresse2, telefon, mobil, faks, email, div;
    int32_t postnr, betaling, levering, gruppe;
    int64_t kreditt, rabatt; // hundredths
};

inline constexpr const char* kFirst[] = {
    "Kari",    "Ola",   "Åse",   "Øystein",  "Bjørn",  "Håkon",  "Søren",   "Ingrid",
    "Nils",    "Marit", "Anne",  "Per",      "Liv",    "Tor",    "Solveig", "Jørgen",
    "Kjersti", "Ægir",  "Eirik", "Ragnhild", "Sigurd", "Tone",   "Geir",    "Hege",
    "Lars",    "Mona",  "Rune",  "Siri",     "Trond",  "Vigdis",
};
inline constexpr const char* kLast[] = {
    "Hansen", "Johansen",  "Olsen",  "Larsen", "Andersen", "Pedersen", "Nilsen",    "Kristiansen",
    "Jensen", "Karlsen",   "Berg",   "Haugen", "Hagen",    "Dahl",     "Jørgensen", "Halvorsen",
    "Lund",   "Sørensen",  "Moen",   "Strand", "Solberg",  "Eide",     "Bakken",    "Lie",
    "Nygård", "Sæther",    "Aas",    "Næss",   "Rønning",  "Strøm",    "Ødegård",   "Bøe",
    "Aune",   "Tveit",     "Brekke", "Øvrebø", "Åsheim",   "Vik",      "Haug",      "Myklebust",
    "Ruud",   "Birkeland", "Lien",   "Holm",   "Sandvik",  "Helland",
};
inline constexpr const char* kTrade[] = {
    "Bygg",          "Rør og Varme", "Elektro",    "Transport", "Regnskap",
    "Maling",        "Snekkeri",     "Frisør",     "Bakeri",    "Data",
    "Tak og Fasade", "Eiendom",      "Rådgivning", "Blomster",  "Sjømat",
};
inline constexpr const char* kForm[] = {"AS", "AS", "AS", "ENK", "ASA", "DA"};
inline constexpr const char* kStreet[] = {
    "Storgata",         "Kirkegata",     "Strandveien", "Skolegata",  "Fjellveien",  "Bjørkeveien",
    "Granveien",        "Sjøgata",       "Havnegata",   "Løkkeveien", "Åsveien",     "Kongens gate",
    "Dronningens gate", "Industriveien", "Bryggen",     "Ørneveien",  "Ærfuglveien",
};

template <std::size_t N> const char* pick(std::mt19937& rng, const char* const (&list)[N])
{
    return list[rng() % N];
}

std::string asciiLower(std::string s);
// n random digits in pairs, as telephone numbers are written.
std::string digits(std::mt19937& rng, int n);
std::vector<Customer> makeCustomers(int n, unsigned seed);
void fill(Record& r, const Customer& c);
std::vector<Record> makeContacts(int n, int32_t kundeid, unsigned seed);

// ---------------------------------------------------------------------------------------------
// Our side: a context holding tables open, as the procedure behind a register or a form does.
struct Hold {
    Context ctx;
    ProcedureScope scope{ctx, "BENCH"};
    std::vector<Tbl> tables;

    Hold(const std::string& folder, std::vector<Tbl> held) : tables(std::move(held))
    {
        std::filesystem::create_directories(folder);
        setDataFolder(folder);
        for (Tbl t : tables) {
            ctx.access(t).OPEN();
            if (ctx.access(t).USEFILE() != LEVEL_BENIGN)
                die(table(t).fileName + " does not open in " + folder);
        }
    }
    ~Hold()
    {
        for (Tbl t : tables)
            ctx.access(t).CLOSE();
    }

    // Adds the records in one transaction, numbered by the manager.
    void insertAll(Tbl t, const std::vector<Record>& rows)
    {
        FileManager& m = ctx.access(t);
        StoreError err;
        if (!m.file()->begin(err))
            die("begin: " + err.text);
        for (const Record& r : rows) {
            m.rec().copyFrom(r);
            if (m.INSERT() != LEVEL_BENIGN)
                die("INSERT failed: " + ctx.errorState().currentErrorText);
        }
        if (!m.file()->commit(err))
            die("commit: " + err.text);
    }

    // Adds the records as they are, numbers included, in one transaction straight into the
    // file: for tables whose rows refer to each other by number.
    void storeAll(Tbl t, const std::vector<Record>& rows)
    {
        TableFile* f = ctx.access(t).file();
        StoreError err;
        RowRef ref;
        if (!f->begin(err))
            die("begin: " + err.text);
        for (const Record& r : rows)
            if (!f->insert(r, ref, err))
                die("insert: " + err.text);
        if (!f->commit(err))
            die("commit: " + err.text);
    }
};

// A row as a program that shows it would hold it: every column.
struct PlainRow {
    int64_t rowid = 0;
    std::vector<int64_t> nums;
    std::vector<std::string> texts;
};

// Plain SQLite on one database file, others attached to it as the job needs; rollback journal
// and full sync on every one.
class Plain {
  public:
    explicit Plain(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            die("cannot open " + path);
        sqlite3_busy_timeout(db_, 2000);
        exec("PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL");
    }
    ~Plain()
    {
        for (auto& [name, s] : stmts_)
            sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    Plain(const Plain&) = delete;
    Plain& operator=(const Plain&) = delete;

    sqlite3* db() const { return db_; }

    void attach(const std::string& path, const std::string& schema)
    {
        exec("ATTACH DATABASE '" + path + "' AS " + schema + "; PRAGMA " + schema +
             ".journal_mode=DELETE; PRAGMA " + schema + ".synchronous=FULL");
    }

    void exec(const std::string& sql)
    {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            die(std::string(sqlite3_errmsg(db_)) + " in " + sql.substr(0, 200));
    }

    // Prepared once and kept, as a careful program keeps the statements it runs often.
    sqlite3_stmt* stmt(const std::string& sql)
    {
        auto it = stmts_.find(sql);
        if (it != stmts_.end())
            return it->second;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            die(std::string(sqlite3_errmsg(db_)) + " in " + sql);
        stmts_.emplace(sql, s);
        return s;
    }

    void run(sqlite3_stmt* s)
    {
        if (sqlite3_step(s) != SQLITE_DONE)
            die(sqlite3_errmsg(db_));
        sqlite3_reset(s);
    }

    // Adds the records in one transaction with the numbers they carry.
    void insertAll(const std::string& schema, const std::vector<Record>& rows)
    {
        if (rows.empty())
            return;
        const TableDecl& t = rows.front().decl();
        std::string sql = "INSERT INTO " + schema + "." + t.name + " VALUES (";
        for (std::size_t i = 0; i < t.fields.size() + t.memos.size(); ++i)
            sql += i ? ", ?" : "?";
        sqlite3_stmt* s = stmt(sql + ")");
        run(stmt("BEGIN IMMEDIATE"));
        for (const Record& r : rows) {
            int col = 1;
            for (std::size_t f = 0; f < t.fields.size(); ++f, ++col) {
                if (t.fields[f].type == FieldType::TEXT)
                    sqlite3_bind_text(s, col, r.str(static_cast<int>(f)).c_str(), -1,
                                      SQLITE_STATIC);
                else
                    sqlite3_bind_int64(s, col, r.num(static_cast<int>(f)));
            }
            for (std::size_t m = 0; m < t.memos.size(); ++m, ++col)
                sqlite3_bind_text(s, col, r.memo(static_cast<int>(m)).c_str(), -1, SQLITE_STATIC);
            run(s);
        }
        run(stmt("COMMIT"));
    }

    // Runs a query of rowid and every column, into rows.
    int rows(sqlite3_stmt* s, const TableDecl& t, std::vector<PlainRow>& out)
    {
        int got = 0;
        while (sqlite3_step(s) == SQLITE_ROW) {
            if (got == static_cast<int>(out.size()))
                out.emplace_back();
            PlainRow& r = out[got++];
            r.rowid = sqlite3_column_int64(s, 0);
            r.nums.clear();
            r.texts.resize(t.memos.size() + t.fields.size());
            std::size_t nt = 0;
            int col = 1;
            for (const auto& f : t.fields) {
                if (f.type == FieldType::TEXT) {
                    auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                    r.texts[nt++].assign(p ? p : "",
                                         static_cast<std::size_t>(sqlite3_column_bytes(s, col)));
                } else {
                    r.nums.push_back(sqlite3_column_int64(s, col));
                }
                ++col;
            }
            for (std::size_t m = 0; m < t.memos.size(); ++m, ++col) {
                auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                r.texts[nt++].assign(p ? p : "",
                                     static_cast<std::size_t>(sqlite3_column_bytes(s, col)));
            }
        }
        sqlite3_reset(s);
        return got;
    }

  private:
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> stmts_;
};

// The plain side's table and indexes for a declared table, in a schema of the connection.
std::string plainSchema(const TableDecl& t, const std::string& schema);
// The numbers in the first column of the rows a list's model holds, top to bottom.
std::vector<int32_t> shownIds(const PagedTableModel& m);
// The first numeric column (the record's number) of the rows a plain query read.
std::vector<int32_t> plainIds(const std::vector<PlainRow>& rows, int got);

} // namespace tavlo::bench
