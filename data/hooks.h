#pragma once
// Write hooks: what must happen when a record of one table is inserted, updated or deleted lives
// with that table's module, not in the record-store, relation and view managers. A hook names
// the further tables it writes; a relation manager's transaction enlists them, so that a write
// rolled back takes the hook's writes with it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "data/record.h"

namespace tavlo {

class Context;

// Bits, so that one hook can take several kinds of write.
enum class WriteOp : unsigned { INSERT = 1, UPDATE = 2, DELETE = 4 };
constexpr unsigned opBit(WriteOp op)
{
    return static_cast<unsigned>(op);
}
constexpr unsigned kEveryWrite = 7;

struct WriteEvent {
    Context& ctx;
    Tbl table; // as the manager names it: an alias has hooks of its own
    WriteOp op;
    const Record* stored;  // update, delete: the record as stored before the write
    const Record* written; // insert, update: the record as it is written (before an insert
                           // the automatic number may not be given yet)
};

struct WriteHook {
    Tbl table;
    unsigned ops = kEveryWrite; // WriteOp bits
    std::vector<Tbl> enlists;   // the tables the hook writes
    // LEVEL_BENIGN lets the write go on; anything else refuses it, and the write reports that
    // level. A refusing hook has shown its own message.
    std::function<int(const WriteEvent&)> before;
    // After a write that succeeded. Anything but LEVEL_BENIGN makes the write report that level;
    // the write itself stays done, and the caller's transaction undoes it with the hook's writes.
    std::function<int(const WriteEvent&)> after;
};

// The hooks of every table, shared by all contexts. Modules add theirs in their INIT and remove
// them in their KILL; like the globals, the list is changed only while modules start and end.
class WriteHooks {
  public:
    using Id = int;

    // Hooks run in the order they were added, before and after alike.
    Id add(WriteHook hook);
    // Removes the hook added as id and sets id to 0; an id of 0 is nothing.
    void remove(Id& id);

    bool any(Tbl table, WriteOp op) const;
    // Runs the before hooks of the write until one refuses; its level, or LEVEL_BENIGN.
    int before(const WriteEvent& e) const { return run(e, false); }
    // Runs the after hooks of the write until one fails; its level, or LEVEL_BENIGN.
    int after(const WriteEvent& e) const { return run(e, true); }
    // Adds the tables that hooks of these writes enlist, and theirs in turn.
    void enlisted(Tbl table, unsigned ops, std::set<Tbl>& out) const;

  private:
    struct Entry {
        Id id;
        std::shared_ptr<const WriteHook> hook;
    };
    int run(const WriteEvent& e, bool after) const;

    std::array<std::vector<Entry>, kTableCount> byTable_;
    Id last_ = 0;
};

// The process's hooks. The data module's own rules are in from the first use, whether or not
// TLFI::INIT ran.
WriteHooks& writeHooks();

} // namespace tavlo
