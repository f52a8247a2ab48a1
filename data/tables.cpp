#include "data/tables.h"

#include <array>
#include <memory>
#include <optional>

#include "framework/text.h"

namespace tavlo {
namespace {

std::string stripPrefix(std::string_view name)
{
    auto colon = name.find(':');
    return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

bool sameName(std::string_view a, std::string_view b)
{
    return text::upper(a) == text::upper(b);
}

TableDecl makeAlias(const TableDecl& base, Tbl id, const char* name, const char* prefix)
{
    TableDecl a = base;
    a.id = id;
    a.base = base.id;
    a.name = name;
    a.prefix = prefix;
    auto rename = [&](std::string& n) { n = a.prefix + n.substr(n.find(':')); };
    for (auto& f : a.fields)
        rename(f.name);
    for (auto& m : a.memos) {
        rename(m.name);
        rename(m.mixedName);
    }
    for (auto& k : a.keys)
        rename(k.name);
    for (auto& o : a.offered)
        rename(o.name);
    return a;
}

// The value type a field's own type suggests to the filter builder.
FilterValue naturalValue(FieldType type)
{
    switch (type) {
    case FieldType::INT32:
    case FieldType::BYTE: return FilterValue::WHOLE;
    case FieldType::DEC: return FilterValue::DECIMAL;
    case FieldType::DATE: return FilterValue::DATE;
    case FieldType::TEXT: break;
    }
    return FilterValue::TEXT;
}

void addField(TableDecl& t, const char* column, FieldType type, uint16_t size)
{
    t.fields.push_back({t.prefix + ":" + column, column, type, size});
}

void addField(TableDecl& t, const char* column, FieldType type, uint16_t size, const char* mixed,
              const char* label, std::optional<FilterValue> value = std::nullopt)
{
    addField(t, column, type, size);
    t.offered.push_back({t.prefix + ":" + mixed, label, value.value_or(naturalValue(type))});
}

void addMemo(TableDecl& t, const char* column, const char* mixed, uint16_t size)
{
    t.memos.push_back({t.prefix + ":" + column, t.prefix + ":" + mixed, column, size});
}

void addMemo(TableDecl& t, const char* column, const char* mixed, uint16_t size, const char* label,
             FilterValue value = FilterValue::TEXT)
{
    addMemo(t, column, mixed, size);
    t.offered.push_back({t.memos.back().mixedName, label, value});
}

// A field offered once more under another label: a copy of its first offer.
void addLabel(TableDecl& t, const char* column, const char* label)
{
    for (std::size_t i = 0; i < t.offered.size(); ++i)
        if (sameName(stripPrefix(t.offered[i].name), column)) {
            OfferedField o = t.offered[i];
            o.label = label;
            t.offered.push_back(std::move(o));
            return;
        }
}

struct Directory {
    std::array<std::unique_ptr<TableDecl>, kTableCount> tables;
    std::vector<const TableDecl*> all;

    Directory()
    {
        // The value types a declaration may name.
        using enum FilterValue;
#define TABLE_BEGIN(ID, P, FILE, VAR)                                                              \
    {                                                                                              \
        auto t = std::make_unique<TableDecl>();                                                    \
        t->id = t->base = Tbl::ID;                                                                 \
        t->name = #ID;                                                                             \
        t->prefix = #P;                                                                            \
        t->fileName = FILE;                                                                        \
        t->nameVar = NameVar::VAR;
#define F(P, N, T, S, ...) addField(*t, #N, FieldType::T, S __VA_OPT__(, ) __VA_ARGS__);
#define MEMO(P, N, MIXED, S, ...) addMemo(*t, #N, MIXED, S __VA_OPT__(, ) __VA_ARGS__);
#define LABEL(P, N, L) addLabel(*t, #N, L);
#define KEY(P, NAME, FLAGS, ...)                                                                   \
    {                                                                                              \
        KeyDecl k;                                                                                 \
        k.name = t->prefix + ":" #NAME;                                                            \
        unsigned flags = (FLAGS);                                                                  \
        k.primary = flags & K_PRIMARY;                                                             \
        k.unique = k.primary;                                                                      \
        k.autoNumber = flags & K_AUTO;                                                             \
        k.notIndexed = flags & K_NOTINDEXED;                                                       \
        using namespace P##_no;                                                                    \
        k.components = {KEY_COMPONENTS_(__VA_ARGS__)};                                             \
        t->keys.push_back(std::move(k));                                                           \
    }
#define ASC(N)                                                                                     \
    KeyComponent                                                                                   \
    {                                                                                              \
        N, true                                                                                    \
    }
#define DSC(N)                                                                                     \
    KeyComponent                                                                                   \
    {                                                                                              \
        N, false                                                                                   \
    }
#define KEY_COMPONENTS_(...) __VA_ARGS__
#define TABLE_END(ID)                                                                              \
    tables[static_cast<int>(Tbl::ID)] = std::move(t);                                              \
    }
#define ALIAS(ID, BASE, PA)                                                                        \
    tables[static_cast<int>(Tbl::ID)] = std::make_unique<TableDecl>(                               \
        makeAlias(*tables[static_cast<int>(Tbl::BASE)], Tbl::ID, #ID, #PA));
#include "data/tables.def"
#undef TABLE_BEGIN
#undef F
#undef MEMO
#undef LABEL
#undef ASC
#undef DSC
#undef KEY
#undef KEY_COMPONENTS_
#undef TABLE_END
#undef ALIAS
        for (auto& t : tables)
            all.push_back(t.get());
    }
};

const Directory& directory()
{
    static const Directory d;
    return d;
}

} // namespace

int FieldDecl::bytes() const
{
    switch (type) {
    case FieldType::INT32:
    case FieldType::DATE: return 4;
    case FieldType::BYTE: return 1;
    case FieldType::DEC: return size / 2 + 1; // packed decimal: two digits a byte and the sign
    case FieldType::TEXT: return size;
    }
    return 0;
}

int TableDecl::recordBytes() const
{
    int n = 0;
    for (const auto& f : fields)
        n += f.bytes();
    return n;
}

int TableDecl::primaryKey() const
{
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].primary)
            return static_cast<int>(i);
    return 0;
}

namespace {

// Position of a name (with or without this table's prefix, any case) among `names`; -1.
template <typename Items, typename NameOf>
int findName(const TableDecl& t, std::string_view name, const Items& items, NameOf nameOf)
{
    auto colon = name.find(':');
    if (colon != std::string_view::npos && !sameName(name.substr(0, colon), t.prefix))
        return -1;
    std::string bare = stripPrefix(name);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (sameName(nameOf(items[i]), bare))
            return static_cast<int>(i);
    return -1;
}

} // namespace

int TableDecl::fieldNo(std::string_view name) const
{
    return findName(*this, name, fields, [](const FieldDecl& f) { return f.column; });
}

int TableDecl::memoNo(std::string_view name) const
{
    return findName(*this, name, memos, [](const MemoDecl& m) { return m.column; });
}

int TableDecl::keyNo(std::string_view name) const
{
    return findName(*this, name, keys, [](const KeyDecl& k) { return stripPrefix(k.name); });
}

const TableDecl& table(Tbl id)
{
    return *directory().tables[static_cast<int>(id)];
}

const std::vector<const TableDecl*>& allTables()
{
    return directory().all;
}

const TableDecl* findTable(std::string_view nameOrPrefix)
{
    for (const auto* t : directory().all)
        if (sameName(t->name, nameOrPrefix) || sameName(t->prefix, nameOrPrefix))
            return t;
    return nullptr;
}

} // namespace tavlo
