#pragma once
// The table driver: one SQLite database per table file. Every key is an index; text key
// components use the NOR collation (Western European upper-casing, Norwegian letter order); a
// hidden revision column catches a record changed by another user between read and write.
// The parameter table is sealed: each record is stored encrypted with the owner password.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "data/record.h"

struct sqlite3;

namespace tavlo {

enum class StoreStatus {
    OK,
    NOT_FOUND,    // no such record, or no more records
    DUPLICATE,    // a unique key would hold the same value twice
    CHANGED,      // the record was changed by another user since it was read
    LOCKED,       // another user or program holds the file
    READ_ONLY,    // the file is open read-only
    NOT_OURS,     // the file is not a table of this system, or of another table
    BAD_PASSWORD, // the owner password does not open the file
    IO,           // anything else the database reported
};

// Platform error codes, as shown in messages (%ErrorCode, %ErrorText). Failures of the database
// itself carry code 90 with the database's own code and text as the driver error.
enum PlatformError : int {
    ERR_FILE_NOT_FOUND = 2,
    ERR_ACCESS_DENIED = 5,
    ERR_RECORD_NOT_AVAILABLE = 33,
    ERR_RECORD_NOT_FOUND = 35,
    ERR_DUPLICATE_KEY = 40,
    ERR_INVALID_FILE = 47,
    ERR_RECORD_CHANGED = 89,
    ERR_FILE_SYSTEM = 90,
    ERR_INVALID_PASSWORD = 91,
};

struct StoreError {
    StoreStatus status = StoreStatus::OK;
    int code = 0;
    std::string text;
    int driverCode = 0;
    std::string driverText;
};

// A stored record's identity and the version it was read in.
struct RowRef {
    int64_t rowid = 0;
    int64_t rev = 0;
};

struct Row {
    RowRef ref;
    Record rec;
};

// Where a walk in a key's order starts.
struct Bound {
    enum Kind {
        EDGE,  // from the first record (forward) or the last (backward)
        AT,    // from the first record >= values (forward) or the last <= values (backward)
        AFTER, // strictly after (forward) or before (backward) values + rowid
    };
    Kind kind = EDGE;
    const Record* values = nullptr;
    int64_t rowid = 0;
};

// An extra condition on a walk: SQL over the table's columns with its bound values (never the
// user's text pasted into SQL), and the same test on a record for files that cannot run SQL.
struct SqlCondition {
    std::string sql;
    std::vector<std::variant<int64_t, std::string>> binds;
    std::function<bool(const Record&)> test;
};

// lo <= field <= hi on a whole-number field (numbers, dates, decimals in hundredths).
SqlCondition fieldBetween(const TableDecl& t, int field, int64_t lo, int64_t hi);

// Compares two records in a key's order (without the tie on record identity).
int compareKey(const TableDecl& t, int key, const Record& a, const Record& b);

// What a file notes of the record it holds: its fields' and memos' names in order. A file of
// another layout (an earlier data version of the table) is never opened as this one.
std::string recordLayout(const TableDecl& t);

// Which table a file holds and in which layout; `layout` is empty for files made before files
// noted it, which hold this version's record.
struct FileIdentity {
    std::string table;
    std::string layout;
};

class TableFile {
  public:
    // Reads what the file says it holds without opening it as a table (and so without making
    // or changing anything): NOT_FOUND, NOT_OURS for a file that is not one of our tables, or
    // LOCKED while another program holds it.
    static bool identify(const std::string& path, FileIdentity& out, StoreError& err);

    enum class Mode { READ_WRITE, READ_ONLY };

    // Opens (and with `create`, makes) the file at `path` for table `decl` (its base table).
    // A file that is not one of our tables is never touched: NOT_OURS. A sealed table is
    // opened, or made, with `ownerKey`; a wrong key leaves it closed.
    static std::unique_ptr<TableFile> open(const std::string& path, const TableDecl& decl,
                                           Mode mode, bool create, const std::string& ownerKey,
                                           StoreError& err);
    // Attaches `file` to this file's connection as `schema` and gives its table as seen through
    // it: writes through the view belong to this connection's transaction. The view goes before
    // this file does, and detach(schema) after the view. Sealed files keep to their own
    // connection and cannot be attached.
    std::unique_ptr<TableFile> attach(const TableFile& file, const std::string& schema,
                                      StoreError& err);
    void detach(const std::string& schema);
    virtual ~TableFile();

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    // Whether the file could be written now: LOCKED when another holds it.
    bool probeWrite(int waitMs, StoreError& err);
    // Whether the file reads whole: every page of it sound (a quick check of the database).
    // NOT_OURS with the first fault as the driver's text when not.
    bool verify(StoreError& err);
    // Whether every key of the table is there as declared; rebuilding makes them anew.
    virtual bool keysIntact() { return true; }
    virtual bool rebuildKeys(StoreError&) { return true; }

