#include "data/store.h"

#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "data/store_p.h"
#include "framework/text.h"

namespace tavlo {
namespace storage {

// Waits for another program's lock in short, even steps: with SQLite's usual growing pauses a
// waiter keeps missing the moments between the commits of a busy writer, and gives up while
// the lock was free many times.
void setLockWait(sqlite3* db, int waitMs)
{
    sqlite3_busy_handler(
        db,
        [](void* limit, int tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return tries < static_cast<int>(reinterpret_cast<intptr_t>(limit)) ? 1 : 0;
        },
        reinterpret_cast<void*>(static_cast<intptr_t>(waitMs)));
}

std::string quote(std::string_view id)
{
    return "\"" + std::string(id) + "\"";
}

bool isText(const TableDecl& t, int field)
{
    return t.fields[field].type == FieldType::TEXT;
}

bool keyIsEmpty(const TableDecl& t, const KeyDecl& k, const Record& r)
{
    for (const auto& c : k.components)
        if (isText(t, c.field) ? !r.str(c.field).empty() : r.num(c.field) != 0)
            return false;
    return true;
}

// What the database reported last on a connection, as a platform error.
void failFrom(sqlite3* db, StoreError& err, StoreStatus s)
{
    int code = sqlite3_extended_errcode(db);
    err.status = s;
    if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED) {
        err.status = StoreStatus::LOCKED;
        err.code = ERR_ACCESS_DENIED;
        err.text = "Access Denied";
    } else if ((code & 0xFF) == SQLITE_READONLY) {
        err.status = StoreStatus::READ_ONLY;
        err.code = ERR_ACCESS_DENIED;
        err.text = "Access Denied";
    } else if ((code & 0xFF) == SQLITE_NOTADB) {
        err.status = StoreStatus::NOT_OURS;
        err.code = ERR_INVALID_FILE;
        err.text = "Invalid File";
    } else {
        err.code = ERR_FILE_SYSTEM;
        err.text = "File System Error";
    }
    err.driverCode = code;
    err.driverText = sqlite3_errmsg(db);
}

std::string metaValue(sqlite3* db, const char* name, int& rc)
{
    sqlite3_stmt* s = nullptr;
    rc = sqlite3_prepare_v2(db, "SELECT value FROM tavlo_meta WHERE name = ?", -1, &s, nullptr);
    if (rc != SQLITE_OK)
        return {};
    sqlite3_bind_text(s, 1, name, -1, SQLITE_STATIC);
    std::string v;
    rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        v = p ? p : "";
        rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    return v;
}

void putMeta(sqlite3* db, const char* name, const std::string& value)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO tavlo_meta (name, value) VALUES (?, ?)", -1, &s,
                       nullptr);
    sqlite3_bind_text(s, 1, name, -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, value.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(s);
    sqlite3_finalize(s);
}

} // namespace storage

using namespace storage;

