#include "data/store.h"

#include <sodium.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <unordered_map>

#include "framework/text.h"

namespace tavlo {
namespace {

constexpr const char* kFormat = "1";
constexpr int kLockWaitMs = 2000;

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

int norCollation(void*, int la, const void* a, int lb, const void* b)
{
    return text::collate(std::string_view(static_cast<const char*>(a), la),
                         std::string_view(static_cast<const char*>(b), lb));
}

std::string quote(std::string_view id)
{
    return "\"" + std::string(id) + "\"";
}

bool isText(const TableDecl& t, int field)
{
    return t.fields[field].type == FieldType::TEXT;
}

// The condition that leaves out records whose key fields are all zero or empty.
std::string notEmptyCondition(const TableDecl& t, const KeyDecl& k)
{
    std::string s = "(";
    for (std::size_t i = 0; i < k.components.size(); ++i) {
        int f = k.components[i].field;
        if (i)
            s += " OR ";
        s += quote(t.fields[f].column) + (isText(t, f) ? " <> ''" : " <> 0");
    }
    return s + ")";
}

bool keyIsEmpty(const TableDecl& t, const KeyDecl& k, const Record& r)
{
    for (const auto& c : k.components)
        if (isText(t, c.field) ? !r.str(c.field).empty() : r.num(c.field) != 0)
            return false;
    return true;
}

class Stmt {
  public:
    Stmt() = default;
    explicit Stmt(sqlite3_stmt* s) : s_(s) {}
    ~Stmt() { sqlite3_reset(s_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    sqlite3_stmt* get() const { return s_; }
    operator sqlite3_stmt*() const { return s_; }

  private:
    sqlite3_stmt* s_ = nullptr;
};

} // namespace

namespace {

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

namespace {

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

} // namespace

void TableFile::fail(StoreError& err, StoreStatus s) const
{
    failFrom(db_, err, s);
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

namespace {

// ---------------------------------------------------------------------------------------------
// Plain tables: fields and memos are columns.

class SqlTableFile : public TableFile {
  public:
    SqlTableFile(sqlite3* db, std::string path, const TableDecl& decl, bool readOnly,
                 const std::string& schema = "main", TableFile* owner = nullptr)
        : TableFile(db, std::move(path), decl, readOnly)
    {
        owner_ = owner;
        table_ = quote(schema) + "." + quote(decl.name);
        for (const auto& f : decl.fields)
            columns_ += (columns_.empty() ? "" : ", ") + quote(f.column);
        for (const auto& m : decl.memos)
            memoColumns_ += ", " + quote(m.column);
    }

    ~SqlTableFile() override
    {
        for (auto& [sql, s] : stmts_)
            sqlite3_finalize(s);
    }

    static std::string schema(const TableDecl& t)
    {
        std::string sql = "CREATE TABLE IF NOT EXISTS " + quote(t.name) + " (";
        for (const auto& f : t.fields)
            sql += quote(f.column) +
                   (f.type == FieldType::TEXT ? " TEXT COLLATE NOR NOT NULL DEFAULT ''"
                                              : " INTEGER NOT NULL DEFAULT 0") +
                   ", ";
        for (const auto& m : t.memos)
            sql += quote(m.column) + " TEXT NOT NULL DEFAULT '', ";
        sql += "\"_rev\" INTEGER NOT NULL DEFAULT 0);\n";
        for (const auto& k : t.keys) {
            sql += std::string("CREATE ") + (k.unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS " +
                   quote(indexName(t, k)) + " ON " + quote(t.name) + " (";
            for (std::size_t i = 0; i < k.components.size(); ++i)
                sql += (i ? ", " : "") + quote(t.fields[k.components[i].field].column) +
                       (k.components[i].ascending ? "" : " DESC");
            sql += ")";
            if (k.notIndexed)
                sql += " WHERE " + notEmptyCondition(t, k);
            sql += ";\n";
        }
        return sql;
    }

    static std::string indexName(const TableDecl& t, const KeyDecl& k)
    {
        return t.name + "_" + k.name.substr(k.name.find(':') + 1);
    }

    bool keysIntact() override
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_,
                               "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND "
                               "tbl_name = ? AND sql IS NOT NULL",
                               -1, &s, nullptr) != SQLITE_OK)
            return false;
        sqlite3_bind_text(s, 1, decl_.name.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::string> found;
        while (sqlite3_step(s) == SQLITE_ROW) {
            auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            found.emplace_back(p ? p : "");
        }
        sqlite3_finalize(s);
        if (found.size() != decl_.keys.size())
            return false;
        for (const auto& k : decl_.keys)
            if (std::find(found.begin(), found.end(), indexName(decl_, k)) == found.end())
                return false;
        return true;
    }

    bool rebuildKeys(StoreError& err) override
    {
        if (readOnly_) {
            setError(err, StoreStatus::READ_ONLY, ERR_ACCESS_DENIED, "Access Denied");
            return false;
        }
        if (!begin(err))
            return false;
        // Drop whatever indexes the table has, then make the declared ones again.
        std::vector<std::string> names;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db_,
                           "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? "
                           "AND sql IS NOT NULL",
                           -1, &s, nullptr);
        sqlite3_bind_text(s, 1, decl_.name.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(s) == SQLITE_ROW)
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        for (const auto& n : names)
            if (!exec(("DROP INDEX " + quote(n)).c_str(), err)) {
                rollback();
                return false;
            }
        if (!exec(schema(decl_).c_str(), err) || !exec("REINDEX", err)) {
            rollback();
            return false;
        }
        for (auto& [sql, st] : stmts_)
            sqlite3_finalize(st);
        stmts_.clear();
        return commit(err);
    }

    bool insert(const Record& r, RowRef& out, StoreError& err) override
    {
        std::string sql = "INSERT INTO " + table_ + " (" + columns_ + memoColumns_ +
                          ", \"_rev\") VALUES (" + placeholders(fieldCount() + 1) + ")";
        sqlite3_stmt* s = prepare(sql, err);
        if (!s)
            return false;
        Stmt guard(s);
        int i = bindRecord(s, r, 1);
        int64_t rev = newRevision();
        sqlite3_bind_int64(s, i, rev);
        if (sqlite3_step(s) != SQLITE_DONE)
            return failStep(err);
        out.rowid = sqlite3_last_insert_rowid(db_);
        out.rev = rev;
        return true;
    }

    bool update(RowRef& ref, const Record& r, StoreError& err) override
    {
        std::string sql = "UPDATE " + table_ + " SET ";
        bool first = true;
        for (const auto& f : decl_.fields) {
            sql += (first ? "" : ", ") + quote(f.column) + " = ?";
            first = false;
        }
        for (const auto& m : decl_.memos)
            sql += ", " + quote(m.column) + " = ?";
        sql += ", \"_rev\" = ? WHERE rowid = ? AND \"_rev\" = ?";
        sqlite3_stmt* s = prepare(sql, err);
        if (!s)
            return false;
        Stmt guard(s);
        int i = bindRecord(s, r, 1);
        int64_t rev = newRevision();
        sqlite3_bind_int64(s, i++, rev);
        sqlite3_bind_int64(s, i++, ref.rowid);
        sqlite3_bind_int64(s, i++, ref.rev);
        if (sqlite3_step(s) != SQLITE_DONE)
            return failStep(err);
        if (sqlite3_changes(db_) == 0)
            return noteMissedWrite(ref, err);
        ref.rev = rev;
        return true;
    }

    bool remove(const RowRef& ref, StoreError& err) override
    {
        sqlite3_stmt* s = prepare("DELETE FROM " + table_ + " WHERE rowid = ?", err);
        if (!s)
            return false;
        Stmt guard(s);
        sqlite3_bind_int64(s, 1, ref.rowid);
        if (sqlite3_step(s) != SQLITE_DONE)
            return failStep(err);
        if (sqlite3_changes(db_) == 0) {
            setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
            return false;
        }
        return true;
    }

    bool read(RowRef& ref, Record& out, StoreError& err) override
    {
        sqlite3_stmt* s = prepare("SELECT rowid, \"_rev\", " + columns_ + memoColumns_ + " FROM " +
                                      table_ + " WHERE rowid = ?",
                                  err);
        if (!s)
            return false;
        Stmt guard(s);
        sqlite3_bind_int64(s, 1, ref.rowid);
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            ref.rev = sqlite3_column_int64(s, 1);
            load(s, out, true);
            return true;
        }
        if (rc == SQLITE_DONE) {
            setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
            return false;
        }
        return failStep(err);
    }

