// Sealed table files: each record is one encrypted blob, so the file holds no readable field
// value; the owner key opens it.
#include <sodium.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include "data/store_p.h"
#include "framework/text.h"

namespace tavlo::storage {
namespace {

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

bool isSealed(const TableDecl& t)
{
    return t.base == Tbl::PARAM;
}

std::string sealedSchema(const TableDecl& t)
{
    return SealedTableFile::schema(t);
}

void sealNew(sqlite3* db, const std::string& ownerKey)
{
    unsigned char salt[16], key[crypto_secretbox_KEYBYTES];
    randombytes_buf(salt, sizeof salt);
    deriveKey(ownerKey, salt, key);
    std::string check(
        crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + std::strlen(kCheckText), '\0');
    auto* n = reinterpret_cast<unsigned char*>(check.data());
    randombytes_buf(n, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(n + crypto_secretbox_NONCEBYTES,
                          reinterpret_cast<const unsigned char*>(kCheckText),
                          std::strlen(kCheckText), n, key);
    putMeta(db, "salt", toHex(salt, sizeof salt));
    putMeta(db, "check", toHex(n, check.size()));
    sodium_memzero(key, sizeof key);
}

std::unique_ptr<TableFile> openSealed(sqlite3* db, const std::string& path, const TableDecl& decl,
                                      bool readOnly, const std::string& ownerKey, StoreError& err)
{
    int mrc = 0;
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
    auto file = std::make_unique<SealedTableFile>(db, path, decl, readOnly, key);
    sodium_memzero(key, sizeof key);
    return file;
}

} // namespace tavlo::storage
