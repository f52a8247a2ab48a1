// Copies of table files while others use them.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "data/store_p.h"

namespace tavlo {

using namespace storage;

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
