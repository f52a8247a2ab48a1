// "tavlo records": the records of one table listed, inserted, updated and deleted through the
// record-store managers the registers use.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/filterexpr.h"
#include "framework/text.h"
#include "framework/viewmanager.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

// Exit code after a record-store operation failed: it has said why, unless it failed silently.
int storeFailed(const CliAnswers& answers, const std::string& fallback)
{
    if (answers.shown() == 0)
        throw Failure{fallback};
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Fields and values

struct Column {
    bool memo = false;
    int no = 0;
};

// An alias table also answers to its table's prefix (KUN:NAVN in KUNDE_ALIAS).
std::string ownName(const TableDecl& t, std::string_view name)
{
    std::string n(text::trim(name));
    auto colon = n.find(':');
    if (t.isAlias() && colon != std::string::npos &&
        text::upper(n.substr(0, colon)) == table(t.base).prefix)
        n = t.prefix + n.substr(colon);
    return n;
}

std::optional<Column> findColumn(const TableDecl& t, std::string_view name)
{
    std::string n = ownName(t, name);
    if (int f = t.fieldNo(n); f >= 0)
        return Column{false, f};
    if (int m = t.memoNo(n); m >= 0)
        return Column{true, m};
    return std::nullopt;
}

Column columnOrFail(const TableDecl& t, std::string_view name)
{
    auto c = findColumn(t, name);
    if (!c)
        throw Failure{"Ukjent felt: " + std::string(text::trim(name))};
    return *c;
}

std::string columnName(const TableDecl& t, const Column& c)
{
    return c.memo ? t.memos[c.no].name : t.fields[c.no].name;
}

std::string expected(const TableDecl& t, const Column& c)
{
    if (c.memo)
        return "en tekst på høyst " + std::to_string(t.memos[c.no].size) + " tegn";
    const FieldDecl& f = t.fields[c.no];
    switch (f.type) {
    case FieldType::INT32: return "et heltall";
    case FieldType::BYTE: return "et heltall fra 0 til 255";
    case FieldType::DATE: return "en dato som 31.12.2004";
    case FieldType::DEC:
        return "et desimaltall med høyst " + std::to_string(f.size - 2) + " sifre før komma";
    case FieldType::TEXT: return "en tekst på høyst " + std::to_string(f.size - 1) + " tegn";
    }
    return {};
}

// Stores a value through the record's own parsing; memos are checked here because the record
// cuts an over-long memo short instead of refusing it.
bool store(Record& r, const Column& c, std::string_view value)
{
    if (!c.memo)
        return r.setText(c.no, value);
    if (!text::isValidUtf8(value) || text::length(value) > r.decl().memos[c.no].size)
        return false;
    r.setMemo(c.no, value);
    return true;
}

std::string valueText(const Record& r, const Column& c)
{
    return c.memo ? r.memo(c.no) : r.text(c.no);
}

struct Assignment {
    Column column;
    std::string value;
};

std::vector<Assignment> parseAssignments(const TableDecl& t, const std::vector<std::string>& args)
{
    std::vector<Assignment> out;
    Record scratch(t);
    for (const auto& a : args) {
        auto eq = a.find('=');
        if (eq == std::string::npos)
            throw Failure{"Mangler '=' i «" + shortened(a) + "»: skriv FELT=VERDI"};
        Column c = columnOrFail(t, std::string_view(a).substr(0, eq));
        std::string value = a.substr(eq + 1);
        if (!store(scratch, c, value))
            throw Failure{"Ugyldig verdi for " + columnName(t, c) + ": «" + shortened(value) +
                          "» (ventet " + expected(t, c) + ")"};
        out.push_back({c, std::move(value)});
    }
    return out;
}

// The primary key as the update command takes it. A key of several parts is one csv line
// ("101,5000", "\"Kunde, kartotek\",Bredde"); a key of one part is its value as it stands.
std::string keyText(const Record& r)
{
    const TableDecl& t = r.decl();
    const auto& comps = t.keys[t.primaryKey()].components;
    if (comps.size() == 1)
        return r.text(comps.front().field);
    std::string s;
    for (const auto& comp : comps)
        s += (s.empty() ? "" : ",") + csvField(r.text(comp.field));
    return s;
}

// The parts of a csv line; nullopt when a quote is not closed.
std::optional<std::vector<std::string>> csvParts(std::string_view line)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c != '"')
                parts.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                parts.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return parts;
}