    bool page(int key, const Bound& b, bool forward, int n, std::vector<Row>& out, StoreError& err,
              bool memos, const SqlCondition* condition) override
    {
        const KeyDecl& k = decl_.keys[key];
        std::string sql =
            "SELECT rowid, \"_rev\", " + columns_ + (memos ? memoColumns_ : "") + " FROM " + table_;
        std::vector<std::string> where;
        if (k.notIndexed)
            where.push_back(notEmptyCondition(decl_, k));
        bool allAsc = std::all_of(k.components.begin(), k.components.end(),
                                  [](const KeyComponent& c) { return c.ascending; });
        bool allDesc = std::none_of(k.components.begin(), k.components.end(),
                                    [](const KeyComponent& c) { return c.ascending; });
        // Records equal in a key follow each other in the order they were added; a descending
        // key is the exact reverse of its ascending form, so the tie goes the other way too.
        bool up = allDesc ? !forward : forward;
        if (b.kind != Bound::EDGE) {
            if (allAsc || allDesc) {
                std::string lhs = "(", rhs = "(";
                for (std::size_t i = 0; i < k.components.size(); ++i) {
                    lhs += (i ? ", " : "") + quote(decl_.fields[k.components[i].field].column);
                    rhs += i ? ", ?" : "?";
                }
                if (b.kind == Bound::AFTER) {
                    lhs += ", rowid";
                    rhs += ", ?";
                }
                std::string op =
                    b.kind == Bound::AFTER ? (up ? " > " : " < ") : (up ? " >= " : " <= ");
                where.push_back(lhs + ")" + op + rhs + ")");
            } else {
                where.push_back(mixedBound(k, b.kind == Bound::AFTER, forward));
            }
        }
        if (condition && !condition->sql.empty())
            where.push_back("(" + condition->sql + ")");
        if (!where.empty()) {
            sql += " WHERE ";
            for (std::size_t i = 0; i < where.size(); ++i)
                sql += (i ? " AND " : "") + where[i];
        }
        sql += " ORDER BY ";
        for (const auto& c : k.components)
            sql += quote(decl_.fields[c.field].column) +
                   ((c.ascending == forward) ? " ASC, " : " DESC, ");
        sql += std::string("rowid ") + (up ? "ASC" : "DESC") + " LIMIT ?";
        sqlite3_stmt* s = prepare(sql, err);
        if (!s)
            return false;
        Stmt guard(s);
        int i = 1;
        if (b.kind != Bound::EDGE) {
            if (allAsc || allDesc) {
                for (const auto& c : k.components)
                    bindField(s, i++, *b.values, c.field);
                if (b.kind == Bound::AFTER)
                    sqlite3_bind_int64(s, i++, b.rowid);
            } else {
                i = bindMixed(s, i, k, *b.values, b.kind == Bound::AFTER, b.rowid);
            }
        }
        if (condition && !condition->sql.empty()) {
            for (const auto& v : condition->binds) {
                if (const auto* n64 = std::get_if<int64_t>(&v))
                    sqlite3_bind_int64(s, i++, *n64);
                else {
                    const auto& t = std::get<std::string>(v);
                    sqlite3_bind_text(s, i++, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
                }
            }
        }
        sqlite3_bind_int(s, i, n);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Row row{{sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1)}, Record(decl_)};
            load(s, row.rec, memos);
            out.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            return failStep(err);
        return true;
    }

