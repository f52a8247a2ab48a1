#include "framework/transaction.h"

#include <algorithm>

#include "data/context.h"
#include "framework/filemanager.h"

namespace tavlo {

Transaction::~Transaction()
{
    if (begun_)
        rollback();
    finish();
}

bool Transaction::enlist(FileManager& m, StoreError& err)
{
    if (m.USEFILE() != LEVEL_BENIGN || !m.file()) {
        setError(err, StoreStatus::IO, ERR_FILE_SYSTEM, "File System Error");
        return false;
    }
    const std::string& path = m.filePath();
    if (std::find(paths_.begin(), paths_.end(), path) != paths_.end())
        return true;
    TableFile* current = m.file(); // a view already when an outer transaction runs
    if (!root_) {
        root_ = current;
        rootPath_ = path;
        paths_.push_back(path);
        return true;
    }
    if (root_->inTransaction() || current->inTransaction()) {
        // Inside an outer transaction: fine when it already holds this file too.
        if (ctx_.routeFor(path, nullptr) != nullptr) {
            paths_.push_back(path);
            return true;
        }
        setError(err, StoreStatus::LOCKED, ERR_FILE_SYSTEM, "File System Error");
        err.driverText = "cannot add a file to a running transaction";
        return false;
    }
    std::string schema = "a" + std::to_string(attached_.size() + 1);
    auto view = root_->attach(*current, schema, err);
    if (!view)
        return false;
    attached_.push_back(schema);
    ctx_.route(path, view.get());
    views_.push_back(std::move(view));
    paths_.push_back(path);
    return true;
}

TableFile* Transaction::enlist(TableFile& file, StoreError& err)
{
    const std::string& path = file.path();
    if (std::find(paths_.begin(), paths_.end(), path) != paths_.end() || begun_ ||
        file.inTransaction() || (root_ && root_->inTransaction())) {
        setError(err, StoreStatus::LOCKED, ERR_FILE_SYSTEM, "File System Error");
        err.driverText = "cannot add a file to a running transaction";
        return nullptr;
    }
    if (!root_) {
        root_ = &file;
        rootPath_ = path;
        paths_.push_back(path);
        return &file;
    }
    std::string schema = "a" + std::to_string(attached_.size() + 1);
    auto view = root_->attach(file, schema, err);
    if (!view)
        return nullptr;
    attached_.push_back(schema);
    ctx_.route(path, view.get());
    views_.push_back(std::move(view));
    paths_.push_back(path);
    return views_.back().get();
}

bool Transaction::begin(StoreError& err)
{
    if (!root_ || !root_->begin(err))
        return false;
    // The root itself is reached through its own connection already; the route makes a nested
    // transaction of the same context find it as enlisted.
    if (ctx_.routeFor(rootPath_, nullptr) == nullptr)
        ctx_.route(rootPath_, root_);
    else
        ownsRoutes_ = false;
    begun_ = true;
    return true;
}

bool Transaction::commit(StoreError& err)
{
    if (!begun_)
        return false;
    begun_ = false;
    bool ok = root_->commit(err);
    finish();
    return ok;
}

void Transaction::rollback()
{
    if (begun_) {
        root_->rollback();
        begun_ = false;
    }
    finish();
}

void Transaction::finish()
{
    if (ownsRoutes_ && root_ && !root_->inTransaction())
        ctx_.unroute(rootPath_);
    for (const auto& v : views_)
        ctx_.unroute(v->path());
    views_.clear(); // statements of the views go before their schemas
    if (root_ && !root_->inTransaction())
        for (const auto& schema : attached_)
            root_->detach(schema);
    attached_.clear();
    ctx_.dropReadAhead();
}

} // namespace tavlo
