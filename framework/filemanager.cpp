#include "framework/filemanager.h"

#include <algorithm>
#include <climits>

#include "data/context.h"
#include "data/globals.h"
#include "data/hooks.h"
#include "framework/relationmanager.h"
#include "framework/text.h"

namespace tavlo {
namespace {

constexpr int kReadAhead = 20;
constexpr int kAutoIncAttempts = 3;
constexpr int kLockWaitMs = 2000;

std::string escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '|')
            out += "\\p";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> splitEscaped(const std::string& s)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '|') {
            parts.emplace_back();
        } else if (s[i] == '\\' && i + 1 < s.size()) {
            parts.back() += s[i + 1] == 'p' ? '|' : s[i + 1];
            ++i;
        } else {
            parts.back() += s[i];
        }
    }
    return parts;
}

} // namespace

FileManager::FileManager(Context& ctx, Tbl table)
    : ctx_(ctx), decl_(tavlo::table(table)),
      rec_(decl_), pos_{0, Position::START, Record(decl_), {}, false}
{
    key_ = decl_.primaryKey();
    pos_.key = key_;
}

FileManager::~FileManager()
{
    KILL();
}

TableFile* FileManager::file() const
{
    return file_ ? ctx_.routeFor(path_, file_) : nullptr;
}

std::string FileManager::GETNAME() const
{
    const std::string& var = nameVariable(decl_.nameVar);
    return var.empty() ? decl_.name : var;
}

void FileManager::SETERROR(int id)
{
    ctx_.errors().SETERRORS(ctx_.errorState());
    lastError_ = id;
}

int FileManager::THROW()
{
    return THROW(lastError_);
}

int FileManager::THROW(int id)
{
    lastError_ = id;
    ctx_.errors().SETFILE(ctx_.errorState(), GETNAME());
    return ctx_.errors().THROW(ctx_.errorState(), static_cast<uint16_t>(id));
}

int FileManager::THROWMESSAGE(int id, std::string_view text)
{
    lastError_ = id;
    ctx_.errors().SETFILE(ctx_.errorState(), GETNAME());
    return ctx_.errors().THROWMESSAGE(ctx_.errorState(), static_cast<uint16_t>(id), text);
}

void recordStoreError(ErrorState& s, const StoreError& err)
{
    s.currentErrorCode = err.code;
    s.currentErrorText = err.text;
    s.currentFileErrorCode = err.driverCode;
    s.currentFileErrorText = err.driverText;
}

void FileManager::capture(const StoreError& err)
{
    recordStoreError(ctx_.errorState(), err);
}

void FileManager::placeAt(const RowRef& ref, const Record& values, bool dropReadAhead)
{
    setCurrent(ref);
    pos_.kind = Position::AT_ROW;
    pos_.values.copyFrom(values);
    pos_.row = ref;
    pos_.inclusive = false;
    if (dropReadAhead)
        dropAhead();
}

// ---------------------------------------------------------------------------------------------
// Opening, closing and nested use

FileManager::Use* FileManager::currentUse()
{
    std::string proc = ctx_.procedure();
    for (auto& u : uses_)
        if (u.procedure == proc)
            return &u;
    return nullptr;
}

int FileManager::OPEN()
{
    std::string proc = ctx_.procedure();
    Use* use = currentUse();
    if (!use) {
        Use u;
        u.procedure = proc;
        // A procedure joining a table that an earlier one uses gets the table to itself; the
        // earlier one's position and record come back when it is done.
        if (!uses_.empty())
            u.saved = std::make_unique<FileSnapshot>(snapshot(0));
        uses_.push_back(std::move(u));
        use = &uses_.back();
    }
    ++use->nesting;
    use->highest = std::max(use->highest, static_cast<int>(USE_USES));
    ++openCount_;
    return LEVEL_BENIGN;
}

int FileManager::TRYOPEN()
{
    return OPEN();
}