    int duplicatedKey(const Record& r, int64_t self) override
    {
        for (std::size_t key = 0; key < decl_.keys.size(); ++key) {
            const KeyDecl& k = decl_.keys[key];
            if (!k.unique || (k.notIndexed && keyIsEmpty(decl_, k, r)))
                continue;
            Row row{{}, Record(decl_)};
            StoreError err;
            if (findEqual(static_cast<int>(key), r, row, err) && row.ref.rowid != self)
                return static_cast<int>(key);
        }
        return -1;
    }

    int64_t count(StoreError& err) override
    {
        sqlite3_stmt* s = prepare("SELECT count(*) FROM " + table_, err);
        if (!s)
            return -1;
        Stmt guard(s);
        if (sqlite3_step(s) != SQLITE_ROW) {
            failStep(err);
            return -1;
        }
        return sqlite3_column_int64(s, 0);
    }

    bool removeAll(StoreError& err) override { return emptyWith("DELETE FROM " + table_, err); }

  private:
    int fieldCount() const { return static_cast<int>(decl_.fields.size() + decl_.memos.size()); }

    static std::string placeholders(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += i ? ", ?" : "?";
        return s;
    }

    sqlite3_stmt* prepare(const std::string& sql, StoreError& err)
    {
        auto it = stmts_.find(sql);
        if (it != stmts_.end())
            return it->second;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
            SQLITE_OK) {
            fail(err, StoreStatus::IO);
            return nullptr;
        }
        stmts_.emplace(sql, s);
        return s;
    }

