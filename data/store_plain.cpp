// Plain table files: one column per field and memo, one index per key.
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "data/store_p.h"
#include "framework/text.h"

namespace tavlo::storage {
namespace {

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
        sqlite3_stmt* s =
            prepare("SELECT rowid, \"_rev\", " + columns_ + (memos ? memoColumns_ : "") + " FROM " +
                        table_ + walkClauses(key, b, forward, condition) + " LIMIT ?",
                    err);
        if (!s)
            return false;
        Stmt guard(s);
        sqlite3_bind_int(s, bindWalk(s, key, b, condition), n);
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

    bool walkNumbers(int key, const Bound& from, const std::vector<int>& fields,
                     const SqlCondition* condition, std::vector<int64_t>& out,
                     StoreError& err) override
    {
        std::string columns;
        for (int f : fields)
            columns += (columns.empty() ? "" : ", ") + quote(decl_.fields[f].column);
        sqlite3_stmt* s = prepare(
            "SELECT " + columns + " FROM " + table_ + walkClauses(key, from, true, condition), err);
        if (!s)
            return false;
        Stmt guard(s);
        bindWalk(s, key, from, condition);
        const int n = static_cast<int>(fields.size());
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            for (int i = 0; i < n; ++i)
                out.push_back(sqlite3_column_int64(s, i));
        return rc == SQLITE_DONE || failStep(err);
    }

    bool numbers(int key, int field, std::vector<int64_t>& out, StoreError& err) override
    {
        const KeyDecl& k = decl_.keys[key];
        std::string sql = "SELECT " + quote(decl_.fields[field].column) + " FROM " + table_;
        if (k.notIndexed)
            sql += " WHERE " + notEmptyCondition(decl_, k);
        sql += " ORDER BY ";
        for (const auto& c : k.components)
            sql += quote(decl_.fields[c.field].column) + (c.ascending ? " ASC, " : " DESC, ");
        // Ties as a walk has them: a descending key is its ascending form reversed.
        const bool allDesc = std::none_of(k.components.begin(), k.components.end(),
                                          [](const KeyComponent& c) { return c.ascending; });
        sql += allDesc ? "rowid DESC" : "rowid ASC";
        sqlite3_stmt* s = prepare(sql, err);
        if (!s)
            return false;
        Stmt guard(s);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            out.push_back(sqlite3_column_int64(s, 0));
        return rc == SQLITE_DONE || failStep(err);
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

    // WHERE and ORDER BY of a walk in a key's order from a bound, with an extra condition.
    std::string walkClauses(int key, const Bound& b, bool forward, const SqlCondition* condition)
    {
        const KeyDecl& k = decl_.keys[key];
        std::vector<std::string> where;
        if (k.notIndexed)
            where.push_back(notEmptyCondition(decl_, k));
        const bool allAsc = std::all_of(k.components.begin(), k.components.end(),
                                        [](const KeyComponent& c) { return c.ascending; });
        const bool allDesc = std::none_of(k.components.begin(), k.components.end(),
                                          [](const KeyComponent& c) { return c.ascending; });
        // Records equal in a key follow each other in the order they were added; a descending
        // key is the exact reverse of its ascending form, so the tie goes the other way too.
        const bool up = allDesc ? !forward : forward;
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
        std::string sql;
        for (std::size_t i = 0; i < where.size(); ++i)
            sql += (i ? " AND " : " WHERE ") + where[i];
        sql += " ORDER BY ";
        for (const auto& c : k.components)
            sql += quote(decl_.fields[c.field].column) +
                   ((c.ascending == forward) ? " ASC, " : " DESC, ");
        return sql + "rowid " + (up ? "ASC" : "DESC");
    }

    // Binds what walkClauses() asks for; the next parameter's number.
    int bindWalk(sqlite3_stmt* s, int key, const Bound& b, const SqlCondition* condition)
    {
        const KeyDecl& k = decl_.keys[key];
        const bool same =
            std::all_of(k.components.begin(), k.components.end(), [&](const KeyComponent& c) {
                return c.ascending == k.components[0].ascending;
            });
        int i = 1;
        if (b.kind != Bound::EDGE) {
            if (same) {
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
        return i;
    }

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

} // namespace

std::string plainSchema(const TableDecl& t)
{
    return SqlTableFile::schema(t);
}

std::unique_ptr<TableFile> makePlain(sqlite3* db, const std::string& path, const TableDecl& decl,
                                     bool readOnly, const std::string& schema, TableFile* owner)
{
    return std::make_unique<SqlTableFile>(db, path, decl, readOnly, schema, owner);
}

bool isPlain(const TableFile& f)
{
    return dynamic_cast<const SqlTableFile*>(&f) != nullptr;
}

} // namespace tavlo::storage