void FileManager::CLOSE()
{
    if (openCount_ == 0)
        return;
    Use* use = currentUse();
    if (!use && !uses_.empty())
        use = &uses_.back();
    if (use && --use->nesting <= 0) {
        if (use->saved)
            restore(*use->saved, use->highest < USE_RETURNS);
        uses_.erase(uses_.begin() + (use - uses_.data()));
    }
    if (--openCount_ == 0 && physicallyOpen_) {
        dropAhead();
        ctx_.releaseFile(file_);
        file_ = nullptr;
        physicallyOpen_ = false;
        hasCurrent_ = false;
    }
}

void FileManager::KILL()
{
    while (openCount_ > 0)
        CLOSE();
    uses_.clear();
    buffers_.clear();
    files_.clear();
}

int FileManager::USEFILE(int useType)
{
    if (Use* use = currentUse())
        use->highest = std::max(use->highest, useType);
    if (physicallyOpen_)
        return LEVEL_BENIGN;
    if (openCount_ <= 0) {
        ctx_.errorState().currentErrorCode = 0;
        ctx_.errorState().currentErrorText.clear();
        return THROW(MSG_USE_BEFORE_OPEN);
    }
    return openPhysically();
}

int FileManager::openPhysically()
{
    std::string path = dataPath(tableFileName(decl_));
    const TableDecl& base = tavlo::table(decl_.base);
    path_ = path;
    if (TableFile* shared = ctx_.findFile(path)) {
        file_ = shared;
    } else {
        StoreError err;
        auto file =
            TableFile::open(path, base, TableFile::Mode::READ_WRITE, true, GLO::OWNERNAME, err);
        if (!file) {
            capture(err);
            if (err.status == StoreStatus::NOT_FOUND)
                return THROW(MSG_CREATE_ERROR);
            return THROW(MSG_OPEN_ERROR);
        }
        // Inside a transaction of this context that holds the file, its lock is our own.
        const bool held = ctx_.routeFor(path, nullptr) != nullptr;
        if (!held && !file->readOnly() && !file->probeWrite(0, err)) {
            // Held by another: one more try, waiting as long as a transaction would, then
            // read-only.
            if (!file->probeWrite(kLockWaitMs, err)) {
                capture(err);
                THROW(MSG_ACCESS_DENIED);
                file = TableFile::open(path, base, TableFile::Mode::READ_ONLY, false,
                                       GLO::OWNERNAME, err);
                if (!file) {
                    capture(err);
                    return THROW(MSG_OPEN_ERROR);
                }
            }
        }
        if (!file->keysIntact()) {
            setError(err, StoreStatus::IO, ERR_FILE_SYSTEM, "Invalid Key");
            capture(err);
            THROW(MSG_INVALID_KEY);
            if (!file->rebuildKeys(err)) {
                capture(err);
                return THROW(MSG_KEY_NOT_BUILT);
            }
        }
        file_ = ctx_.addFile(std::move(file));
    }
    physicallyOpen_ = true;
    eof_ = false;
    reserved_ = false;
    return LEVEL_BENIGN;
}

// ---------------------------------------------------------------------------------------------
// Snapshots

FileManager::FileSnapshot FileManager::snapshot(uint16_t id) const
{
    return FileSnapshot{id, pos_, hasCurrent_, cur_, rec_, eof_};
}

void FileManager::restore(const FileSnapshot& s, bool restoreBuffer)
{
    pos_ = s.pos;
    key_ = s.pos.key;
    hasCurrent_ = s.hasCurrent;
    cur_ = s.cur;
    eof_ = s.eof;
    dropAhead();
    if (restoreBuffer)
        rec_.copyFrom(s.buffer);
}

uint16_t FileManager::SAVEBUFFER()
{
    uint16_t id = buffers_.empty() ? 1 : static_cast<uint16_t>(buffers_.back().id + 1);
    buffers_.push_back({id, rec_});
    return id;
}