    bool failStep(StoreError& err)
    {
        int code = sqlite3_extended_errcode(db_);
        if (code == SQLITE_CONSTRAINT_UNIQUE) {
            setError(err, StoreStatus::DUPLICATE, ERR_DUPLICATE_KEY, "Creates Duplicate Key");
            err.driverCode = code;
            err.driverText = sqlite3_errmsg(db_);
            return false;
        }
        fail(err, StoreStatus::IO);
        return false;
    }

    void bindField(sqlite3_stmt* s, int i, const Record& r, int f)
    {
        if (isText(decl_, f))
            sqlite3_bind_text(s, i, r.str(f).data(), static_cast<int>(r.str(f).size()),
                              SQLITE_STATIC);
        else
            sqlite3_bind_int64(s, i, r.num(f));
    }

    int bindRecord(sqlite3_stmt* s, const Record& r, int i)
    {
        for (std::size_t f = 0; f < decl_.fields.size(); ++f)
            bindField(s, i++, r, static_cast<int>(f));
        for (std::size_t m = 0; m < decl_.memos.size(); ++m)
            sqlite3_bind_text(s, i++, r.memo(m).data(), static_cast<int>(r.memo(m).size()),
                              SQLITE_STATIC);
        return i;
    }

    void load(sqlite3_stmt* s, Record& r, bool memos)
    {
        int col = 2;
        for (std::size_t f = 0; f < decl_.fields.size(); ++f, ++col) {
            if (isText(decl_, static_cast<int>(f))) {
                auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
                r.setStr(static_cast<int>(f),
                         std::string_view(p ? p : "", sqlite3_column_bytes(s, col)));
            } else {
                r.setNum(static_cast<int>(f), sqlite3_column_int64(s, col));
            }
        }
        for (std::size_t m = 0; m < decl_.memos.size(); ++m, ++col) {
            if (!memos) {
                r.setMemo(static_cast<int>(m), "");
                continue;
            }
            auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
            r.setMemo(static_cast<int>(m),
                      std::string_view(p ? p : "", sqlite3_column_bytes(s, col)));
        }
    }

    // Keys whose components run in different directions: the lexicographic bound spelled out.
    std::string mixedBound(const KeyDecl& k, bool strict, bool forward)
    {
        std::string s, close;
        for (std::size_t i = 0; i < k.components.size(); ++i) {
            const auto& c = k.components[i];
            bool greater = c.ascending == forward;
            std::string col = quote(decl_.fields[c.field].column);
            bool last = i + 1 == k.components.size();
            if (last && !strict) {
                s += col + (greater ? " >= ?" : " <= ?");
            } else {
                s += "(" + col + (greater ? " > ?" : " < ?") + " OR (" + col + " = ? AND ";
                close += "))";
            }
        }
        if (strict)
            s += std::string("rowid ") + (forward ? "> ?" : "< ?");
        return "(" + s + close + ")";
    }

