#pragma once
// What the files of the table driver share: the helpers on a connection, and how the plain and
// the sealed table files are made. Nothing outside the driver includes this.
#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include "data/store.h"

namespace tavlo::storage {

// How long a write waits for another user's lock.
constexpr int kLockWaitMs = 2000;

void setLockWait(sqlite3* db, int waitMs);
std::string quote(std::string_view id);
bool isText(const TableDecl& t, int field);
// Whether every key field of `r` under `k` is zero or empty.
bool keyIsEmpty(const TableDecl& t, const KeyDecl& k, const Record& r);
// What the database reported last on a connection, as a platform error.
void failFrom(sqlite3* db, StoreError& err, StoreStatus s);
// The file's own notes (which table it holds, its format, a sealed file's salt).
std::string metaValue(sqlite3* db, const char* name, int& rc);
void putMeta(sqlite3* db, const char* name, const std::string& value);

// Plain tables: fields and memos are columns. A file of another connection is reached through
// `owner`'s connection where it is attached as `schema`.
std::string plainSchema(const TableDecl& t);
std::unique_ptr<TableFile> makePlain(sqlite3* db, const std::string& path, const TableDecl& decl,
                                     bool readOnly, const std::string& schema = "main",
                                     TableFile* owner = nullptr);
bool isPlain(const TableFile& f);

// Sealed tables: each record is one encrypted blob.
bool isSealed(const TableDecl& t);
std::string sealedSchema(const TableDecl& t);
// Notes a new sealed file's salt and the check that tells the owner key, inside the
// transaction that makes the file.
void sealNew(sqlite3* db, const std::string& ownerKey);
// The sealed file on `db` when `ownerKey` opens it; else BAD_PASSWORD and `db` is closed.
std::unique_ptr<TableFile> openSealed(sqlite3* db, const std::string& path, const TableDecl& decl,
                                      bool readOnly, const std::string& ownerKey, StoreError& err);

} // namespace tavlo::storage