void FileManager::RESTOREBUFFER(uint16_t& id, bool restore)
{
    for (auto it = buffers_.begin(); it != buffers_.end(); ++it) {
        if (it->id == id) {
            if (restore)
                rec_.copyFrom(it->buffer);
            buffers_.erase(it);
            break;
        }
    }
    id = 0;
}

bool FileManager::EQUALBUFFER(uint16_t id) const
{
    for (const auto& b : buffers_)
        if (b.id == id)
            return b.buffer == rec_;
    return false;
}

uint16_t FileManager::SAVEFILE()
{
    uint16_t id = files_.empty() ? 1 : static_cast<uint16_t>(files_.back().id + 1);
    files_.push_back(snapshot(id));
    return id;
}

void FileManager::RESTOREFILE(uint16_t& id, bool restoreBuffer)
{
    for (auto it = files_.begin(); it != files_.end(); ++it) {
        if (it->id == id) {
            restore(*it, restoreBuffer);
            files_.erase(it);
            break;
        }
    }
    id = 0;
}

// ---------------------------------------------------------------------------------------------
// Positioning and reading

void FileManager::setCurrent(const RowRef& ref)
{
    hasCurrent_ = true;
    cur_ = ref;
}

void FileManager::SET(KeyRef key)
{
    key_ = key.no;
    pos_.key = key_;
    pos_.kind = Position::START;
    eof_ = false;
    dropAhead();
}

void FileManager::SETAT(KeyRef key)
{
    key_ = key.no;
    pos_.key = key_;
    pos_.kind = Position::AT_VALUES;
    pos_.values.copyFrom(rec_);
    eof_ = false;
    dropAhead();
}

void FileManager::CLEARKEY(KeyRef key, int first, int last, bool high)
{
    const auto& comps = decl_.keys[key.no].components;
    if (last <= 0 || last > static_cast<int>(comps.size()))
        last = static_cast<int>(comps.size());
    for (int i = std::max(first, 1); i <= last; ++i) {
        const auto& c = comps[i - 1];
        const auto& f = decl_.fields[c.field];
        bool top = high == c.ascending; // the end of the key order that is asked for
        switch (f.type) {
        case FieldType::TEXT: {
            std::string value;
            for (int n = 0; top && n < f.size - 1; ++n)
                value += "\xF4\x8F\xBF\xBF"; // the highest code point collates last
            rec_.setStr(c.field, value);
            break;
        }
        case FieldType::BYTE: rec_.setNum(c.field, top ? 255 : 0); break;
        case FieldType::DEC: {
            int64_t max = 1;
            for (int d = 0; d < f.size; ++d)
                max *= 10;
            rec_.setNum(c.field, top ? max - 1 : -(max - 1));
            break;
        }
        case FieldType::INT32:
        case FieldType::DATE: rec_.setNum(c.field, top ? INT32_MAX : INT32_MIN); break;
        }
    }
}

std::string FileManager::KEYTOORDER(KeyRef key, int first) const
{
    const auto& k = decl_.keys[key.no];
    std::string order;
    for (std::size_t i = std::max(first, 1) - 1; i < k.components.size(); ++i) {
        const auto& c = k.components[i];
        const auto& f = decl_.fields[c.field];
        std::string expr =
            f.type == FieldType::TEXT && k.caseInsensitive ? "UPPER(" + f.name + ")" : f.name;
        order += (order.empty() ? "" : ",") + std::string(c.ascending ? "" : "-") + expr;
    }
    return order;
}

std::string FileManager::POSITION() const
{
    std::string s = std::to_string(pos_.key) + "|";
    if (!hasCurrent_ && pos_.kind != Position::AT_VALUES)
        return s + "S";
    const Record& values = hasCurrent_ ? rec_ : pos_.values;
    s += (hasCurrent_ ? "R|" + std::to_string(cur_.rowid) : std::string("V|0"));
    for (const auto& c : decl_.keys[pos_.key].components)
        s += "|" + escape(hasCurrent_
                              ? (pos_.kind == Position::AT_ROW ? pos_.values : values).text(c.field)
                              : values.text(c.field));
    return s;
}