// Puts a key typed as keyText writes it into the primary key's fields.
void parseKey(const TableDecl& t, const std::string& key, Record& r)
{
    const auto& comps = t.keys[t.primaryKey()].components;
    auto parts = comps.size() == 1 ? std::vector<std::string>{key} : csvParts(key);
    if (!parts || parts->size() != comps.size()) {
        std::string names;
        for (const auto& c : comps)
            names += (names.empty() ? "" : ",") + t.fields[c.field].column;
        throw Failure{"Nøkkelen til " + t.name + " har " + std::to_string(comps.size()) +
                      " deler (" + names + "), skrevet med komma mellom: «" + shortened(key) + "»"};
    }
    for (std::size_t i = 0; i < comps.size(); ++i) {
        Column c{false, comps[i].field};
        if (!r.setText(c.no, (*parts)[i]))
            throw Failure{"Ugyldig nøkkelverdi for " + columnName(t, c) + ": «" +
                          shortened((*parts)[i]) + "» (ventet " + expected(t, c) + ")"};
    }
}

// ---------------------------------------------------------------------------------------------
// Output

bool isNumber(const TableDecl& t, const Column& c)
{
    if (c.memo)
        return false;
    FieldType type = t.fields[c.no].type;
    return type == FieldType::INT32 || type == FieldType::BYTE || type == FieldType::DEC;
}

// ---------------------------------------------------------------------------------------------
// Commands

struct RecordsArgs {
    std::string dir;
    std::string table;
    std::string command;
    std::vector<std::string> rest;
    std::optional<std::string> key;
    std::optional<std::string> fields;
    std::optional<std::string> filter;
    std::string format = "csv";
    bool archive = false;
};

RecordsArgs parseRecordsArgs(const std::vector<std::string>& args)
{
    RecordsArgs a;
    std::vector<std::string> positional;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsDone || arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (name == "--archive" && !hasValue) {
            a.archive = true;
            continue;
        }
        if (name != "--key" && name != "--fields" && name != "--format" && name != "--filter")
            throw Failure{"Ukjent valg: " + arg};
        if (!hasValue) {
            if (i + 1 >= args.size())
                throw Failure{"Mangler verdi til " + name};
            value = args[++i];
        }
        if (name == "--key")
            a.key = value;
        else if (name == "--fields")
            a.fields = value;
        else if (name == "--filter")
            a.filter = value;
        else
            a.format = value;
    }
    if (positional.empty())
        throw Failure{"Mangler datamappe: tavlo records MAPPE TABELL list|insert|update|delete"};
    if (positional.size() < 2)
        throw Failure{"Mangler tabellnavn: tavlo records MAPPE TABELL list|insert|update|delete"};
    if (positional.size() < 3)
        throw Failure{"Mangler kommando: list, insert, update eller delete"};
    a.dir = positional[0];
    a.table = positional[1];
    a.command = positional[2];
    a.rest.assign(positional.begin() + 3, positional.end());

    if (a.command != "list" && a.command != "insert" && a.command != "update" &&
        a.command != "delete")
        throw Failure{"Ukjent kommando: " + a.command + " (list, insert, update eller delete)"};
    if (a.command != "list" && (a.key || a.fields || a.filter || a.format != "csv"))
        throw Failure{"--key, --fields, --format og --filter gjelder bare list"};
    if (a.format != "csv" && a.format != "json")
        throw Failure{"Ukjent format: " + a.format + " (csv eller json)"};
    if (a.command == "list" && !a.rest.empty())
        throw Failure{"Ukjent argument til list: " + a.rest.front()};
    if (a.command == "update" && a.rest.empty())
        throw Failure{"Mangler nøkkel: tavlo records MAPPE TABELL update NØKKEL FELT=VERDI ..."};
    if (a.command == "delete" && a.rest.empty())
        throw Failure{"Mangler nøkkel: tavlo records MAPPE TABELL delete NØKKEL"};
    if (a.command == "delete" && a.rest.size() > 1)
        throw Failure{"Ukjent argument til delete: " + a.rest[1]};
    if (a.command == "update" && a.rest.size() < 2)
        throw Failure{
            "Ingen felt å endre: tavlo records MAPPE TABELL update NØKKEL FELT=VERDI ..."};
    return a;
}