namespace {

constexpr const char* kFormat = "1";

int norCollation(void*, int la, const void* a, int lb, const void* b)
{
    return text::collate(std::string_view(static_cast<const char*>(a), la),
                         std::string_view(static_cast<const char*>(b), lb));
}

std::string_view textArg(sqlite3_value* v)
{
    auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string_view(p, sqlite3_value_bytes(v)) : std::string_view();
}

void sqlUpper(sqlite3_context* c, int, sqlite3_value** argv)
{
    std::string u = text::upper(textArg(argv[0]));
    sqlite3_result_text(c, u.data(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
}

void sqlInstring(sqlite3_context* c, int, sqlite3_value** argv)
{
    sqlite3_result_int64(c, text::instring(textArg(argv[0]), textArg(argv[1]),
                                           sqlite3_value_int64(argv[2]),
                                           sqlite3_value_int64(argv[3])));
}

} // namespace

void registerCollation(sqlite3* db)
{
    sqlite3_create_collation_v2(db, "NOR", SQLITE_UTF8, nullptr, norCollation, nullptr);
    int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "TAVLO_UPPER", 1, flags, nullptr, sqlUpper, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "TAVLO_INSTRING", 4, flags, nullptr, sqlInstring, nullptr,
                               nullptr, nullptr);
}

void setError(StoreError& err, StoreStatus s, int code, std::string text)
{
    err.status = s;
    err.code = code;
    err.text = std::move(text);
    err.driverCode = 0;
    err.driverText.clear();
}

int compareKey(const TableDecl& t, int key, const Record& a, const Record& b)
{
    for (const auto& c : t.keys[key].components) {
        int r = 0;
        if (isText(t, c.field))
            r = text::collate(a.str(c.field), b.str(c.field));
        else if (a.num(c.field) != b.num(c.field))
            r = a.num(c.field) < b.num(c.field) ? -1 : 1;
        if (r != 0)
            return c.ascending ? r : -r;
    }
    return 0;
}

TableFile::TableFile(sqlite3* db, std::string path, const TableDecl& decl, bool readOnly)
    : db_(db), path_(std::move(path)), decl_(decl), readOnly_(readOnly)
{
    std::random_device rd;
    revState_ = (static_cast<uint64_t>(rd()) << 32) ^ rd() ^ static_cast<uint64_t>(getpid());
}

TableFile::~TableFile()
{
    if (owner_)
        return; // a view: the connection is its owner's
    if (depth_ > 0)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
}

int64_t TableFile::newRevision()
{
    // splitmix64: distinct revisions without a shared counter between users
    uint64_t z = (revState_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<int64_t>((z ^ (z >> 31)) >> 1);
}

void TableFile::fail(StoreError& err, StoreStatus s) const
{
    failFrom(db_, err, s);
}

bool TableFile::numbers(int key, int field, std::vector<int64_t>& out, StoreError& err)
{
    constexpr int kPage = 500;
    std::vector<Row> rows;
    Record last(decl_);
    Bound b;
    for (;;) {
        rows.clear();
        if (!page(key, b, true, kPage, rows, err, false, nullptr))
            return false;
        for (const Row& r : rows)
            out.push_back(r.rec.num(field));
        if (static_cast<int>(rows.size()) < kPage)
            return true;
        last.copyFrom(rows.back().rec);
        b = Bound{Bound::AFTER, &last, rows.back().ref.rowid};
    }
}

bool TableFile::walkNumbers(int key, const Bound& from, const std::vector<int>& fields,
                            const SqlCondition* condition, std::vector<int64_t>& out,
                            StoreError& err)
{
    constexpr int kPage = 500;
    std::vector<Row> rows;
    Record last(decl_);
    Bound b = from;
    for (;;) {
        rows.clear();
        if (!page(key, b, true, kPage, rows, err, false, condition))
            return false;
        for (const Row& r : rows)
            for (int f : fields)
                out.push_back(r.rec.num(f));
        if (static_cast<int>(rows.size()) < kPage)
            return true;
        last.copyFrom(rows.back().rec);
        b = Bound{Bound::AFTER, &last, rows.back().ref.rowid};
    }
}

SqlCondition fieldBetween(const TableDecl& t, int field, int64_t lo, int64_t hi)
{
    SqlCondition c;
    c.sql = storage::quote(t.fields[field].column) + " BETWEEN ? AND ?";
    c.binds = {lo, hi};
    c.test = [field, lo, hi](const Record& r) {
        const int64_t v = r.num(field);
        return v >= lo && v <= hi;
    };
    return c;
}

bool TableFile::findEqual(int key, const Record& values, Row& out, StoreError& err)
{
    const KeyDecl& k = decl_.keys[key];
    if (k.notIndexed && keyIsEmpty(decl_, k, values)) {
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
        return false;
    }
    std::vector<Row> rows;
    Bound b{Bound::AT, &values, 0};
    if (!page(key, b, true, 1, rows, err, true, nullptr))
        return false;
    if (rows.empty() || compareKey(decl_, key, rows[0].rec, values) != 0) {
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
        return false;
    }
    out.ref = rows[0].ref;
    out.rec.copyFrom(rows[0].rec);
    return true;
}

bool TableFile::noteMissedWrite(const RowRef& ref, StoreError& err)
{
    // The record is there in another version, or not there at all.
    Record probe(decl_);
    RowRef other = ref;
    StoreError ignored;
    if (read(other, probe, ignored))
        setError(err, StoreStatus::CHANGED, ERR_RECORD_CHANGED,
                 "Record Changed By Another Station");
    else
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
    return false;
}

bool TableFile::exec(const char* sql, StoreError& err)
{
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    fail(err, StoreStatus::IO);
    return false;
}

bool TableFile::emptyWith(const std::string& sql, StoreError& err)
{
    if (readOnly_) {
        setError(err, StoreStatus::READ_ONLY, ERR_ACCESS_DENIED, "Access Denied");
        return false;
    }
    if (!begin(err))
        return false;
    if (!exec(sql.c_str(), err)) {
        rollback();
        return false;
    }
    return commit(err);
}

bool TableFile::probeWrite(int waitMs, StoreError& err)
{
    if (readOnly_) {
        setError(err, StoreStatus::READ_ONLY, ERR_ACCESS_DENIED, "Access Denied");
        return false;
    }
    setLockWait(db_, waitMs);
    bool ok = exec("BEGIN IMMEDIATE", err);
    if (ok)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    setLockWait(db_, kLockWaitMs);
    return ok;
}

bool TableFile::begin(StoreError& err)
{
    // The outermost level is the real transaction; inner levels are savepoints, so that a
    // failed step inside a batch or a relation tree undoes only itself.
    TableFile* o = owner();
    std::string sql = o->depth_ == 0 ? std::string("BEGIN IMMEDIATE")
                                     : "SAVEPOINT \"s" + std::to_string(o->depth_) + "\"";
    if (!o->exec(sql.c_str(), err))
        return false;
    ++o->depth_;
    return true;
}

bool TableFile::commit(StoreError& err)
{
    TableFile* o = owner();
    if (o->depth_ == 0)
        return true;
    std::string sql = o->depth_ == 1 ? std::string("COMMIT")
                                     : "RELEASE \"s" + std::to_string(o->depth_ - 1) + "\"";
    if (sqlite3_exec(o->db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        o->fail(err, StoreStatus::IO);
        o->rollback();
        return false;
    }
    --o->depth_;
    return true;
}

void TableFile::rollback()
{
    TableFile* o = owner();
    if (o->depth_ == 0)
        return;
    if (o->depth_ == 1) {
        sqlite3_exec(o->db_, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        std::string name = "\"s" + std::to_string(o->depth_ - 1) + "\"";
        sqlite3_exec(o->db_, ("ROLLBACK TO " + name + "; RELEASE " + name).c_str(), nullptr,
                     nullptr, nullptr);
    }
    --o->depth_;
}

std::unique_ptr<TableFile> TableFile::attach(const TableFile& file, const std::string& schema,
                                             StoreError& err)
{
    if (!isPlain(file)) {
        // sealed files keep to their own connection
        setError(err, StoreStatus::IO, ERR_FILE_SYSTEM, "File System Error");
        err.driverText = "the file cannot take part in a transaction";
        return nullptr;
    }
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, "ATTACH DATABASE ? AS ?", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, file.path().c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) {
        failFrom(db_, err, StoreStatus::IO);
        return nullptr;
    }
    return makePlain(db_, file.path(), file.decl(), file.readOnly(), schema, this);
}

void TableFile::detach(const std::string& schema)
{
    sqlite3_exec(db_, ("DETACH DATABASE " + quote(schema)).c_str(), nullptr, nullptr, nullptr);
}

std::string TableFile::queryPlan(const char* piece) const
{
    for (sqlite3_stmt* s = sqlite3_next_stmt(db_, nullptr); s; s = sqlite3_next_stmt(db_, s))
        if (const char* sql = sqlite3_sql(s); sql && std::strstr(sql, piece))
            return explainQueryPlan(db_, sql);
    return "?";
}

bool TableFile::verify(StoreError& err)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA quick_check(1)", -1, &s, nullptr) != SQLITE_OK) {
        failFrom(db_, err, StoreStatus::IO);
        return false;
    }
    std::string result;
    int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        result = p ? p : "";
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW) {
        failFrom(db_, err, StoreStatus::IO);
        if (err.status == StoreStatus::IO && (sqlite3_errcode(db_) & 0xFF) == SQLITE_CORRUPT)
            setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        return false;
    }
    if (result != "ok") {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        err.driverCode = SQLITE_CORRUPT;
        err.driverText = result;
        return false;
    }
    return true;
}