int FileManager::RESET(const std::string& position)
{
    auto parts = splitEscaped(position);
    if (parts.size() < 2)
        return LEVEL_NOTIFY;
    int key = std::atoi(parts[0].c_str());
    if (key < 0 || key >= static_cast<int>(decl_.keys.size()))
        return LEVEL_NOTIFY;
    key_ = key;
    pos_.key = key;
    dropAhead();
    eof_ = false;
    if (parts[1] == "S") {
        pos_.kind = Position::START;
        return LEVEL_BENIGN;
    }
    const auto& comps = decl_.keys[key].components;
    if (parts.size() != 3 + comps.size())
        return LEVEL_NOTIFY;
    for (std::size_t i = 0; i < comps.size(); ++i)
        pos_.values.setText(comps[i].field, parts[3 + i]);
    if (parts[1] == "V") {
        pos_.kind = Position::AT_VALUES;
    } else {
        pos_.kind = Position::AT_ROW;
        pos_.row.rowid = std::atoll(parts[2].c_str());
        pos_.inclusive = true;
    }
    return LEVEL_BENIGN;
}

int FileManager::read(bool forward, bool quiet)
{
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return level;
    if (!ahead_.empty() && aheadForward_ != forward)
        dropAhead();
    if (ahead_.empty()) {
        Bound b;
        switch (pos_.kind) {
        case Position::START: b.kind = Bound::EDGE; break;
        case Position::AT_VALUES:
            b.kind = Bound::AT;
            b.values = &pos_.values;
            break;
        case Position::AT_ROW:
            b.kind = Bound::AFTER;
            b.values = &pos_.values;
            b.rowid = pos_.row.rowid;
            // Equal keys follow each other by row id, in the reverse order on a key that
            // descends in every component (as the store orders them).
            if (pos_.inclusive) {
                const auto& comps = decl_.keys[pos_.key].components;
                bool allDesc = std::none_of(comps.begin(), comps.end(),
                                            [](const KeyComponent& c) { return c.ascending; });
                b.rowid += forward != allDesc ? -1 : 1;
            }
            break;
        }
        // A read right after SETAT looks one record up (a locator, a lookup) and mostly stops
        // there; reading ahead starts with the read after it.
        int n = pos_.kind == Position::AT_VALUES ? 1 : kReadAhead;
        StoreError err;
        std::vector<Row> rows;
        if (!f()->page(pos_.key, b, forward, n, rows, err, walkMemos_, condition_)) {
            capture(err);
            SETERROR(err.status == StoreStatus::LOCKED ? MSG_RECORD_HELD : MSG_RETRIEVAL_ERROR);
            if (quiet)
                return err.status == StoreStatus::LOCKED ? LEVEL_NOTIFY : LEVEL_FATAL;
            return THROW();
        }
        if (rows.empty()) {
            eof_ = true;
            return LEVEL_NOTIFY;
        }
        for (auto& r : rows)
            ahead_.push_back(std::move(r));
        aheadForward_ = forward;
    }
    Row row = std::move(ahead_.front());
    ahead_.pop_front();
    rec_.copyFrom(row.rec);
    placeAt(row.ref, row.rec, false);
    eof_ = false;
    return LEVEL_BENIGN;
}

int FileManager::NEXT()
{
    return read(true, false);
}
int FileManager::TRYNEXT()
{
    return read(true, true);
}
int FileManager::PREVIOUS()
{
    return read(false, false);
}
int FileManager::TRYPREVIOUS()
{
    return read(false, true);
}

int FileManager::fetch(KeyRef key, bool clearOnFail)
{
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return level;
    Row row{{}, Record(decl_)};
    StoreError err;
    if (!f()->findEqual(key.no, rec_, row, err)) {
        capture(err);
        SETERROR(MSG_RETRIEVAL_ERROR);
        if (clearOnFail)
            rec_.clear();
        return LEVEL_NOTIFY;
    }
    rec_.copyFrom(row.rec);
    placeAt(row.ref, row.rec);
    return LEVEL_BENIGN;
}