// Walks the table through a view, the way the registers read it: the key as its one sort order
// and the filter, checked already, as its filter.
int list(Context& ctx, const TableDecl& t, int key, const std::string& filter,
         const std::vector<Column>& columns, bool json, CliAnswers& answers)
{
    ViewManager view;
    view.INIT(ctx, t.id);
    view.ADDSORTORDER(KeyRef{static_cast<uint16_t>(key)});
    view.SETFILTER(filter);
    // The view refuses what it cannot run and then walks without the filter: listing every
    // record instead of the ones asked for would be worse than stopping.
    if (view.APPLYFILTER() != LEVEL_BENIGN) {
        answers.discard();
        throw Failure{"Filteret kan ikke brukes: " + ctx.errorState().currentErrorText};
    }
    view.OPEN();
    const Record& r = view.file().rec();
    std::string header;
    for (const auto& c : columns)
        header += (header.empty() ? "" : ",") + csvField(columnName(t, c));
    long rows = 0;
    for (;;) {
        // The header waits for the first read: a table that cannot be opened prints nothing.
        int level = view.NEXT();
        if (level != LEVEL_BENIGN) {
            if (!view.file().GETEOF())
                return storeFailed(answers, "Kunne ikke lese " + t.name);
            break;
        }
        if (rows == 0)
            std::cout << (json ? "[\n" : header + "\n");
        std::string line;
        if (json) {
            line = rows ? ",\n  {" : "  {";
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const Column& c = columns[i];
                std::string v = valueText(r, c);
                line += (i ? ", " : "") + jsonString(columnName(t, c)) + ": " +
                        (isNumber(t, c) ? v : jsonString(v));
            }
            line += "}";
        } else {
            for (std::size_t i = 0; i < columns.size(); ++i)
                line += (i ? "," : "") + csvField(valueText(r, columns[i]));
            line += "\n";
        }
        std::cout << line;
        ++rows;
    }
    if (rows == 0)
        std::cout << (json ? "[]\n" : header + "\n");
    else if (json)
        std::cout << "\n]\n";
    view.CLOSE();
    return 0;
}

void assign(Record& r, const std::vector<Assignment>& values)
{
    for (const auto& a : values)
        store(r, a.column, a.value); // checked when the arguments were read
}

int insert(Context& ctx, const TableDecl& t, const std::vector<Assignment>& values,
           const CliAnswers& answers)
{
    FileManager& fm = ctx.access(t.id);
    fm.OPEN();
    Record& r = fm.rec();
    // Not PRIMERECORD: that would add a numbered record before the values are known.
    r.clear();
    assign(r, values);
    if (fm.INSERT() != LEVEL_BENIGN)
        return storeFailed(answers, "Posten ble ikke lagt til i " + t.name);
    std::cout << keyText(r) << '\n';
    fm.CLOSE();
    return 0;
}

// Reads the record with the primary key typed on the command line into the buffer. False when
// the record store has said why already.
bool fetchByKey(Context& ctx, FileManager& fm, const std::string& key, const CliAnswers& answers)
{
    const TableDecl& t = fm.decl();
    Record& r = fm.rec();
    r.clear();
    parseKey(t, key, r);
    if (fm.FETCH(KeyRef{static_cast<uint16_t>(t.primaryKey())}) == LEVEL_BENIGN)
        return true;
    if (answers.shown() > 0)
        return false;
    const ErrorState& s = ctx.errorState();
    if (s.currentErrorCode == ERR_RECORD_NOT_FOUND)
        throw Failure{"Fant ingen post i " + t.name + " med nøkkelen " + key};
    throw Failure{"Kunne ikke lese " + t.name + ": " + s.currentErrorText};
}

int update(Context& ctx, const TableDecl& t, const std::string& key,
           const std::vector<Assignment>& values, const CliAnswers& answers)
{
    FileManager& fm = ctx.access(t.id);
    fm.OPEN();
    if (!fetchByKey(ctx, fm, key, answers))
        return 1;
    Record& r = fm.rec();
    assign(r, values);
    if (fm.UPDATE() != LEVEL_BENIGN)
        return storeFailed(answers, "Posten i " + t.name + " ble ikke endret");
    std::cout << keyText(r) << '\n';
    fm.CLOSE();
    return 0;
}

