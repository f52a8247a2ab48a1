#include "framework/relationmanager.h"

#include <algorithm>

#include "data/context.h"
#include "data/hooks.h"
#include "framework/text.h"
#include "framework/transaction.h"

namespace tavlo {

std::function<void()> RelationManager::afterChildWrite;

namespace {

bool isText(const TableDecl& t, int field)
{
    return t.fields[field].type == FieldType::TEXT;
}

// Linking values are equal under the keys' rule: texts without regard to case.
bool sameValue(const Record& a, int fa, const Record& b, int fb)
{
    return isText(a.decl(), fa) ? text::collate(a.str(fa), b.str(fb)) == 0 : a.num(fa) == b.num(fb);
}

bool belongsTo(const RelationDecl& rel, const Record& child, const Record& parent)
{
    for (auto [pf, cf] : rel.links)
        if (!sameValue(child, cf, parent, pf))
            return false;
    return true;
}

void copyLinks(const RelationDecl& rel, Record& child, const Record& parent)
{
    for (auto [pf, cf] : rel.links) {
        if (isText(child.decl(), cf))
            child.setStr(cf, parent.str(pf)); // cut to the child's width
        else
            child.setNum(cf, parent.num(pf));
    }
}

// The parent-side linking fields of `to` take the values they have in `from`.
void copyParentLinks(const RelationDecl& rel, Record& to, const Record& from)
{
    for (auto [pf, cf] : rel.links) {
        (void)cf;
        if (isText(to.decl(), pf))
            to.setStr(pf, from.str(pf));
        else
            to.setNum(pf, from.num(pf));
    }
}

void clearLinks(const RelationDecl& rel, Record& child)
{
    for (auto [pf, cf] : rel.links) {
        (void)pf;
        if (isText(child.decl(), cf))
            child.setStr(cf, "");
        else
            child.setNum(cf, 0);
    }
}

// Saves a manager's record and position and gives them back on every way out.
class KeepPlace {
  public:
    explicit KeepPlace(FileManager& m) : m_(m), file_(m.SAVEFILE()) {}
    ~KeepPlace() { m_.RESTOREFILE(file_, true); }