    int bindMixed(sqlite3_stmt* s, int i, const KeyDecl& k, const Record& v, bool strict,
                  int64_t rowid)
    {
        for (std::size_t c = 0; c < k.components.size(); ++c) {
            bool last = c + 1 == k.components.size();
            bindField(s, i++, v, k.components[c].field);
            if (!(last && !strict))
                bindField(s, i++, v, k.components[c].field);
        }
        if (strict)
            sqlite3_bind_int64(s, i++, rowid);
        return i;
    }

    std::string table_, columns_, memoColumns_;
    std::unordered_map<std::string, sqlite3_stmt*> stmts_;
};

// ---------------------------------------------------------------------------------------------
// Sealed tables: each record is one encrypted blob; the file holds no readable field value.
// Only the parameter table is sealed and it holds one record, so walks sort in memory.

class SealedTableFile : public TableFile {
  public:
    SealedTableFile(sqlite3* db, std::string path, const TableDecl& decl, bool readOnly,
                    const unsigned char* key)
        : TableFile(db, std::move(path), decl, readOnly)
    {
        std::memcpy(key_, key, sizeof key_);
    }
    ~SealedTableFile() override { sodium_memzero(key_, sizeof key_); }

    static std::string schema(const TableDecl& t)
    {
        return "CREATE TABLE IF NOT EXISTS " + quote(t.name) +
               " (\"_rev\" INTEGER NOT NULL DEFAULT 0, \"_data\" BLOB NOT NULL);";
    }

    bool insert(const Record& r, RowRef& out, StoreError& err) override
    {
        if (duplicatedKey(r, 0) >= 0) {
            setError(err, StoreStatus::DUPLICATE, ERR_DUPLICATE_KEY, "Creates Duplicate Key");
            return false;
        }
        std::string blob = seal(r);
        int64_t rev = newRevision();
        if (!run("INSERT INTO " + quote(decl_.name) + " (\"_rev\", \"_data\") VALUES (?, ?)", {rev},
                 &blob, err))
            return false;
        out.rowid = sqlite3_last_insert_rowid(db_);
        out.rev = rev;
        return true;
    }

    bool update(RowRef& ref, const Record& r, StoreError& err) override
    {
        if (duplicatedKey(r, ref.rowid) >= 0) {
            setError(err, StoreStatus::DUPLICATE, ERR_DUPLICATE_KEY, "Creates Duplicate Key");
            return false;
        }
        std::string blob = seal(r);
        int64_t rev = newRevision();
        if (!run("UPDATE " + quote(decl_.name) +
                     " SET \"_rev\" = ?, \"_data\" = ?2 WHERE rowid = ?3 AND \"_rev\" = ?4",
                 {rev, 0, ref.rowid, ref.rev}, &blob, err))
            return false;
        if (sqlite3_changes(db_) == 0)
            return noteMissedWrite(ref, err);
        ref.rev = rev;
        return true;
    }

    bool remove(const RowRef& ref, StoreError& err) override
    {
        if (!run("DELETE FROM " + quote(decl_.name) + " WHERE rowid = ?", {ref.rowid}, nullptr,
                 err))
            return false;
        if (sqlite3_changes(db_) == 0) {
            setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
            return false;
        }
        return true;
    }

    bool read(RowRef& ref, Record& out, StoreError& err) override
    {
        std::vector<Row> all;
        if (!loadAll(all, err))
            return false;
        for (auto& row : all)
            if (row.ref.rowid == ref.rowid) {
                ref.rev = row.ref.rev;
                out.copyFrom(row.rec);
                return true;
            }
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
        return false;
    }