int FileManager::REGET(const RowRef& at)
{
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return level;
    RowRef ref = at;
    StoreError err;
    Record stored(decl_);
    if (at.rowid == 0 || !f()->read(ref, stored, err)) {
        capture(err);
        SETERROR(MSG_RETRIEVAL_ERROR);
        return LEVEL_NOTIFY;
    }
    rec_.copyFrom(stored);
    placeAt(ref, stored);
    return LEVEL_BENIGN;
}

void FileManager::restoreCurrent(const RowRef& ref)
{
    if (ref.rowid == 0)
        return;
    setCurrent(ref);
    dropAhead();
}

int FileManager::FETCH(KeyRef key)
{
    return fetch(key, true);
}
int FileManager::TRYFETCH(KeyRef key)
{
    return fetch(key, false);
}

// ---------------------------------------------------------------------------------------------
// New records and numbering

int FileManager::PRIMERECORD(bool keep)
{
    if (!keep)
        rec_.clear();
    bool autoKey = std::any_of(decl_.keys.begin(), decl_.keys.end(),
                               [](const KeyDecl& k) { return k.autoNumber; });
    if (!autoKey)
        return LEVEL_BENIGN;
    reserved_ = false;
    return PRIMEAUTOINC();
}

// One attempt: number the record from the highest stored and add it, in one write transaction
// so that no other user can take the same number.
int FileManager::reserveOnce(StoreError& err, int& failedKey)
{
    failedKey = -1;
    // Inside a caller's transaction the write lock is held already and the one insert is atomic
    // by itself: no savepoint is needed (it would journal every page the batch touches).
    const bool own = !f()->inTransaction();
    if (own && !f()->begin(err))
        return LEVEL_NOTIFY;
    for (std::size_t key = 0; key < decl_.keys.size(); ++key) {
        const KeyDecl& k = decl_.keys[key];
        if (!k.autoNumber)
            continue;
        const KeyComponent& lastComp = k.components.back();
        std::vector<Row> rows;
        Bound b;
        Record probe(decl_);
        if (k.components.size() > 1) {
            // Numbered within the leading components as they stand in the buffer.
            probe.copyFrom(rec_);
            probe.setNum(lastComp.field, lastComp.ascending ? INT32_MAX : INT32_MIN);
            b = Bound{Bound::AT, &probe, 0};
        }
        // The last record in the key's order holds the highest number.
        if (!f()->page(static_cast<int>(key), b, !lastComp.ascending, 1, rows, err, false)) {
            if (own)
                f()->rollback();
            failedKey = static_cast<int>(key);
            return LEVEL_FATAL;
        }
        int64_t next = 1;
        if (!rows.empty()) {
            bool sameLead = true;
            for (std::size_t i = 0; i + 1 < k.components.size(); ++i) {
                int f = k.components[i].field;
                if (rows[0].rec.num(f) != rec_.num(f) ||
                    text::collate(rows[0].rec.str(f), rec_.str(f)) != 0)
                    sameLead = false;
            }
            if (sameLead)
                next = rows[0].rec.num(lastComp.field) + 1;
        }
        rec_.setNum(lastComp.field, next);
    }
    RowRef ref;
    if (!f()->insert(rec_, ref, err)) {
        if (own)
            f()->rollback();
        if (err.status == StoreStatus::DUPLICATE)
            failedKey = f()->duplicatedKey(rec_, 0);
        return LEVEL_NOTIFY;
    }
    if (own && !f()->commit(err))
        return LEVEL_NOTIFY;
    reserved_ = true;
    reservedRef_ = ref;
    placeAt(ref, rec_);
    return LEVEL_BENIGN;
}