  private:
    FileManager& m_;
    uint16_t file_;
};

} // namespace

RelationManager::RelationManager(Context& ctx, Tbl table)
    : ctx_(ctx), table_(table), saved_(tavlo::table(table))
{
}

FileManager& RelationManager::me()
{
    return ctx_.access(table_);
}

void RelationManager::registerRelations()
{
    if (registered_)
        return;
    registered_ = true;
    if (tavlo::table(table_).isAlias())
        return; // aliases have no relations of their own
    for (const auto& rel : relations()) {
        if (rel.parent == table_)
            related_.push_back({rel.child, &rel, true});
        if (rel.child == table_)
            related_.push_back({rel.parent, &rel, false});
    }
}

int RelationManager::OPEN(bool inTree)
{
    registerRelations();
    if (!inTree)
        walkOpen(ctx_.nextPass());
    return LEVEL_BENIGN;
}

void RelationManager::CLOSE(bool inTree)
{
    registerRelations();
    if (!inTree)
        walkClose(ctx_.nextPass());
}

void RelationManager::walkOpen(int pass)
{
    if (pass_ == pass)
        return;
    pass_ = pass;
    me().OPEN();
    if (openRelated_)
        me().USEFILE();
    for (const auto& r : related_) {
        auto& other = ctx_.relate(r.table);
        other.registerRelations();
        other.openRelated_ = other.openRelated_ || openRelated_;
        other.walkOpen(pass);
    }
}

void RelationManager::walkClose(int pass)
{
    if (pass_ == pass)
        return;
    pass_ = pass;
    me().CLOSE();
    for (const auto& r : related_) {
        auto& other = ctx_.relate(r.table);
        other.registerRelations();
        other.walkClose(pass);
    }
}

int RelationManager::SAVE()
{
    saved_.copyFrom(me().rec());
    hasSaved_ = true;
    return LEVEL_BENIGN;
}

bool RelationManager::linksDiffer(const RelationDecl& rel, const Record& a, const Record& b) const
{
    for (auto [pf, cf] : rel.links) {
        (void)cf;
        if (!sameValue(a, pf, b, pf))
            return true;
    }
    return false;
}

void RelationManager::updateTree(WriteTree& out)
{
    registerRelations();
    for (const auto& r : related_) {
        if (!r.asParent || (r.rel->onUpdate != RI_CLEAR && r.rel->onUpdate != RI_CASCADE))
            continue;
        auto [it, fresh] = out.try_emplace(r.table, 0u);
        it->second |= opBit(WriteOp::UPDATE);
        if (fresh)
            ctx_.relate(r.table).updateTree(out);
    }
}

void RelationManager::deleteTree(WriteTree& out)
{
    registerRelations();
    for (const auto& r : related_) {
        if (!r.asParent)
            continue;
        if (r.rel->onDelete == RI_CASCADE) {
            auto [it, fresh] = out.try_emplace(r.table, 0u);
            it->second |= opBit(WriteOp::DELETE);
            if (fresh)
                ctx_.relate(r.table).deleteTree(out);
        } else if (r.rel->onDelete == RI_CLEAR) {
            auto [it, fresh] = out.try_emplace(r.table, 0u);
            it->second |= opBit(WriteOp::UPDATE);
            if (fresh)
                ctx_.relate(r.table).updateTree(out);
        }
    }
}

std::set<Tbl> RelationManager::filesOf(const WriteTree& tree, WriteOp op) const
{
    std::set<Tbl> files;
    for (const auto& [t, ops] : tree)
        files.insert(t);
    const WriteHooks& hooks = writeHooks();
    hooks.enlisted(table_, opBit(op), files);
    for (const auto& [t, ops] : tree)
        hooks.enlisted(t, ops, files);
    return files;
}

bool RelationManager::enlistAll(Transaction& tx, const std::set<Tbl>& tables)
{
    StoreError err;
    if (!tx.enlist(me(), err))
        return false;
    for (Tbl t : tables) {
        auto& m = ctx_.access(t);
        m.OPEN();
        bool ok = tx.enlist(m, err);
        m.CLOSE(); // the transaction keeps the file; the tree keeps the table open
        if (!ok) {
            recordStoreError(ctx_.errorState(), err);
            return false;
        }
    }
    return true;
}

void RelationManager::positionOnChildren(const RelationDecl& rel, const Record& parentValues)
{
    auto& child = ctx_.access(rel.child);
    child.rec().clear();
    copyLinks(rel, child.rec(), parentValues);
    child.CLEARKEY(rel.childKey, static_cast<int>(rel.links.size()) + 1);
    child.SETAT(rel.childKey);
}

int RelationManager::applyUpdates(const Record& old)
{
    registerRelations();
    for (const auto& r : related_) {
        if (!r.asParent || r.rel->onUpdate == RI_NONE || !linksDiffer(*r.rel, old, me().rec()))
            continue;
        int level = ctx_.relate(r.table).UPDATESECONDARY(*r.rel, old, me().rec());
        if (level != LEVEL_BENIGN)
            return level;
    }
    return LEVEL_BENIGN;
}

int RelationManager::applyDeletes(const Record& parent)
{
    registerRelations();
    for (const auto& r : related_) {
        if (!r.asParent || r.rel->onDelete == RI_NONE)
            continue;
        int level = ctx_.relate(r.table).DELETESECONDARY(*r.rel, parent);
        if (level != LEVEL_BENIGN)
            return level;
    }
    return LEVEL_BENIGN;
}

int RelationManager::eachChild(const RelationDecl& rel, const Record& parent,
                               const std::function<int()>& act)
{
    auto& child = me();
    KeepPlace keep(child);
    std::set<int64_t> done; // a child that stays under the parent's values is not visited twice
    for (;;) {
        // Positioned anew each time: the child just written may have left the key's range.
        positionOnChildren(rel, parent);
        if (child.TRYNEXT() != LEVEL_BENIGN)
            return child.GETEOF() ? LEVEL_BENIGN : child.THROW(MSG_RETRIEVAL_ERROR);
        if (!belongsTo(rel, child.rec(), parent) || !done.insert(child.current().rowid).second)
            return LEVEL_BENIGN;
        int level = act();
        if (level != LEVEL_BENIGN)
            return level;
        if (afterChildWrite)
            afterChildWrite();
    }
}

int RelationManager::saveChild(const Record& old)
{
    // The child's own children follow it first, then it is written.
    int level = applyUpdates(old);
    if (level == LEVEL_BENIGN)
        level = me().UPDATE();
    return level == LEVEL_BENIGN ? LEVEL_BENIGN : LEVEL_NOTIFY;
}

int RelationManager::UPDATESECONDARY(const RelationDecl& rel, const Record& parentOld,
                                     const Record& parentNew)
{
    if (rel.onUpdate == RI_NONE)
        return LEVEL_BENIGN;
    auto& child = me();
    return eachChild(rel, parentOld, [&]() -> int {
        if (rel.onUpdate == RI_RESTRICT) {
            child.THROW(MSG_RI_UPDATE);
            return LEVEL_NOTIFY;
        }
        Record old(child.rec().decl());
        old.copyFrom(child.rec());
        if (rel.onUpdate == RI_CLEAR)
            clearLinks(rel, child.rec());
        else
            copyLinks(rel, child.rec(), parentNew);
        return saveChild(old);
    });
}

int RelationManager::DELETESECONDARY(const RelationDecl& rel, const Record& parent)
{
    if (rel.onDelete == RI_NONE)
        return LEVEL_BENIGN;
    auto& child = me();
    return eachChild(rel, parent, [&]() -> int {
        if (rel.onDelete == RI_RESTRICT) {
            child.THROW(MSG_RI_DELETE);
            return LEVEL_NOTIFY;
        }
        Record self(child.rec().decl());
        self.copyFrom(child.rec());
        if (rel.onDelete == RI_CLEAR) {
            clearLinks(rel, child.rec());
            return saveChild(self);
        }
        int level = applyDeletes(self);
        if (level == LEVEL_BENIGN)
            level = child.DELETERECORD(false);
        return level == LEVEL_BENIGN ? LEVEL_BENIGN : LEVEL_NOTIFY;
    });
}

bool RelationManager::beginTree(Transaction& tx, const std::set<Tbl>& tree)
{
    StoreError err;
    if (enlistAll(tx, tree) && tx.begin(err))
        return true;
    if (err.status != StoreStatus::OK)
        recordStoreError(ctx_.errorState(), err);
    me().THROW(MSG_TRANSACTION_CANCELLED);
    return false;
}

int RelationManager::UPDATE(bool fromForm)
{
    OPEN();
    auto& m = me();
    RowRef before = m.current();
    Record old(m.rec().decl());
    RowRef stored = before;
    StoreError readErr;
    if (hasSaved_) {
        old.copyFrom(saved_);
    } else if (before.rowid == 0 || m.USEFILE() != LEVEL_BENIGN ||
               !m.file()->read(stored, old, readErr)) {
        old.copyFrom(m.rec()); // nothing stored to compare with: no link has changed
    }
    WriteTree tree;
    updateTree(tree);
    bool anyChange = false;
    for (const auto& r : related_)
        anyChange = anyChange || (r.asParent && linksDiffer(*r.rel, old, m.rec()));
    std::set<Tbl> hooked;
    writeHooks().enlisted(table_, opBit(WriteOp::UPDATE), hooked);

    int level = LEVEL_BENIGN;
    if (!anyChange && hooked.empty()) {
        // No child can be touched: the plain write is its own transaction.
        level = m.UPDATE(fromForm);
    } else {
        Transaction tx(ctx_);
        StoreError err;
        if (!beginTree(tx, anyChange ? filesOf(tree, WriteOp::UPDATE) : hooked)) {
            CLOSE();
            return LEVEL_FATAL;
        }
        level = m.UPDATE(fromForm);
        // An after hook may fail a write that was stored: the rollback below undoes it.
        const bool wrote = m.lastWriteStored();
        if (level == LEVEL_BENIGN) {
            level = applyUpdates(old);
            if (level != LEVEL_BENIGN) {
                // The linking fields go back to the values the children still have.
                for (const auto& r : related_)
                    if (r.asParent)
                        copyParentLinks(*r.rel, m.rec(), old);
            } else if (!tx.commit(err)) {
                recordStoreError(ctx_.errorState(), err);
                m.THROW(MSG_UPDATE_ERROR);
                level = LEVEL_NOTIFY;
            }
        }
        if (tx.active())
            tx.rollback();
        // Our write was rolled back: the stored revision is the one read before. After a
        // conflict the other user's version is current instead, and stays so.
        if (level != LEVEL_BENIGN && wrote)
            m.restoreCurrent(before);
    }
    if (level == LEVEL_BENIGN)
        SAVE();
    CLOSE();
    return level;
}

int RelationManager::DELETE(bool ask)
{
    auto& m = me();
    if (ask && m.THROW(MSG_CONFIRM_DELETE) != LEVEL_BENIGN)
        return LEVEL_CANCEL;
    OPEN();
    RowRef at = m.current();
    WriteTree tree;
    deleteTree(tree);
    const std::set<Tbl> files = filesOf(tree, WriteOp::DELETE);
    for (;;) {
        Transaction tx(ctx_);
        StoreError err;
        int level = LEVEL_NOTIFY;
        bool refused = false;
        if (!beginTree(tx, files)) {
            // reported
        } else if (m.REGET(at) != LEVEL_BENIGN) {
            m.THROW(MSG_DELETE_ERROR);
        } else {
            Record parent(m.rec().decl());
            parent.copyFrom(m.rec());
            level = applyDeletes(parent);
            refused = level != LEVEL_BENIGN && (ctx_.errorState().id == MSG_RI_DELETE);
            if (level == LEVEL_BENIGN)
                level = m.DELETERECORD(false);
            if (level == LEVEL_BENIGN && !tx.commit(err)) {
                recordStoreError(ctx_.errorState(), err);
                m.THROW(MSG_DELETE_ERROR);
                level = LEVEL_NOTIFY;
            }
        }
        if (level == LEVEL_BENIGN) {
            CLOSE();
            return LEVEL_BENIGN;
        }
        if (tx.active())
            tx.rollback();
        m.REGET(at);
        // A refusal is final; a write that failed may be tried again.
        if (refused || m.THROW(MSG_RETRY_DELETE) != LEVEL_BENIGN) {
            CLOSE();
            return LEVEL_NOTIFY;
        }
    }
}

int RelationManager::CANCELAUTOINC()
{
    return me().CANCELAUTOINC(this);
}

int RelationManager::GETNBRELATIONS()
{
    registerRelations();
    return static_cast<int>(related_.size());
}

const RelationDecl* RelationManager::GETRELATION(int n)
{
    registerRelations();
    return n >= 1 && n <= static_cast<int>(related_.size()) ? related_[n - 1].rel : nullptr;
}

int RelationManager::GETRELATIONTYPE(int n)
{
    registerRelations();
    return n >= 1 && n <= static_cast<int>(related_.size()) && related_[n - 1].asParent ? 1 : 0;
}

int RelationManager::GETNBFILES()
{
    WriteTree tree;
    deleteTree(tree);
    updateTree(tree);
    return static_cast<int>(tree.size()) + 1;
}

} // namespace tavlo