std::string explainQueryPlan(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* s = nullptr;
    if (sql.empty() ||
        sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr) != SQLITE_OK)
        return "?";
    std::string plan;
    while (sqlite3_step(s) == SQLITE_ROW) {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 3));
        plan += (plan.empty() ? "" : "; ") + std::string(p ? p : "");
    }
    sqlite3_finalize(s);
    return plan;
}

std::string recordLayout(const TableDecl& t)
{
    std::string out;
    for (const auto& f : t.fields)
        out += (out.empty() ? "" : ",") + f.column;
    out += ";";
    for (std::size_t m = 0; m < t.memos.size(); ++m)
        out += (m ? "," : "") + t.memos[m].column;
    return out;
}

bool TableFile::identify(const std::string& path, FileIdentity& out, StoreError& err)
{
    err = {};
    out = {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        setError(err, StoreStatus::NOT_FOUND, ERR_FILE_NOT_FOUND, "File Not Found");
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_size == 0) {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        return false;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        failFrom(db, err, StoreStatus::IO);
        sqlite3_close_v2(db);
        return false;
    }
    setLockWait(db, kLockWaitMs);
    sqlite3_extended_result_codes(db, 1);
    int rc = 0;
    out.table = metaValue(db, "table", rc);
    std::string format = rc == SQLITE_OK ? metaValue(db, "format", rc) : std::string();
    if (rc == SQLITE_OK)
        out.layout = metaValue(db, "fields", rc);
    bool ok = rc == SQLITE_OK && !out.table.empty() && format == kFormat;
    if (!ok) {
        int code = sqlite3_extended_errcode(db) & 0xFF;
        if (rc != SQLITE_OK && (code == SQLITE_BUSY || code == SQLITE_LOCKED))
            failFrom(db, err, StoreStatus::IO);
        else
            setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        if (err.status == StoreStatus::NOT_OURS && rc != SQLITE_OK) {
            err.driverCode = sqlite3_extended_errcode(db);
            err.driverText = sqlite3_errmsg(db);
        }
    }
    sqlite3_close_v2(db);
    return ok;
}