int FileManager::primeAutoInc(bool quiet)
{
    bool autoKey = std::any_of(decl_.keys.begin(), decl_.keys.end(),
                               [](const KeyDecl& k) { return k.autoNumber; });
    if (!autoKey || reserved_)
        return LEVEL_BENIGN;
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return level;
    for (;;) {
        StoreError err;
        int failedKey = -1;
        for (int attempt = 0; attempt < kAutoIncAttempts; ++attempt) {
            level = reserveOnce(err, failedKey);
            if (level == LEVEL_BENIGN)
                return LEVEL_BENIGN;
            if (level == LEVEL_FATAL) { // reading the highest number failed
                capture(err);
                SETERROR(MSG_RETRIEVAL_ERROR);
                return quiet ? LEVEL_NOTIFY : THROW();
            }
        }
        capture(err);
        int key = failedKey >= 0 ? failedKey : decl_.primaryKey();
        ctx_.errors().SETKEY(ctx_.errorState(), decl_.keys[key].name);
        SETERROR(MSG_AUTOINC_ERROR);
        if (quiet)
            return LEVEL_NOTIFY;
        if (THROW() != LEVEL_BENIGN) // "Try Again?" answered no
            return LEVEL_NOTIFY;
    }
}

int FileManager::PRIMEAUTOINC()
{
    return primeAutoInc(false);
}
int FileManager::TRYPRIMEAUTOINC()
{
    return primeAutoInc(true);
}

int FileManager::CANCELAUTOINC(RelationManager* relate)
{
    if (!reserved_)
        return LEVEL_BENIGN;
    setCurrent(reservedRef_);
    // Children already attached to the reserved record (an invoice's lines) go with it.
    int level = relate ? relate->DELETE(false) : DELETERECORD(false);
    reserved_ = false;
    return level;
}

// ---------------------------------------------------------------------------------------------
// Writing

int FileManager::insertOrFail(bool quiet)
{
    stored_ = false;
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return LEVEL_FATAL;
    if (VALIDATERECORD() != LEVEL_BENIGN)
        return LEVEL_NOTIFY;
    bool autoKey = std::any_of(decl_.keys.begin(), decl_.keys.end(),
                               [](const KeyDecl& k) { return k.autoNumber; });
    const WriteHooks& hooks = writeHooks();
    const bool hooked = hooks.any(decl_.id, WriteOp::INSERT);
    const WriteEvent event{ctx_, decl_.id, WriteOp::INSERT, nullptr, &rec_};
    if (hooked)
        if (int refused = hooks.before(event); refused != LEVEL_BENIGN)
            return refused;
    StoreError err;
    bool ok = false;
    if (reserved_) {
        RowRef ref = reservedRef_;
        ok = f()->update(ref, rec_, err);
        if (ok) {
            reserved_ = false;
            setCurrent(ref);
        }
    } else if (autoKey) {
        // Numbering adds the record as it stands in the buffer.
        level = primeAutoInc(quiet);
        if (level != LEVEL_BENIGN)
            return LEVEL_NOTIFY;
        reserved_ = false;
        stored_ = true;
        return hooked ? hooks.after(event) : LEVEL_BENIGN;
    } else {
        RowRef ref;
        ok = f()->insert(rec_, ref, err);
        if (ok)
            setCurrent(ref);
    }
    if (ok) {
        placeAt(cur_, rec_);
        stored_ = true;
        return hooked ? hooks.after(event) : LEVEL_BENIGN;
    }
    capture(err);
    if (err.status == StoreStatus::DUPLICATE) {
        SETERROR(MSG_DUPLICATE_KEY);
        if (quiet)
            return LEVEL_NOTIFY;
        int key = f()->duplicatedKey(rec_, reserved_ ? reservedRef_.rowid : 0);
        std::string name = key >= 0 ? decl_.keys[key].name : std::string();
        if (name.empty())
            name = decl_.name;
        return THROWMESSAGE(MSG_DUPLICATE_KEY, name);
    }
    SETERROR(MSG_INSERT_ERROR);
    return quiet ? LEVEL_NOTIFY : THROW();
}

int FileManager::INSERT()
{
    return insertOrFail(false);
}
int FileManager::TRYINSERT()
{
    return insertOrFail(true);
}