    // Nestable: the outermost level is the database transaction (a write lock is waited for at
    // most two seconds), inner levels are savepoints. rollback() undoes the innermost level.
    bool begin(StoreError& err);
    bool commit(StoreError& err);
    void rollback();
    bool inTransaction() const { return owner()->depth_ > 0; }

    virtual bool insert(const Record& r, RowRef& out, StoreError& err) = 0;
    virtual bool update(RowRef& ref, const Record& r, StoreError& err) = 0;
    virtual bool remove(const RowRef& ref, StoreError& err) = 0;
    virtual bool read(RowRef& ref, Record& out, StoreError& err) = 0;
    // Up to n records from the bound in the key's order, appended to out (memos left empty
    // unless asked for). An empty page with OK status means the end.
    virtual bool page(int key, const Bound& b, bool forward, int n, std::vector<Row>& out,
                      StoreError& err, bool memos = true,
                      const SqlCondition* condition = nullptr) = 0;
    // One whole-number field of every record in the key's order, appended to out: for a walk
    // that wants only the numbers (marking every record), much less to read than the records.
    virtual bool numbers(int key, int field, std::vector<int64_t>& out, StoreError& err);
    // Whole-number fields (numbers, dates, decimals in hundredths) of the records from the
    // bound on, in the key's order, that meet the condition: fields.size() values a record,
    // appended to out. For a run that sums a few fields of many records, without a record
    // built for each.
    virtual bool walkNumbers(int key, const Bound& from, const std::vector<int>& fields,
                             const SqlCondition* condition, std::vector<int64_t>& out,
                             StoreError& err);
    // The first record in key order whose key fields equal those of `values`.
    bool findEqual(int key, const Record& values, Row& out, StoreError& err);
    // The first unique key under which `r` would collide with a record other than `self`; -1.
    virtual int duplicatedKey(const Record& r, int64_t self) = 0;
    virtual int64_t count(StoreError& err) = 0;
    // Removes every record in one transaction; the file, its keys and whoever has it open stay.
    virtual bool removeAll(StoreError& err) = 0;

    // The plan the database chose for the statement of ours whose text holds `piece`; "?"
    // when there is none. For the benchmark and for looking into a slow list.
    std::string queryPlan(const char* piece) const;

    const TableDecl& decl() const { return decl_; }

  protected:
    TableFile(sqlite3* db, std::string path, const TableDecl& decl, bool readOnly);
    TableFile* owner() { return owner_ ? owner_ : this; }
    const TableFile* owner() const { return owner_ ? owner_ : this; }
    bool exec(const char* sql, StoreError& err);
    // Runs one statement that empties the table, in a transaction of its own level.
    bool emptyWith(const std::string& sql, StoreError& err);
    // An update that changed no row: CHANGED or NOT_FOUND in err; always false.
    bool noteMissedWrite(const RowRef& ref, StoreError& err);
    void fail(StoreError& err, StoreStatus s) const; // from the database's current error
    int64_t newRevision();

    sqlite3* db_;
    std::string path_;
    const TableDecl& decl_;
    bool readOnly_;
    int depth_ = 0;
    uint64_t revState_;
    TableFile* owner_ = nullptr; // for a view: the file whose connection and transaction it uses
};

// Registers the NOR collation and the functions TAVLO_UPPER(text) and
// TAVLO_INSTRING(sub, text, step, start) on a connection; every connection of ours has them, and
// tools and tests that open files directly call this too.
void registerCollation(sqlite3* db);
// Copies a table file as it stands, sealed or not, through SQLite's online backup: the copy is
// one consistent state even while other users write, who wait at most for the copy itself. The
// copy is made beside `to` and renamed over it, so a failed copy leaves an older `to` as it was.
// A file is never copied onto itself.
bool copyTableFile(const std::string& from, const std::string& to, StoreError& err);
// How the database would run `sql` on `db`, one step after another; "?" when it cannot.
std::string explainQueryPlan(sqlite3* db, const std::string& sql);
// Fills err with a platform error of our own.
void setError(StoreError& err, StoreStatus s, int code, std::string text);

} // namespace tavlo