    bool page(int key, const Bound& b, bool forward, int n, std::vector<Row>& out, StoreError& err,
              bool, const SqlCondition* condition) override
    {
        std::vector<Row> all;
        if (!loadAll(all, err))
            return false;
        const KeyDecl& k = decl_.keys[key];
        auto less = [&](const Row& x, const Row& y) {
            int c = compareKey(decl_, key, x.rec, y.rec);
            return c != 0 ? c < 0 : x.ref.rowid < y.ref.rowid;
        };
        std::sort(all.begin(), all.end(), less);
        if (!forward)
            std::reverse(all.begin(), all.end());
        for (auto& row : all) {
            if (k.notIndexed && keyIsEmpty(decl_, k, row.rec))
                continue;
            if (b.kind != Bound::EDGE) {
                int c = compareKey(decl_, key, row.rec, *b.values);
                if (!forward)
                    c = -c;
                if (b.kind == Bound::AT && c < 0)
                    continue;
                if (b.kind == Bound::AFTER &&
                    (c < 0 ||
                     (c == 0 && (forward ? row.ref.rowid <= b.rowid : row.ref.rowid >= b.rowid))))
                    continue;
            }
            if (condition && condition->test && !condition->test(row.rec))
                continue;
            if (static_cast<int>(out.size()) >= n)
                break;
            out.push_back(std::move(row));
        }
        return true;
    }

    int duplicatedKey(const Record& r, int64_t self) override
    {
        std::vector<Row> all;
        StoreError err;
        if (!loadAll(all, err))
            return -1;
        for (std::size_t key = 0; key < decl_.keys.size(); ++key) {
            const KeyDecl& k = decl_.keys[key];
            if (!k.unique || (k.notIndexed && keyIsEmpty(decl_, k, r)))
                continue;
            for (const auto& row : all)
                if (row.ref.rowid != self &&
                    compareKey(decl_, static_cast<int>(key), row.rec, r) == 0)
                    return static_cast<int>(key);
        }
        return -1;
    }

    int64_t count(StoreError& err) override
    {
        std::vector<Row> all;
        return loadAll(all, err) ? static_cast<int64_t>(all.size()) : -1;
    }

    bool removeAll(StoreError& err) override
    {
        return emptyWith("DELETE FROM " + quote(decl_.name), err);
    }

  private:
    std::string seal(const Record& r) const
    {
        std::string plain;
        auto putNum = [&](int64_t v) { plain.append(reinterpret_cast<const char*>(&v), 8); };
        auto putStr = [&](const std::string& s) {
            putNum(static_cast<int64_t>(s.size()));
            plain += s;
        };
        for (std::size_t f = 0; f < decl_.fields.size(); ++f)
            isText(decl_, static_cast<int>(f)) ? putStr(r.str(f)) : putNum(r.num(f));
        for (std::size_t m = 0; m < decl_.memos.size(); ++m)
            putStr(r.memo(m));
        std::string out(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + plain.size(),
                        '\0');
        auto* nonce = reinterpret_cast<unsigned char*>(out.data());
        randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
        crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES,
                              reinterpret_cast<const unsigned char*>(plain.data()), plain.size(),
                              nonce, key_);
        return out;
    }

    bool unseal(const void* data, int size, Record& r) const
    {
        if (size < static_cast<int>(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES))
            return false;
        auto* in = static_cast<const unsigned char*>(data);
        std::string plain(size - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
        if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                       in + crypto_secretbox_NONCEBYTES,
                                       size - crypto_secretbox_NONCEBYTES, in, key_) != 0)
            return false;
        std::size_t pos = 0;
        auto getNum = [&](int64_t& v) {
            if (pos + 8 > plain.size())
                return false;
            std::memcpy(&v, plain.data() + pos, 8);
            pos += 8;
            return true;
        };
        auto getStr = [&](std::string& s) {
            int64_t n = 0;
            if (!getNum(n) || n < 0 || pos + n > plain.size())
                return false;
            s.assign(plain.data() + pos, n);
            pos += n;
            return true;
        };
        for (std::size_t f = 0; f < decl_.fields.size(); ++f) {
            if (isText(decl_, static_cast<int>(f))) {
                std::string s;
                if (!getStr(s))
                    return false;
                r.setStr(static_cast<int>(f), s);
            } else {
                int64_t v = 0;
                if (!getNum(v))
                    return false;
                r.setNum(static_cast<int>(f), v);
            }
        }
        for (std::size_t m = 0; m < decl_.memos.size(); ++m) {
            std::string s;
            if (!getStr(s))
                return false;
            r.setMemo(static_cast<int>(m), s);
        }
        return true;
    }