int FileManager::updateOrFail(bool quiet, bool showChanged)
{
    stored_ = false;
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return LEVEL_FATAL;
    if (VALIDATERECORD() != LEVEL_BENIGN)
        return LEVEL_USER;
    StoreError err;
    const WriteHooks& hooks = writeHooks();
    const bool hooked = hasCurrent_ && hooks.any(decl_.id, WriteOp::UPDATE);
    Record stored(decl_);
    const WriteEvent event{ctx_, decl_.id, WriteOp::UPDATE, &stored, &rec_};
    RowRef storedRef = cur_;
    if (!hasCurrent_) {
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
    } else if (hooked && !f()->read(storedRef, stored, err)) {
        // gone: the conflict below, as the update itself would report it
    } else if (int refused =
                   hooked && storedRef.rev == cur_.rev ? hooks.before(event) : LEVEL_BENIGN;
               refused != LEVEL_BENIGN) {
        // A record changed meanwhile is not offered to the hooks; the update reports it.
        return refused;
    } else {
        RowRef ref = cur_;
        if (f()->update(ref, rec_, err)) {
            setCurrent(ref);
            if (reserved_ && ref.rowid == reservedRef_.rowid)
                reservedRef_ = ref;
            placeAt(ref, rec_);
            stored_ = true;
            return hooked ? hooks.after(event) : LEVEL_BENIGN;
        }
    }
    capture(err);
    if (err.status == StoreStatus::CHANGED ||
        (hasCurrent_ && err.status == StoreStatus::NOT_FOUND)) {
        int id = showChanged ? MSG_RECORD_CHANGED_SHOWN : MSG_RECORD_CHANGED;
        SETERROR(id);
        if (!quiet)
            THROW();
        // The other user's version goes into the buffer.
        RowRef ref = cur_;
        StoreError ignored;
        Record theirs(decl_);
        if (f()->read(ref, theirs, ignored)) {
            rec_.copyFrom(theirs);
            setCurrent(ref);
        }
        dropAhead();
        return LEVEL_NOTIFY;
    }
    SETERROR(MSG_UPDATE_ERROR);
    return quiet ? LEVEL_NOTIFY : THROW();
}

int FileManager::UPDATE(bool showChanged)
{
    return updateOrFail(false, showChanged);
}
int FileManager::TRYUPDATE()
{
    return updateOrFail(true, false);
}

int FileManager::DELETERECORD(bool ask)
{
    stored_ = false;
    int level = USEFILE();
    if (level != LEVEL_BENIGN)
        return LEVEL_FATAL;
    if (ask && THROW(MSG_CONFIRM_DELETE) != LEVEL_BENIGN)
        return LEVEL_CANCEL;
    StoreError err;
    const WriteHooks& hooks = writeHooks();
    // Hooks are given the record as stored, not what the buffer may hold unsaved.
    const bool hooked = hooks.any(decl_.id, WriteOp::DELETE);
    Record stored(decl_);
    const WriteEvent event{ctx_, decl_.id, WriteOp::DELETE, &stored, nullptr};
    if (!hasCurrent_) {
        setError(err, StoreStatus::NOT_FOUND, ERR_RECORD_NOT_FOUND, "Record Not Found");
    } else if (RowRef ref = cur_; hooked && !f()->read(ref, stored, err)) {
        // gone already: reported below
    } else if (int refused = hooked ? hooks.before(event) : LEVEL_BENIGN; refused != LEVEL_BENIGN) {
        return refused;
    } else if (f()->remove(cur_, err)) {
        if (reserved_ && cur_.rowid == reservedRef_.rowid)
            reserved_ = false;
        hasCurrent_ = false;
        dropAhead();
        stored_ = true;
        return hooked ? hooks.after(event) : LEVEL_BENIGN;
    }
    capture(err);
    SETERROR(MSG_DELETE_ERROR);
    THROW();
    return LEVEL_NOTIFY;
}

} // namespace tavlo
