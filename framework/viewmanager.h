#pragma once
// A view: one table read in the order of one of its keys, limited by a range and by named
// filter expressions. Registers and reports read through it.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/relations.h"
#include "data/store.h"
#include "framework/filemanager.h"

namespace tavlo {

class Context;
class RelationManager;

class ViewManager {
  public:
    static constexpr const char* kStandardFilter = "5 Standard";
    static constexpr int kPageSize = 20;

    ViewManager() = default;
    virtual ~ViewManager();

    void INIT(Context& ctx, Tbl table, RelationManager* relate = nullptr);
    // Adds a sort order on a key; returns its number (from 1).
    int ADDSORTORDER(KeyRef key);
    // True when the order changed.
    bool SETSORT(int order);
    int currentSort() const { return sort_ + 1; }

    // Ranges on the current sort order:
    // the first key component equals its value in the buffer;
    void ADDRANGE(int field);
    // a key component lies between low and high, the earlier components equal the buffer's;
    void ADDRANGE(int field, const std::string& low, const std::string& high);
    // the children of the parent record in the parent's buffer, through a relation.
    void ADDRANGE(const RelationDecl& rel);

    // A named filter of the current order; an empty expression removes it. Without a name the
    // filter is the order's standard one.
    void SETFILTER(const std::string& expression, const std::string& name = kStandardFilter);
    std::string filterText() const; // the named filters of the current order joined by AND
    void SETORDER(const std::string& order);
    void APPENDORDER(const std::string& order);
    const std::string& orderText() const;

    // Builds the range and filter of the current order from the buffer as it is now. A filter
    // that cannot be used is reported (error 43) and the view runs without filter and range.
    int APPLYRANGE();
    int APPLYFILTER();
    int APPLYORDER() { return LEVEL_BENIGN; }

    int OPEN();
    void CLOSE();
    // Back to the start of the current order (range and filter applied anew).
    void RESET();
    // Positions at the key values in the buffer: NEXT gives the first record at or after them.
    void RESETAT();
    int NEXT();
    int PREVIOUS();
    // 0 accept, 1 stop as at the end, 2 skip.
    virtual int VALIDATERECORD() { return 0; }
    // Clears the buffer and fills the range fields, so that a record inserted here belongs to
    // the view; then the table's own PRIMERECORD.
    int PRIMERECORD();
    // How many leading components of the current order's key the range holds fixed; a locator
    // works on the component after them. fillRange() puts the range's values into the buffer.
    int fixedComponents() const;
    void fillRange();
    uint16_t SAVEBUFFERS();
    void RESTOREBUFFERS(uint16_t& id);

    FileManager& file();

  private:
    struct Range {
        enum Kind { NONE, CURRENT, BETWEEN, RELATION } kind = NONE;
        int field = -1;
        std::string low, high;
        const RelationDecl* rel = nullptr;
    };
    struct SortOrder {
        KeyRef key;
        std::string order;
        Range range;
        std::map<std::string, std::string> filters; // by name
    };
    int read(bool forward);
    void buildCondition();

    Context* ctx_ = nullptr;
    Tbl table_{}; // given by INIT
    RelationManager* relate_ = nullptr;
    std::vector<SortOrder> orders_;
    int sort_ = 0;
    bool open_ = false;
    std::unique_ptr<SqlCondition> condition_;
    std::vector<std::pair<int, std::string>> rangeValues_; // field, value (as text)
};

} // namespace tavlo
