#pragma once
// One real transaction over several table files of a context: the first file enlisted carries it,
// the others are attached to its connection, and every manager of the context reaches an
// enlisted file through that connection until the transaction ends. Another user sees all of it
// or nothing; a killed process leaves every file as it was.
#include <memory>
#include <string>
#include <vector>

#include "data/store.h"

namespace tavlo {

class Context;
class FileManager;

class Transaction {
  public:
    explicit Transaction(Context& ctx) : ctx_(ctx) {}
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Before begin(). The manager must be open; its file is made ready here.
    bool enlist(FileManager& m, StoreError& err);
    // A file no manager of the context holds (the other pair of invoice files, which a move
    // writes beside the context's own): attached like the managers' files. Writes go through
    // the file returned, which lives until the transaction ends; nullptr with err on failure.
    TableFile* enlist(TableFile& file, StoreError& err);
    bool begin(StoreError& err);
    bool commit(StoreError& err);
    void rollback();
    bool active() const { return begun_; }
    // The file that carries the transaction (for messages).
    const std::string& rootPath() const { return rootPath_; }

  private:
    void finish();

    Context& ctx_;
    TableFile* root_ = nullptr;
    std::string rootPath_;
    std::vector<std::string> paths_;
    std::vector<std::string> attached_; // schema names on the root connection
    std::vector<std::unique_ptr<TableFile>> views_;
    bool begun_ = false;
    bool ownsRoutes_ = true;
};

} // namespace tavlo