std::unique_ptr<TableFile> TableFile::open(const std::string& path, const TableDecl& decl,
                                           Mode mode, bool create, const std::string& ownerKey,
                                           StoreError& err)
{
    static const bool sodiumReady = sodium_init() >= 0;
    (void)sodiumReady;
    err = {};
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && !create) {
        setError(err, StoreStatus::NOT_FOUND, ERR_FILE_NOT_FOUND, "File Not Found");
        return nullptr;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        return nullptr;
    }
    bool readOnly = mode == Mode::READ_ONLY;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                (exists ? 0 : SQLITE_OPEN_CREATE) | SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        setError(err, exists ? StoreStatus::IO : StoreStatus::NOT_FOUND, ERR_FILE_SYSTEM,
                 "File System Error");
        err.driverCode = rc;
        err.driverText = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return nullptr;
    }
    registerCollation(db);
    setLockWait(db, kLockWaitMs);
    sqlite3_extended_result_codes(db, 1);
    auto ioFail = [&](StoreStatus s) {
        int code = sqlite3_extended_errcode(db);
        if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT)
            setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        else if ((code & 0xFF) == SQLITE_BUSY)
            setError(err, StoreStatus::LOCKED, ERR_ACCESS_DENIED, "Access Denied");
        else
            setError(err, s, ERR_FILE_SYSTEM, "File System Error");
        err.driverCode = code;
        err.driverText = sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        return nullptr;
    };
    if (!readOnly && sqlite3_db_readonly(db, "main") == 1)
        readOnly = true;

    // What is in the file: nothing yet (a new or empty file), or one of our tables.
    sqlite3_stmt* s = nullptr;
    auto countObjects = [&] {
        int n = -1;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &s, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            n = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        return n;
    };
    const bool sealed = isSealed(decl);
    int objects = countObjects();
    // Another program may be making the same file this moment: whoever has the write lock
    // makes the tables. The other, waiting for the lock, looks again meanwhile, since the maker
    // may go on writing records at once and leave it no gap to take the lock in.
    for (int tries = 0; objects == 0 && !readOnly && create; ++tries) {
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK)
            break;
        if ((sqlite3_errcode(db) & 0xFF) != SQLITE_BUSY || tries == 10)
            return ioFail(StoreStatus::IO);
        objects = countObjects();
    }
    if (objects < 0)
        return ioFail(StoreStatus::IO);

    if (objects == 0) {
        if (readOnly || !create) {
            setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
            sqlite3_close_v2(db);
            return nullptr;
        }
        objects = countObjects(); // now under the write lock
        std::string sql = "CREATE TABLE tavlo_meta (name TEXT PRIMARY KEY, value TEXT); ";
        sql += sealed ? sealedSchema(decl) : plainSchema(decl);
        if (objects < 0)
            return ioFail(StoreStatus::IO); // closing the connection ends its transaction
        if (objects > 0)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return ioFail(StoreStatus::IO);
        int mrc = 0;
        if (objects == 0 && metaValue(db, "table", mrc).empty()) {
            putMeta(db, "table", decl.name);
            putMeta(db, "format", kFormat);
            putMeta(db, "fields", recordLayout(decl));
            if (sealed)
                sealNew(db, ownerKey);
        }
        if (objects == 0 && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return ioFail(StoreStatus::IO);
        }
    }
    int mrc = 0;
    std::string owner = metaValue(db, "table", mrc);
    if (mrc != SQLITE_OK && mrc != SQLITE_ERROR)
        return ioFail(StoreStatus::IO);
    if (owner != decl.name || metaValue(db, "format", mrc) != kFormat) {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        sqlite3_close_v2(db);
        return nullptr;
    }
    // Files made before files noted their layout hold this version's record.
    if (std::string layout = metaValue(db, "fields", mrc);
        !layout.empty() && layout != recordLayout(decl)) {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        err.driverText = "Filen har poster av en annen utgave av tabellen";
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_exec(db, "PRAGMA synchronous=FULL; PRAGMA temp_store=MEMORY", nullptr, nullptr,
                 nullptr);
    if (!sealed)
        return makePlain(db, path, decl, readOnly);

    return openSealed(db, path, decl, readOnly, ownerKey, err);
}

} // namespace tavlo
