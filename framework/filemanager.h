#pragma once
// The record-store manager: one per table and context (ACCESS:<table>). Opens and closes the
// table file with usage counting, numbers new records, inserts, updates and deletes with the
// system's messages, walks the table in any key's order, and keeps snapshots.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "data/record.h"
#include "data/store.h"
#include "framework/errorclass.h"

namespace tavlo {

class Context;
class RelationManager;

// Puts what the store reported into the error state, for the next message's placeholders.
void recordStoreError(ErrorState& s, const StoreError& err);

// How a procedure uses a table, declared through USEFILE: up to USE_USES a caller's position and
// record come back when a nested procedure is done with the table; USE_RETURNS keeps the record
// the nested procedure left in the buffer.
enum UseType : int {
    USE_BENIGN = 1,
    USE_USES = 2,
    USE_RETURNS = 3,
    USE_CORRUPTS = 4,
    USE_INITIALISE = 5,
};

class FileManager {
  public:
    FileManager(Context& ctx, Tbl table);
    ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    const TableDecl& decl() const { return decl_; }
    Record& rec() { return rec_; } // the record buffer, KUN:RECORD
    const Record& rec() const { return rec_; }
    Context& context() { return ctx_; }

    int OPEN();
    int TRYOPEN();
    void CLOSE();
    void KILL();
    int USEFILE(int useType = USE_USES);

    int PRIMERECORD(bool keep = false);
    int PRIMEAUTOINC();
    int TRYPRIMEAUTOINC();
    int CANCELAUTOINC(RelationManager* relate = nullptr);
    int INSERT();
    int TRYINSERT();
    // showChanged: the conflict message says the other user's version is now shown (error 8).
    int UPDATE(bool showChanged = false);
    int TRYUPDATE();
    int DELETERECORD(bool ask = false);
    int NEXT();
    int TRYNEXT();
    int PREVIOUS();
    int TRYPREVIOUS();
    int FETCH(KeyRef key);
    int TRYFETCH(KeyRef key);
    // Walks (NEXT, PREVIOUS) see only records meeting the condition; nullptr for all. The
    // condition must live while it is set.
    void setWalkCondition(const SqlCondition* c)
    {
        if (c != condition_)
            dropAhead();
        condition_ = c;
    }
    const SqlCondition* walkCondition() const { return condition_; }
    // Whether walks (NEXT, PREVIOUS) read the memos too; a walk that needs only fields (marking
    // every record) reads much less without them. On by default.
    void setWalkMemos(bool on)
    {
        if (on != walkMemos_)
            dropAhead();
        walkMemos_ = on;
    }
    // Reads the record at a stored position (from current()) into the buffer, quietly.
    int REGET(const RowRef& at);
    // After a transaction was rolled back: the current record is again as it was stored.
    void restoreCurrent(const RowRef& ref);

    // Positioning: SET to the start of a key's order (NEXT gives the first record, PREVIOUS the
    // last); SETAT to the values of the key's fields in the buffer (NEXT gives the first record
    // at or after them, PREVIOUS the last at or before them).
    void SET(KeyRef key);
    void SETAT(KeyRef key);
    std::string POSITION() const;
    // Back to a position from POSITION: NEXT reads that record again.
    int RESET(const std::string& position);
    void CLEARKEY(KeyRef key, int first = 1, int last = 0, bool high = false);
    std::string KEYTOORDER(KeyRef key, int first = 1) const;

    uint16_t SAVEBUFFER();
    void RESTOREBUFFER(uint16_t& id, bool restore = true);
    bool EQUALBUFFER(uint16_t id) const;
    uint16_t SAVEFILE();
    void RESTOREFILE(uint16_t& id, bool restoreBuffer = true);

    std::string GETNAME() const;
    void SETERROR(int id);
    int THROW();
    int THROW(int id);
    int THROWMESSAGE(int id, std::string_view text);
    bool ISOPENED() const { return physicallyOpen_; }
    int GETOPENED() const { return openCount_; }
    bool GETEOF() const { return eof_; }
    int VALIDATERECORD() { return LEVEL_BENIGN; }
    bool autoNumberReserved() const { return reserved_; }
    int lastError() const { return lastError_; }
    // Whether the last insert, update or delete reached the file, even when an after hook of the
    // table failed it afterwards.
    bool lastWriteStored() const { return stored_; }
    KeyRef currentKey() const { return KeyRef{static_cast<uint16_t>(key_)}; }
    // The stored file, or the transaction's view of it while one runs; nullptr while the table
    // is not physically open.
    TableFile* file() const;
    const std::string& filePath() const { return path_; }
    void dropReadAhead() { ahead_.clear(); }
    // Identity and version of the current record (0 when there is none).
    RowRef current() const { return hasCurrent_ ? cur_ : RowRef{}; }

  private:
    struct Position {
        int key = 0;
        enum Kind { START, AT_VALUES, AT_ROW } kind = START;
        Record values;
        RowRef row;
        bool inclusive = false; // AT_ROW: NEXT reads the row itself again
    };
    struct FileSnapshot {
        uint16_t id;
        Position pos;
        bool hasCurrent;
        RowRef cur;
        Record buffer;
        bool eof;
    };
    struct BufferSnapshot {
        uint16_t id;
        Record buffer;
    };
    struct Use {
        std::string procedure;
        int highest = 0;
        int nesting = 0;
        std::unique_ptr<FileSnapshot> saved;
    };

    int openPhysically();
    int read(bool forward, bool quiet);
    int primeAutoInc(bool quiet);
    int reserveOnce(StoreError& err, int& failedKey);
    int insertOrFail(bool quiet);
    int updateOrFail(bool quiet, bool showChanged);
    int fetch(KeyRef key, bool clearOnFail);
    void capture(const StoreError& err);
    void dropAhead() { ahead_.clear(); }
    TableFile* f() const { return file(); }
    void setCurrent(const RowRef& ref);
    // The record at ref, with these values, is current, and walks go on from it.
    void placeAt(const RowRef& ref, const Record& values, bool dropReadAhead = true);
    FileSnapshot snapshot(uint16_t id) const;
    void restore(const FileSnapshot& s, bool restoreBuffer);
    Use* currentUse();

    Context& ctx_;
    const TableDecl& decl_;
    Record rec_;
    TableFile* file_ = nullptr;
    std::string path_;
    int openCount_ = 0;
    bool physicallyOpen_ = false;
    bool readOnly_ = false;
    bool eof_ = false;
    bool reserved_ = false;
    bool stored_ = false;
    RowRef reservedRef_;
    bool hasCurrent_ = false;
    RowRef cur_;
    int key_ = 0;
    Position pos_;
    std::deque<Row> ahead_;
    const SqlCondition* condition_ = nullptr;
    bool walkMemos_ = true;
    bool aheadForward_ = true;
    int lastError_ = 0;
    std::vector<BufferSnapshot> buffers_;
    std::vector<FileSnapshot> files_;
    std::vector<Use> uses_;
};

} // namespace tavlo