    bool loadAll(std::vector<Row>& out, StoreError& err)
    {
        sqlite3_stmt* s = nullptr;
        std::string sql = "SELECT rowid, \"_rev\", \"_data\" FROM " + quote(decl_.name);
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            fail(err, StoreStatus::IO);
            return false;
        }
        int rc;
        bool ok = true;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Row row{{sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1)}, Record(decl_)};
            if (!unseal(sqlite3_column_blob(s, 2), sqlite3_column_bytes(s, 2), row.rec)) {
                setError(err, StoreStatus::BAD_PASSWORD, ERR_INVALID_PASSWORD,
                         "Invalid Owner Password");
                ok = false;
                break;
            }
            out.push_back(std::move(row));
        }
        if (ok && rc != SQLITE_DONE) {
            fail(err, StoreStatus::IO);
            ok = false;
        }
        sqlite3_finalize(s);
        return ok;
    }

    bool run(const std::string& sql, std::vector<int64_t> nums, const std::string* blob,
             StoreError& err)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            fail(err, StoreStatus::IO);
            return false;
        }
        for (std::size_t i = 0; i < nums.size(); ++i)
            sqlite3_bind_int64(s, static_cast<int>(i + 1), nums[i]);
        if (blob)
            sqlite3_bind_blob(s, 2, blob->data(), static_cast<int>(blob->size()), SQLITE_STATIC);
        int rc = sqlite3_step(s);
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE) {
            fail(err, StoreStatus::IO);
            return false;
        }
        return true;
    }

    unsigned char key_[crypto_secretbox_KEYBYTES];
};

bool isSealed(const TableDecl& t)
{
    return t.base == Tbl::PARAM;
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

std::string toHex(const unsigned char* p, std::size_t n)
{
    std::string s(n * 2 + 1, '\0');
    sodium_bin2hex(s.data(), s.size(), p, n);
    s.pop_back();
    return s;
}

// The owner password is the same for every installation, so stretching it would buy nothing;
// a keyed hash with the file's own salt gives each file its own key.
void deriveKey(const std::string& password, const unsigned char* salt, unsigned char* key)
{
    crypto_generichash(key, crypto_secretbox_KEYBYTES,
                       reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                       salt, 16);
}

constexpr const char* kCheckText = "tavlo-owner";

} // namespace

std::unique_ptr<TableFile> TableFile::attachedView(const TableFile& file, const std::string& schema)
{
    if (dynamic_cast<const SqlTableFile*>(&file) == nullptr)
        return nullptr; // sealed files keep to their own connection
    return std::make_unique<SqlTableFile>(db_, file.path(), file.decl(), file.readOnly(), schema,
                                          this);
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
        sql += sealed ? SealedTableFile::schema(decl) : SqlTableFile::schema(decl);
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
            if (sealed) {
                unsigned char salt[16], key[crypto_secretbox_KEYBYTES];
                randombytes_buf(salt, sizeof salt);
                deriveKey(ownerKey, salt, key);
                std::string check(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES +
                                      std::strlen(kCheckText),
                                  '\0');
                auto* n = reinterpret_cast<unsigned char*>(check.data());
                randombytes_buf(n, crypto_secretbox_NONCEBYTES);
                crypto_secretbox_easy(n + crypto_secretbox_NONCEBYTES,
                                      reinterpret_cast<const unsigned char*>(kCheckText),
                                      std::strlen(kCheckText), n, key);
                putMeta(db, "salt", toHex(salt, sizeof salt));
                putMeta(db, "check", toHex(n, check.size()));
                sodium_memzero(key, sizeof key);
            }
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
    sqlite3_exec(db, "PRAGMA synchronous=FULL; PRAGMA temp_store=MEMORY", nullptr, nullptr,
                 nullptr);
    if (!sealed)
        return std::unique_ptr<TableFile>(new SqlTableFile(db, path, decl, readOnly));

    unsigned char salt[16], key[crypto_secretbox_KEYBYTES];
    std::string saltHex = metaValue(db, "salt", mrc), checkHex = metaValue(db, "check", mrc);
    std::string check(checkHex.size() / 2, '\0');
    std::size_t saltLen = 0, checkLen = 0;
    bool ok = sodium_hex2bin(salt, sizeof salt, saltHex.c_str(), saltHex.size(), nullptr, &saltLen,
                             nullptr) == 0 &&
              saltLen == sizeof salt &&
              sodium_hex2bin(reinterpret_cast<unsigned char*>(check.data()), check.size(),
                             checkHex.c_str(), checkHex.size(), nullptr, &checkLen, nullptr) == 0 &&
              checkLen > crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES;
    if (ok) {
        deriveKey(ownerKey, salt, key);
        std::string plain(checkLen - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES, '\0');
        auto* c = reinterpret_cast<const unsigned char*>(check.data());
        ok = crypto_secretbox_open_easy(reinterpret_cast<unsigned char*>(plain.data()),
                                        c + crypto_secretbox_NONCEBYTES,
                                        checkLen - crypto_secretbox_NONCEBYTES, c, key) == 0 &&
             plain == kCheckText;
    }
    if (!ok) {
        sodium_memzero(key, sizeof key);
        setError(err, StoreStatus::BAD_PASSWORD, ERR_INVALID_PASSWORD, "Invalid Owner Password");
        sqlite3_close_v2(db);
        return nullptr;
    }
    auto file = std::unique_ptr<TableFile>(new SealedTableFile(db, path, decl, readOnly, key));
    sodium_memzero(key, sizeof key);
    return file;
}

