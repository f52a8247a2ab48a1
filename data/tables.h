#pragma once
// The tables of the data folder: typed handles for every field, memo and key (KUN::NAVN,
// KUN::DIV, KUN::KeyNavn; an alias table uses its table's handles, KUNA::NAVN), the table ids,
// and the field directory that the record store, filters and exchange files look names up in.
// Everything here follows from data/tables.def.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlo {

enum class FieldType : uint8_t { INT32, DATE, BYTE, DEC, TEXT };

template <FieldType T> struct FieldRef {
    uint16_t no;   // 0-based position in the record
    uint16_t size; // bytes for TEXT, digits for DEC
};
using IntField = FieldRef<FieldType::INT32>;
using DateField = FieldRef<FieldType::DATE>;
using ByteField = FieldRef<FieldType::BYTE>;
using DecField = FieldRef<FieldType::DEC>;
using TextField = FieldRef<FieldType::TEXT>;

struct MemoRef {
    uint16_t no;
    uint16_t size; // characters
};

struct KeyRef {
    uint16_t no; // 0-based, in the order of registration
};

// The expansions below leave out what they do not need; LABEL only concerns the directory.
#define LABEL(...)

// Tables first, then the alias tables; the order is the order of the declarations.
#define F(...)
#define MEMO(...)
#define KEY(...)
#define TABLE_END(ID)
enum class Tbl : uint8_t {
#define TABLE_BEGIN(ID, P, FILE, VAR) ID,
#define ALIAS(ID, BASE, PA)
#include "data/tables.def"
#undef TABLE_BEGIN
#undef ALIAS
#define TABLE_BEGIN(ID, P, FILE, VAR)
#define ALIAS(ID, BASE, PA) ID,
#include "data/tables.def"
#undef TABLE_BEGIN
#undef ALIAS
    COUNT_
};
constexpr int kTableCount = static_cast<int>(Tbl::COUNT_);
#undef F
#undef MEMO
#undef KEY
#undef TABLE_END

// Field, memo and key numbers per prefix.
#define ALIAS(...)
#define TABLE_END(ID)                                                                              \
    }                                                                                              \
    ;                                                                                              \
    }
#define TABLE_BEGIN(ID, P, FILE, VAR)                                                              \
    namespace P##_no                                                                               \
    {                                                                                              \
        enum : uint16_t {
#define F(P, N, ...) N,
#define MEMO(...)
#define KEY(...)
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef KEY
#define TABLE_BEGIN(ID, P, FILE, VAR)                                                              \
    namespace P##_memo                                                                             \
    {                                                                                              \
        enum : uint16_t {
#define F(...)
#define MEMO(P, N, ...) N,
#define KEY(...)
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef KEY
#define TABLE_BEGIN(ID, P, FILE, VAR)                                                              \
    namespace P##_key                                                                              \
    {                                                                                              \
        enum : uint16_t {
#define F(...)
#define MEMO(...)
#define KEY(P, NAME, FLAGS, ...) NAME,
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef KEY
#undef TABLE_END

// The typed handles: KUN::NAVN, KUN::DIV, KUN::KeyNavn.
#define TABLE_BEGIN(ID, P, FILE, VAR) namespace P {
#define F(P, N, T, S, ...) inline constexpr FieldRef<FieldType::T> N{P##_no::N, S};
#define MEMO(P, N, MIXED, S, ...) inline constexpr MemoRef N{P##_memo::N, S};
#define KEY(P, NAME, FLAGS, ...) inline constexpr KeyRef NAME{P##_key::NAME};
#define TABLE_END(ID) }
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef KEY
#undef TABLE_END
#undef ALIAS

// The alias prefixes name their table's handles: KUNA::NAVN is KUN::NAVN. The tables' prefixes
// by table id first, since an alias names its table by id.
namespace prefix_of {
#define TABLE_BEGIN(ID, P, FILE, VAR) namespace ID = P;
#define F(...)
#define MEMO(...)
#define KEY(...)
#define TABLE_END(ID)
#define ALIAS(...)
#include "data/tables.def"
#undef TABLE_BEGIN
#undef ALIAS
}
#define TABLE_BEGIN(...)
#define ALIAS(ID, BASE, PA) namespace PA = prefix_of::BASE;
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef KEY
#undef TABLE_END
#undef ALIAS
#undef LABEL

// The directory.

// Global holding the file name of a table whose name changes with archive mode.
enum class NameVar : uint8_t { NOVAR, FAKTURA_PATH, FAKLINJE_PATH };

struct FieldDecl {
    std::string name;   // "KUN:NAVN"
    std::string column; // "NAVN"
    FieldType type;
    uint16_t size;     // bytes for TEXT (at most size-1 characters), digits for DEC
    int bytes() const; // in the record's fixed part
};

struct MemoDecl {
    std::string name;      // "KUN:DIV"
    std::string mixedName; // "KUN:Div", as filters name it
    std::string column;
    uint16_t size;
};

// How the filter builder takes a field's value: the value types of its entry.
enum class FilterValue : uint8_t { WHOLE = 1, DECIMAL = 2, TEXT = 3, DATE = 4 };

// A field or memo as the filter builder offers it.
struct OfferedField {
    std::string name;  // "KUN:PostNr", as filters write it
    std::string label; // "PostNr"
    FilterValue value;
};

enum KeyFlags : unsigned {
    K_DUP = 0,
    K_PRIMARY = 1,
    K_AUTO = 2,
    K_NOTINDEXED = 4,
};

struct KeyComponent {
    uint16_t field;
    bool ascending;
};

struct KeyDecl {
    std::string name; // the description, "KUN:KeyNavn"
    bool primary = false;
    bool unique = false;
    bool autoNumber = false;
    bool notIndexed = false;     // records whose key fields are all zero or empty are left out
    bool caseInsensitive = true; // every key of this system
    std::vector<KeyComponent> components;
};

struct TableDecl {
    Tbl id;
    Tbl base;             // the table itself, or the aliased table
    std::string name;     // "KUNDE", "KUNDE_ALIAS"
    std::string prefix;   // "KUN", "KUNA"
    std::string fileName; // default file name
    NameVar nameVar = NameVar::NOVAR;
    std::vector<FieldDecl> fields;
    std::vector<MemoDecl> memos;
    std::vector<KeyDecl> keys;
    std::vector<OfferedField> offered; // in the filter builder, in the order of declaration

    bool isAlias() const { return id != base; }
    int recordBytes() const;
    int primaryKey() const; // index into keys
    // By name with or without prefix, any case; -1 when unknown.
    int fieldNo(std::string_view name) const;
    int memoNo(std::string_view name) const;
    int keyNo(std::string_view name) const;
};

const TableDecl& table(Tbl id);
const std::vector<const TableDecl*>& allTables(); // the 15 tables and 10 aliases
// By table name ("KUNDE", "kunde_alias") or prefix ("KUN"); nullptr when unknown.
const TableDecl* findTable(std::string_view nameOrPrefix);

} // namespace tavlo