// Deletes through the table's relation manager, as the registers do: the children go with the
// record or stop it, all in one transaction. Nobody is there to confirm, so it does not ask.
int deleteRecord(Context& ctx, const TableDecl& t, const std::string& key,
                 const CliAnswers& answers)
{
    RelationManager& relate = ctx.relate(t.id);
    relate.OPEN();
    if (!fetchByKey(ctx, relate.me(), key, answers))
        return 1;
    const std::string deleted = keyText(relate.me().rec());
    const int level = relate.DELETE(false);
    relate.CLOSE();
    if (level != LEVEL_BENIGN)
        return storeFailed(answers, "Posten i " + t.name + " ble ikke slettet");
    std::cout << deleted << '\n';
    return 0;
}

} // namespace

int records(const std::vector<std::string>& args, CliAnswers& answers)
{
    RecordsArgs a = parseRecordsArgs(args);
    const TableDecl* t = findTable(a.table);
    if (!t)
        throw Failure{"Ukjent tabell: " + a.table};

    // Everything the arguments name is checked before the data folder is touched.
    int key = t->primaryKey();
    std::vector<Column> columns;
    std::vector<Assignment> values;
    if (a.command == "list") {
        if (a.key) {
            key = t->keyNo(ownName(*t, *a.key));
            if (key < 0)
                throw Failure{"Ukjent nøkkel: " + *a.key};
        }
        if (a.fields) {
            std::string_view rest = *a.fields;
            for (;;) {
                auto comma = rest.find(',');
                std::string_view name = rest.substr(0, comma);
                if (text::trim(name).empty())
                    throw Failure{"Tomt feltnavn i --fields: " + *a.fields};
                columns.push_back(columnOrFail(*t, name));
                if (comma == std::string_view::npos)
                    break;
                rest.remove_prefix(comma + 1);
            }
        } else {
            for (std::size_t i = 0; i < t->fields.size(); ++i)
                columns.push_back({false, static_cast<int>(i)});
        }
        if (a.filter && !text::trim(*a.filter).empty()) {
            FilterExpr f = FilterExpr::parse(*a.filter, *t);
            if (!f.ok())
                throw Failure{"Filteret kan ikke brukes: " + f.error()};
        }
    } else if (a.command == "delete") {
        if (t->base == Tbl::PARAM)
            throw Failure{"PARAM har alltid én post; den kan ikke slettes"};
        // An alias has no relations: deleting through it would skip what belongs to the record.
        if (t->isAlias())
            throw Failure{"Slett fra " + table(t->base).name + ", ikke fra aliaset " + t->name};
        Record probe(*t);
        parseKey(*t, a.rest.front(), probe);
    } else {
        if (a.command == "insert" && t->base == Tbl::PARAM)
            throw Failure{"PARAM har alltid bare én post; endre den med update"};
        std::vector<std::string> assignments = a.rest;
        if (a.command == "update") {
            Record probe(*t);
            parseKey(*t, a.rest.front(), probe);
            assignments.erase(assignments.begin());
        }
        values = parseAssignments(*t, assignments);
    }

    // Opening a table creates a missing file: a folder that is not a data folder must stay
    // as it is.
    useDataFolder(a.dir);
    GLO::setArchiveMode(a.archive);

    Context ctx;
    ProcedureScope scope(ctx, "TAVLO");
    bool found = false;
    if (findParamRecord(ctx, found) != LEVEL_BENIGN)
        return storeFailed(answers, "Kunne ikke lese parametertabellen i " + a.dir);
    if (!found)
        throw Failure{"Datamappen " + a.dir + " har ingen parameterpost"};

    if (a.command == "list")
        return list(ctx, *t, key, a.filter.value_or(""), columns, a.format == "json", answers);
    if (a.command == "insert")
        return insert(ctx, *t, values, answers);
    if (a.command == "delete")
        return deleteRecord(ctx, *t, a.rest.front(), answers);
    return update(ctx, *t, a.rest.front(), values, answers);
}

} // namespace tavlo::cli