bool copyTableFile(const std::string& from, const std::string& to, StoreError& err)
{
    err = {};
    struct stat src {};
    struct stat dst {};
    if (::stat(from.c_str(), &src) != 0) {
        setError(err, StoreStatus::NOT_FOUND, ERR_FILE_NOT_FOUND, "File Not Found");
        return false;
    }
    if (!S_ISREG(src.st_mode)) {
        setError(err, StoreStatus::NOT_OURS, ERR_INVALID_FILE, "Invalid File");
        return false;
    }
    // The copy is renamed over its target: over the file itself, every program that has it
    // open would go on writing to a file that is gone.
    if (::stat(to.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) {
        setError(err, StoreStatus::IO, ERR_ACCESS_DENIED, "Access Denied");
        return false;
    }

    static std::atomic<unsigned> serial{0};
    const std::string tmp = to + ".~" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    sqlite3* in = nullptr;
    sqlite3* out = nullptr;
    auto finish = [&](bool ok) {
        sqlite3_close_v2(out);
        sqlite3_close_v2(in);
        if (ok && ::rename(tmp.c_str(), to.c_str()) != 0) {
            setError(err, StoreStatus::IO, ERR_ACCESS_DENIED, "Access Denied");
            err.driverText = std::strerror(errno);
            ok = false;
        }
        if (!ok) {
            ::unlink(tmp.c_str());
            ::unlink((tmp + "-journal").c_str());
        }
        return ok;
    };
    // Read-write without creating: a hot journal left by a crashed writer is rolled back first,
    // which a read-only connection could not do.
    if (sqlite3_open_v2(from.c_str(), &in, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        failFrom(in, err, StoreStatus::IO);
        return finish(false);
    }
    setLockWait(in, kLockWaitMs);
    if (sqlite3_open_v2(tmp.c_str(), &out,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        failFrom(out, err, StoreStatus::IO);
        return finish(false);
    }
    sqlite3_backup* b = sqlite3_backup_init(out, "main", in, "main");
    if (!b) {
        failFrom(out, err, StoreStatus::IO);
        return finish(false);
    }
    // All pages in one step, under one read lock: the copy is one state of the file. A writer
    // holding the file is waited for a while, not for ever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int rc;
    while ((rc = sqlite3_backup_step(b, -1)) != SQLITE_DONE) {
        const bool busy = rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
        if (!busy || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const bool finished = sqlite3_backup_finish(b) == SQLITE_OK;
    if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        setError(err, StoreStatus::LOCKED, ERR_ACCESS_DENIED, "Access Denied");
        return finish(false);
    }
    if (!finished || rc != SQLITE_DONE) {
        failFrom(out, err, StoreStatus::IO);
        return finish(false);
    }
    return finish(true);
}

} // namespace tavlo
