#pragma once
// A record buffer: the fields and memos of one table's record, typed by the table's declaration.
// Numbers are int64 inside (int32, byte, day numbers; decimals as hundredths); texts are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/tables.h"
#include "framework/decimal.h"

namespace tavlo {

class Record {
  public:
    explicit Record(const TableDecl& decl);

    const TableDecl& decl() const { return *decl_; }
    void clear(); // numbers 0, texts and memos empty

    int32_t get(IntField f) const { return static_cast<int32_t>(num_[f.no]); }
    int32_t get(DateField f) const { return static_cast<int32_t>(num_[f.no]); }
    uint8_t get(ByteField f) const { return static_cast<uint8_t>(num_[f.no]); }
    Decimal get(DecField f) const { return Decimal::fromCents(num_[f.no]); }
    const std::string& get(TextField f) const { return str_[f.no]; }
    const std::string& get(MemoRef m) const { return memo_[m.no]; }

    void set(IntField f, int32_t v) { num_[f.no] = v; }
    void set(DateField f, int32_t v) { num_[f.no] = v; }
    void set(ByteField f, int v) { num_[f.no] = static_cast<uint8_t>(v); }
    // Rounded to two decimals, half away from zero; false (and unchanged) when it does not fit.
    bool set(DecField f, const Decimal& v);
    // At most size-1 characters are kept.
    void set(TextField f, std::string_view v);
    void set(MemoRef m, std::string_view v);

    // By number, for generic code (directory, exchange files, the store).
    int64_t num(int field) const { return num_[field]; }
    void setNum(int field, int64_t v) { num_[field] = v; }
    const std::string& str(int field) const { return str_[field]; }
    void setStr(int field, std::string_view v);
    const std::string& memo(int m) const { return memo_[m]; }
    void setMemo(int m, std::string_view v);

    // A field's value as text: numbers plain, decimals "1234.50", dates "31.12.2004".
    std::string text(int field) const;
    // Parses and stores text for a field: integers, dates as 31.12.2004, decimals with comma or
    // point. False, leaving the field unchanged, on a value the field cannot hold.
    bool setText(int field, std::string_view value);

    bool operator==(const Record& o) const;
    // Same values in the fields of a key.
    bool sameKey(const Record& o, int key) const;
    // Assigns the values of another record of the same layout (a table and its alias).
    void copyFrom(const Record& o);

  private:
    const TableDecl* decl_;
    std::vector<int64_t> num_;
    std::vector<std::string> str_;
    std::vector<std::string> memo_;
};

} // namespace tavlo
