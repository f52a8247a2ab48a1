#pragma once
// The relation manager of a table (RELATE:<table>): opens and closes the table with its related
// tables, and carries updates and deletes into the children along the relations, all inside one
// transaction over the files involved.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/hooks.h"
#include "data/record.h"
#include "data/relations.h"
#include "framework/filemanager.h"

namespace tavlo {

class Context;
class Transaction;

class RelationManager {
  public:
    RelationManager(Context& ctx, Tbl table);

    FileManager& me();
    Tbl table() const { return table_; }

    int OPEN(bool inTree = false);
    void CLOSE(bool inTree = false);
    void SETOPENRELATED(bool on = true) { openRelated_ = on; }
    void SETQUICKSCAN(bool, bool = false) {} // sequential reads already come in pages
    // Remembers the record's linking values; UPDATE compares against them.
    int SAVE();
    // fromForm: a record changed meanwhile by another user is shown (error 8 instead of 7).
    int UPDATE(bool fromForm = false);
    int DELETE(bool ask = false);
    int CANCELAUTOINC();

    // Called by a parent's manager on this, the child's.
    int UPDATESECONDARY(const RelationDecl& rel, const Record& parentOld, const Record& parentNew);
    int DELETESECONDARY(const RelationDecl& rel, const Record& parent);

    int GETNBRELATIONS();
    const RelationDecl* GETRELATION(int n); // 1-based; nullptr past the end
    // 1 when this table is the parent in relation n, 0 when it is the child.
    int GETRELATIONTYPE(int n);
    int GETNBFILES();

    // Tests stop a process here, between two writes of children, to show that nothing of the
    // tree is kept.
    static std::function<void()> afterChildWrite;

  private:
    struct Related {
        Tbl table;
        const RelationDecl* rel;
        bool asParent; // this table is the parent in rel
    };
    void registerRelations();
    void walkOpen(int pass);
    void walkClose(int pass);
    bool linksDiffer(const RelationDecl& rel, const Record& a, const Record& b) const;
    // Tables that an update or delete of this table writes to, each with the kinds of write it
    // gets (WriteOp bits).
    using WriteTree = std::map<Tbl, unsigned>;
    void updateTree(WriteTree& out);
    void deleteTree(WriteTree& out);
    // The files of a transaction for this write of the table: the tree's and those the write
    // hooks of the table and of the tree enlist.
    std::set<Tbl> filesOf(const WriteTree& tree, WriteOp op) const;
    bool enlistAll(Transaction& tx, const std::set<Tbl>& tables);
    // Enlists the tree and begins; a failure is reported (error 24).
    bool beginTree(Transaction& tx, const std::set<Tbl>& tree);
    int applyUpdates(const Record& old);
    int applyDeletes(const Record& parent);
    void positionOnChildren(const RelationDecl& rel, const Record& parentValues);
    // Runs act on each child of the parent in turn (the child in this table's buffer), until
    // act returns anything but benign; the buffer and position are given back afterwards.
    int eachChild(const RelationDecl& rel, const Record& parent, const std::function<int()>& act);
    // Writes the child in the buffer after its own children have followed its linking values.
    int saveChild(const Record& old);

    Context& ctx_;
    Tbl table_;
    bool registered_ = false;
    bool openRelated_ = false;
    int pass_ = -1;
    std::vector<Related> related_;
    Record saved_;
    bool hasSaved_ = false;
};

} // namespace tavlo
