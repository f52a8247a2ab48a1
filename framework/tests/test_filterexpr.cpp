#include "framework/filterexpr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "data/globals.h"
#include "data/store.h"
#include "framework/text.h"

using namespace tavlo;

namespace {

std::vector<std::string> split(std::string_view list)
{
    std::vector<std::string> out;
    for (std::size_t from = 0;;) {
        std::size_t bar = list.find('|', from);
        out.emplace_back(list.substr(from, bar - from));
        if (bar == std::string_view::npos)
            return out;
        from = bar + 1;
    }
}

std::string nested(int n, const std::string& open, const std::string& inner,
                   const std::string& close)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += open;
    s += inner;
    for (int i = 0; i < n; ++i)
        s += close;
    return s;
}

// A table file of its own in a temporary folder, for asking the database what a filter finds.
class TableOnDisk {
  public:
    explicit TableOnDisk(Tbl id) : decl(table(id))
    {
        char pattern[] = "/tmp/tavlo-filter-XXXXXX";
        dir_ = mkdtemp(pattern);
        StoreError err;
        file_ = TableFile::open(dir_ + "/" + decl.fileName, decl, TableFile::Mode::READ_WRITE, true,
                                GLO::OWNERNAME, err);
        EXPECT_TRUE(file_) << err.text << " " << err.driverText;
    }
    ~TableOnDisk()
    {
        file_.reset();
        std::filesystem::remove_all(dir_);
    }

    RowRef add(const Record& r)
    {
        RowRef ref;
        StoreError err;
        EXPECT_TRUE(file_->insert(r, ref, err)) << err.text << " " << err.driverText;
        return ref;
    }
    void remove(const RowRef& ref)
    {
        StoreError err;
        EXPECT_TRUE(file_->remove(ref, err)) << err.text;
    }
    // Every record in primary-key order, memos included, limited by `c` when given.
    bool rows(const SqlCondition* c, std::vector<Row>& out, StoreError& err)
    {
        out.clear();
        return file_->page(decl.primaryKey(), Bound{}, true, 1000000, out, err, true, c);
    }

    const TableDecl& decl;

  private:
    std::string dir_;
    std::unique_ptr<TableFile> file_;
};

// The filter's verdict on one record, after checking that the database gives the same one.
class FilterExprTest : public ::testing::Test {
  protected:
    bool accepts(std::string_view filter, const Record& r)
    {
        FilterExpr f = FilterExpr::parse(filter, r.decl());
        EXPECT_TRUE(f.ok()) << filter << ": " << f.error();
        std::optional<bool> v = f.evaluate(r);
        EXPECT_TRUE(v.has_value()) << filter;
        TableOnDisk& t = disk(r.decl().base);
        RowRef ref = t.add(r);
        SqlCondition c = f.toSql();
        std::vector<Row> found;
        StoreError err;
        EXPECT_TRUE(t.rows(&c, found, err)) << filter << ": " << err.driverText << "\n" << c.sql;
        EXPECT_EQ(found.size() == 1, v.value_or(false)) << filter << "\n" << c.sql;
        EXPECT_EQ(c.test(r), v.value_or(false)) << filter;
        t.remove(ref);
        return v.value_or(false);
    }

    TableOnDisk& disk(Tbl id)
    {
        auto& slot = disks_[static_cast<int>(id)];
        if (!slot)
            slot = std::make_unique<TableOnDisk>(id);
        return *slot;
    }

    Record customer(int postNr, std::string_view name = "Ola")
    {
        Record r(table(Tbl::KUNDE));
        r.set(KUN::KUNDEID, 1);
        r.set(KUN::POSTNR, postNr);
        r.set(KUN::NAVN, name);
        return r;
    }

    Record invoice(std::string_view total, int32_t paid = 0)
    {
        Record r(table(Tbl::FAKTURA));
        r.set(FAK::FAKTURAID, 1);
        r.set(FAK::TOTALSUM, *Decimal::parse(total));
        r.set(FAK::BETALTDATO, paid);
        return r;
    }

    Record invoiceWith(TextField f, std::string_view v)
    {
        Record r = invoice("0");
        r.set(f, v);
        return r;
    }
    Record invoiceNamed(std::string_view name) { return invoiceWith(FAK::KUNDENAVN, name); }
    Record invoiceProject(std::string_view id) { return invoiceWith(FAK::PROSJEKTID, id); }

  private:
    std::unique_ptr<TableOnDisk> disks_[kTableCount];
};

TEST_F(FilterExprTest, FiltersTheBuilderAndTheRegistersWrite)
{
    const char* postNr = "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)";
    EXPECT_TRUE(accepts(postNr, customer(5000)));
    EXPECT_TRUE(accepts(postNr, customer(999)));
    EXPECT_TRUE(accepts(postNr, customer(0)));
    EXPECT_FALSE(accepts(postNr, customer(1000)));
    EXPECT_FALSE(accepts(postNr, customer(4999)));

    const char* as = "INSTRING('AS',UPPER(FAK:KundeNavn),1,1)";
    EXPECT_TRUE(accepts(as, invoiceNamed("Bygg as")));
    EXPECT_TRUE(accepts(as, invoiceNamed("Åsen Bygg AS")));
    EXPECT_FALSE(accepts(as, invoiceNamed("Åsen Bygg")));
    EXPECT_FALSE(accepts(as, invoiceNamed("Olsen")));
    EXPECT_FALSE(accepts(as, invoiceNamed("")));

    const char* unpaid = "(FAK:TotalSum > 1000) AND (NOT FAK:BetaltDato)";
    EXPECT_TRUE(accepts(unpaid, invoice("1000.01")));
    EXPECT_FALSE(accepts(unpaid, invoice("1000.00")));
    EXPECT_FALSE(accepts(unpaid, invoice("2000", 75000)));
    EXPECT_TRUE(accepts("fak:totalsum > 999.99 and not fak:betaltdato", invoice("1000")));

    Record credit = invoice("-10");
    EXPECT_FALSE(accepts("(FAK:KreditNota)", credit));
    credit.set(FAK::KREDITNOTA, 1);
    EXPECT_TRUE(accepts("(FAK:KreditNota)", credit));

    EXPECT_TRUE(accepts("(1)", customer(1)));
    EXPECT_FALSE(accepts("(0)", customer(1)));
    EXPECT_FALSE(accepts("NOT (1)", customer(1)));
}

TEST_F(FilterExprTest, RefusedFiltersSayWhatAndWhere)
{
    struct Case {
        const char* filter;
        Tbl table;
        const char* message;
        int pos;
    };
    const Case cases[] = {
        {"(KUN:Navn = Ola)", Tbl::KUNDE, "Ukjent navn: Ola", 13},
        {"(KUN:PostNr > 5) AND  AND (KUN:PostNr < 9)", Tbl::KUNDE, "Uventet symbol: AND", 23},
        {"KUN:Navn = 'abc", Tbl::KUNDE, "Teksten mangler avsluttende apostrof", 12},
        {"(FAK:TotalSun > 1)", Tbl::FAKTURA, "Ukjent felt: FAK:TotalSun", 2},
        {"KUN:Navn = 'x'", Tbl::FAKTURA, "Ukjent felt: KUN:Navn", 1},
        {"KUN:Navn = 'x'", Tbl::KUNDE_ALIAS, "Ukjent felt: KUN:Navn", 1},
        {"FAK: = 1", Tbl::FAKTURA, "Ukjent felt: FAK:", 1},
        {"(KUN:PostNr > 5", Tbl::KUNDE, "Mangler )", 16},
        {"KUN:PostNr >", Tbl::KUNDE, "Uventet slutt på uttrykket", 13},
        {"KUN:PostNr > 1 AND", Tbl::KUNDE, "Uventet slutt på uttrykket", 19},
        {"KUN:PostNr = 99999999999999999999999", Tbl::KUNDE,
         "Tallet er for stort: 99999999999999999999999", 14},
        {"KUN:PostNr = 1.0000001", Tbl::KUNDE, "For mange desimaler i tallet: 1.0000001", 14},
        {"KUN:PostNr == 1", Tbl::KUNDE, "Uventet symbol: =", 13},
        {"KUN:PostNr != 1", Tbl::KUNDE, "Ugyldig tegn: !", 12},
        {"KUN:PostNr = 1 = 2", Tbl::KUNDE, "Uventet symbol: =", 16},
        {"(KUN:PostNr = 1) = 1", Tbl::KUNDE, "Et vilkår kan ikke brukes som verdi", 1},
        {"UPPER(KUN:Navn = 'a') = 'A'", Tbl::KUNDE, "Et vilkår kan ikke brukes som verdi", 7},
        {"UPPER(KUN:Navn, 1) = 'A'", Tbl::KUNDE, "UPPER tar ett argument", 1},
        {"INSTRING('a', KUN:Navn, 1)", Tbl::KUNDE, "INSTRING tar fire argumenter", 1},
        {"INSTRING('a', KUN:Navn, KUN:PostNr, 1)", Tbl::KUNDE,
         "INSTRING: steg og start må være hele tall", 25},
        {"INSTRING('a', KUN:Navn, 1, 1.5)", Tbl::KUNDE, "INSTRING: steg og start må være hele tall",
         28},
        {"UPPER KUN:Navn", Tbl::KUNDE, "Mangler ( etter UPPER", 7},
        {"KUN:Navn = 'æ' AND Ø", Tbl::KUNDE, "Ugyldig tegn: Ø", 20},
        {"KUN:PostNr = 5 NOT", Tbl::KUNDE, "Uventet symbol: NOT", 16},
        {"KUN:PostNr = -KUN:PostNr", Tbl::KUNDE, "Ugyldig tegn: -", 14},
        {"()", Tbl::KUNDE, "Uventet symbol: )", 2},
    };
    for (const auto& c : cases) {
        FilterExpr f = FilterExpr::parse(c.filter, table(c.table));
        EXPECT_FALSE(f.ok()) << c.filter;
        EXPECT_EQ(f.error(), std::string(c.message) + " (tegn " + std::to_string(c.pos) + ")")
            << c.filter;
        EXPECT_EQ(f.errorPos(), c.pos) << c.filter;
        EXPECT_FALSE(f.evaluate(Record(table(c.table))).has_value()) << c.filter;
    }
    EXPECT_EQ(FilterExpr::parse("", table(Tbl::KUNDE)).error(), "Filteret er tomt");
    EXPECT_EQ(FilterExpr::parse(" \t ", table(Tbl::KUNDE)).error(), "Filteret er tomt");
    EXPECT_EQ(FilterExpr::parse(std::string("(1)\0", 4), table(Tbl::KUNDE)).error(),
              "Ugyldig tegn: NUL (tegn 4)");
    EXPECT_EQ(FilterExpr::parse("KUN:Navn = '\xC3'", table(Tbl::KUNDE)).error(),
              "Filteret inneholder ugyldige tegn");

    // A refused filter never lets a record through, in SQL or in memory.
    SqlCondition none = FilterExpr::parse("KUN:Navn = Ola", table(Tbl::KUNDE)).toSql();
    TableOnDisk t(Tbl::KUNDE);
    t.add(customer(1));
    std::vector<Row> rows;
    StoreError err;
    ASSERT_TRUE(t.rows(&none, rows, err));
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(none.test(customer(1)));
}

TEST_F(FilterExprTest, LengthAndNestingLimits)
{
    const TableDecl& kun = table(Tbl::KUNDE);
    // Characters count, not bytes.
    std::string atLimit = "(1)" + std::string(2044, ' ');
    EXPECT_TRUE(FilterExpr::parse(atLimit, kun).ok());
    EXPECT_EQ(FilterExpr::parse(atLimit + " ", kun).error(),
              "Filteret er for langt (mer enn 2047 tegn)");
    std::string wide = "KUN:Navn <> '" + std::string(1000, 'x');
    for (int i = 0; i < 1032; ++i)
        wide += "ø";
    wide += "'";
    EXPECT_EQ(text::length(wide), 2046u);
    EXPECT_TRUE(FilterExpr::parse(wide, kun).ok());

    EXPECT_TRUE(FilterExpr::parse(nested(200, "(", "1", ")"), kun).ok());
    EXPECT_EQ(FilterExpr::parse(nested(201, "(", "1", ")"), kun).error(),
              "Uttrykket er nøstet for dypt (tegn 201)");
    EXPECT_FALSE(FilterExpr::parse(nested(201, "NOT ", "1", ""), kun).ok());
    EXPECT_FALSE(FilterExpr::parse(nested(1000, "(", "", ""), kun).ok());

    // Deep filters run in the database too, or are refused at once when its parser cannot
    // take them; nothing fails later in a walk.
    EXPECT_TRUE(accepts(nested(200, "NOT ", "KUN:PostNr", ""), customer(1)));
    EXPECT_FALSE(accepts(nested(99, "(NOT ", "KUN:PostNr = 1", ")"), customer(1)));
    EXPECT_TRUE(accepts(nested(10, "UPPER(", "KUN:Navn", ")") + " = 'OLA'", customer(1)));
    EXPECT_TRUE(accepts(nested(5, "(KUN:PostNr = 1 AND NOT (", "KUN:Navn = 5", " OR KUN:Div))"),
                        customer(1)));
    FilterExpr tooDeep = FilterExpr::parse(nested(60, "UPPER(", "KUN:Navn", ")"), kun);
    EXPECT_EQ(tooDeep.error(), "Filteret er for sammensatt");
    EXPECT_EQ(tooDeep.errorPos(), 0);
}

TEST_F(FilterExprTest, TextsCompareByteWiseWithoutTrailingBlanks)
{
    EXPECT_TRUE(accepts("KUN:Navn = 'abc'", customer(1, "abc  ")));
    EXPECT_TRUE(accepts("KUN:Navn = 'abc \t '", customer(1, "abc")));
    EXPECT_FALSE(accepts("KUN:Navn = 'abc'", customer(1, " abc")));
    EXPECT_FALSE(accepts("KUN:Navn = 'abc'", customer(1, "ABC")));
    EXPECT_TRUE(accepts("UPPER(KUN:Navn) = 'ÆRLIG Å'", customer(1, "ærlig å")));
    // The column's own order ignores case and would put 'a' before 'B'.
    EXPECT_FALSE(accepts("KUN:Navn < 'B'", customer(1, "a")));
    EXPECT_TRUE(accepts("KUN:Navn > 'Z'", customer(1, "a")));
    EXPECT_TRUE(accepts("KUN:Navn < 'abc'", customer(1, "ab")));
    EXPECT_TRUE(accepts("KUN:Navn = 'it''s'", customer(1, "it's")));
    EXPECT_TRUE(accepts("KUN:Navn = ''", customer(1, "   ")));
    EXPECT_TRUE(accepts("KUN:Navn = KUN:Adresse", customer(1, "")));

    Record r = customer(1, "Ola");
    r.set(KUN::DIV, "notat  ");
    EXPECT_TRUE(accepts("KUN:Div = 'notat'", r));
    EXPECT_TRUE(accepts("(KUN:Div) AND (KUN:Navn) AND NOT (KUN:Adresse)", r));
    r.set(KUN::DIV, " \t ");
    EXPECT_FALSE(accepts("(KUN:Div)", r));
}

TEST_F(FilterExprTest, NumbersCompareExactly)
{
    EXPECT_TRUE(accepts("FAK:TotalSum = 1000", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum = 12.5", invoice("12.50")));
    EXPECT_TRUE(accepts("FAK:TotalSum = 12.500000", invoice("12.50")));
    EXPECT_FALSE(accepts("FAK:TotalSum = 1000.001", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum <> 1000.001", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum < 1000.001", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum > 999.999", invoice("1000")));
    EXPECT_FALSE(accepts("FAK:TotalSum <= 999.995", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum >= 999.995", invoice("1000")));
    EXPECT_TRUE(accepts("FAK:TotalSum = -0.05", invoice("-0.05")));
    EXPECT_TRUE(accepts("FAK:TotalSum < -0.049", invoice("-0.05")));
    EXPECT_TRUE(accepts("FAK:TotalSum > -0.051", invoice("-0.05")));
    EXPECT_TRUE(accepts("FAK:TotalSum < 999999999999999999", invoice("999999999.99")));
    EXPECT_TRUE(accepts("FAK:TotalSum > -999999999999999999", invoice("-999999999.99")));
    EXPECT_TRUE(accepts("FAK:TotalSum <= 0.000001", invoice("0")));
    EXPECT_TRUE(accepts("FAK:TotalSum = FAK:Sum", invoice("0")));
    EXPECT_TRUE(accepts("KUN:PostNr > 4999.5", customer(5000)));
    EXPECT_FALSE(accepts("KUN:PostNr < 4999.5", customer(5000)));
    EXPECT_TRUE(accepts("KUN:PostNr = 5000.0", customer(5000)));
    EXPECT_TRUE(accepts("KUN:PostNr = -3", customer(-3)));
    EXPECT_TRUE(accepts("FAK:BetaltDato = 75000", invoice("0", 75000)));
    EXPECT_TRUE(accepts("FAK:BetaltDato > FAK:TotalSum", invoice("74999.99", 75000)));
    EXPECT_FALSE(accepts("FAK:BetaltDato > FAK:TotalSum", invoice("75000", 75000)));
    EXPECT_TRUE(accepts("(FAK:TotalSum)", invoice("-0.01")));
    EXPECT_FALSE(accepts("(FAK:TotalSum) OR (0.0) OR ('  ')", invoice("0")));
}

TEST_F(FilterExprTest, TextAgainstNumberReadsTheTextWhenItIsANumber)
{
    EXPECT_TRUE(accepts("FAK:ProsjektId = 12", invoiceProject("12")));
    EXPECT_TRUE(accepts("FAK:ProsjektId = 12", invoiceProject(" 012 ")));
    EXPECT_TRUE(accepts("12 = FAK:ProsjektId", invoiceProject("12.0")));
    EXPECT_TRUE(accepts("FAK:ProsjektId > 9", invoiceProject("10")));
    EXPECT_FALSE(accepts("FAK:ProsjektId > 10", invoiceProject("9.5")));
    EXPECT_TRUE(accepts("FAK:ProsjektId = -0.000001", invoiceProject("-0.000001")));
    EXPECT_TRUE(accepts("FAK:ProsjektId < 0", invoiceProject("-7")));
    EXPECT_TRUE(accepts("FAK:ProsjektId = FAK:TotalSum", invoiceProject("0.00")));
    // Not numbers: the number is written as text and the two compare as texts.
    EXPECT_FALSE(accepts("FAK:ProsjektId = 12", invoiceProject("A12")));
    EXPECT_FALSE(accepts("FAK:ProsjektId = 0", invoiceProject("")));
    EXPECT_TRUE(accepts("FAK:ProsjektId > 5", invoiceProject("abc")));
    EXPECT_FALSE(accepts("FAK:ProsjektId = 12.5", invoiceProject("12.5.")));
    EXPECT_FALSE(accepts("FAK:ProsjektId = 12.5", invoiceProject("12,5")));
    EXPECT_TRUE(accepts("FAK:ProsjektId < 5", invoiceProject("1.0000001")));
    EXPECT_TRUE(accepts("FAK:ProsjektId < 5", invoiceProject("1000000000000")));
    EXPECT_TRUE(accepts("FAK:ProsjektId = 999999999999", invoiceProject("999999999999")));
    EXPECT_FALSE(accepts("FAK:ProsjektId = FAK:TotalSum", invoiceProject("-.5")));

    Record product(table(Tbl::PRODUKT));
    product.set(PRO::MAXFAKTURALINJERABATT, "9.5");
    EXPECT_FALSE(accepts("PRO:MaxFakturaLinjeRabatt >= 10.5", product));
    product.set(PRO::MAXFAKTURALINJERABATT, "12.50");
    EXPECT_TRUE(accepts("PRO:MaxFakturaLinjeRabatt >= 10.5", product));
    product.set(PRO::ENHETSPRIS, *Decimal::parse("-12.05"));
    EXPECT_TRUE(accepts("UPPER(PRO:Enhetspris) = '-12.05'", product));
    product.set(PRO::ENHETSPRIS, *Decimal::parse("1250"));
    EXPECT_TRUE(accepts("PRO:Navn < PRO:Enhetspris", product)); // '' < '1250'
    EXPECT_TRUE(accepts("INSTRING('5', PRO:Enhetspris, 1, 1) = 3", product));

    EXPECT_TRUE(accepts("'5' = KUN:PostNr", customer(5)));
    EXPECT_FALSE(accepts("'abc' = 1", customer(5)));
    EXPECT_TRUE(accepts("'abc' <> 1", customer(5)));
}

TEST_F(FilterExprTest, PrecedenceAndFunctions)
{
    EXPECT_FALSE(accepts("NOT KUN:PostNr = 5", customer(5)));
    EXPECT_TRUE(accepts("NOT KUN:PostNr = 5", customer(6)));
    Record r = customer(1);
    EXPECT_TRUE(accepts("KUN:PostNr = 1 OR KUN:PostNr = 2 AND KUN:KundeGruppe = 3", r));
    EXPECT_FALSE(accepts("(KUN:PostNr = 1 OR KUN:PostNr = 2) AND KUN:KundeGruppe = 3", r));
    EXPECT_FALSE(accepts("NOT KUN:PostNr = 2 AND KUN:KundeGruppe = 3", r));
    EXPECT_TRUE(accepts("NOT NOT KUN:PostNr", r));
    EXPECT_TRUE(accepts("kun:postnr = 1 and not kun:kundegruppe Or 0", r));

    EXPECT_TRUE(accepts("INSTRING('ø', KUN:Navn, 1, 1) = 2", customer(1, "Søren")));
    EXPECT_TRUE(accepts("INSTRING('b', 'abab', 2, 1) = 0", r));
    EXPECT_TRUE(accepts("INSTRING('b', 'abab', 2, 2) = 2", r));
    EXPECT_TRUE(accepts("INSTRING('b', KUN:Navn, 2, 2) = 2", customer(1, "abab")));
    EXPECT_TRUE(accepts("INSTRING('a', KUN:Navn, 2, 2) = 0", customer(1, "abab")));
    EXPECT_TRUE(accepts("INSTRING('a', KUN:Navn, 2, 1) = 1", customer(1, "abab")));
    EXPECT_TRUE(accepts("INSTRING('b', KUN:Navn, 0, 1) = 0", customer(1, "abab")));
    EXPECT_TRUE(accepts("INSTRING('5', KUN:PostNr, 1, 1) = 2", customer(1500)));
    EXPECT_TRUE(accepts("INSTRING('', KUN:Navn, 1, 1) = 0", r));
    EXPECT_TRUE(accepts("UPPER(UPPER(KUN:Navn)) = UPPER('ola')", r));
}

TEST_F(FilterExprTest, AliasesMemosAndFieldList)
{
    const TableDecl& alias = table(Tbl::KUNDE_ALIAS);
    FilterExpr f = FilterExpr::parse("KUNA:Navn = 'Ola' AND (kuna:div)", alias);
    ASSERT_TRUE(f.ok()) << f.error();
    Record r = customer(1, "Ola");
    EXPECT_EQ(f.evaluate(r), false);
    r.set(KUN::DIV, "x");
    EXPECT_EQ(f.evaluate(r), true); // a record of the aliased table is the same record
    EXPECT_FALSE(f.evaluate(invoice("1")).has_value());
    EXPECT_EQ(f.fields(), (std::vector<std::string>{"KUNA:NAVN", "KUNA:DIV"}));

    Record line(table(Tbl::FAKLINJE));
    line.set(FLI::BESKRIVELSE, "Timer");
    EXPECT_TRUE(accepts("FLI:Beskrivelse = 'Timer'", line));

    FilterExpr g =
        FilterExpr::parse("(FAK:TotalSum > 1) AND (fak:totalsum < 5) OR UPPER(FAK:Div) = '' OR 1",
                          table(Tbl::FAKTURA));
    ASSERT_TRUE(g.ok());
    EXPECT_EQ(g.fields(), (std::vector<std::string>{"FAK:TOTALSUM", "FAK:DIV"}));
    EXPECT_EQ(g.text(), "(FAK:TotalSum > 1) AND (fak:totalsum < 5) OR UPPER(FAK:Div) = '' OR 1");
}

TEST_F(FilterExprTest, SqlBindsEveryConstant)
{
    FilterExpr f = FilterExpr::parse("KUN:Navn = 'x'' OR 1=1 --' OR KUN:PostNr = 1234 OR "
                                     "INSTRING('\"', UPPER(KUN:Navn), 1, 1)",
                                     table(Tbl::KUNDE));
    ASSERT_TRUE(f.ok()) << f.error();
    SqlCondition c = f.toSql();
    EXPECT_EQ(c.sql.find("1=1"), std::string::npos) << c.sql;
    EXPECT_EQ(c.sql.find("1234"), std::string::npos) << c.sql;
    EXPECT_NE(c.sql.find("COLLATE BINARY"), std::string::npos) << c.sql;
    EXPECT_NE(c.sql.find("TAVLO_INSTRING(?, TAVLO_UPPER(+\"NAVN\"), ?, ?)"), std::string::npos)
        << c.sql;
    using B = std::variant<int64_t, std::string>;
    EXPECT_EQ(c.binds, (std::vector<B>{B(std::string("x' OR 1=1 --")), B(int64_t{1234}),
                                       B(std::string("\"")), B(int64_t{1}), B(int64_t{1})}));
    EXPECT_EQ(static_cast<std::size_t>(std::count(c.sql.begin(), c.sql.end(), '?')),
              c.binds.size());
}

// ---- Random records and filters: the database and the evaluator must agree on every one ----

class Random {
  public:
    explicit Random(unsigned seed) : gen_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen_); }
    template <typename T> const T& pick(const std::vector<T>& v)
    {
        return v[below(static_cast<int>(v.size()))];
    }
    std::mt19937& gen() { return gen_; }

  private:
    std::mt19937 gen_;
};

// Texts that sit on the edges: blanks, case, letters æøå, and almost-numbers.
const std::vector<std::string> kTexts =
    split("| |  |abc|ABC|abc  |Abc|12| 12|012|12 |-3|12.5|12.50|"
          "9.5|1000|æøå|ÆØÅ|As|Bygg AS|x\t|it's|0|-0|1.|.5|--1|"
          "- 1|1.2.3|999999999999|1000000000000|0.000001|"
          "1.0000001|12,5|-12.345|a|Z|ab|b|5000|-0.05|ø|Søren|"
          "1250|12.05");

Record randomRecord(const TableDecl& t, Random& rnd, int id)
{
    static const std::vector<int64_t> ints = {-2,   -1,    0,  1,    2,          5,
                                              9,    10,    12, 999,  1000,       4999,
                                              5000, 75000, 3,  1250, 2147483647, -2147483647 - 1};
    static const std::vector<int64_t> dates = {0, 1, 74999, 75000};
    static const std::vector<int64_t> bytes = {0, 1, 2, 255};
    static const std::vector<int64_t> cents = {0,    1,      -1,     5,     -5,     50,   100,
                                               1200, 1250,   -1250,  99999, 100000, 1205, 500000,
                                               -100, 999999, 100001, 1234,  1000000};
    Record r(t);
    for (std::size_t f = 0; f < t.fields.size(); ++f) {
        const FieldDecl& d = t.fields[f];
        int n = static_cast<int>(f);
        switch (d.type) {
        case FieldType::INT32: r.setNum(n, rnd.pick(ints)); break;
        case FieldType::DATE: r.setNum(n, rnd.pick(dates)); break;
        case FieldType::BYTE: r.setNum(n, rnd.pick(bytes)); break;
        case FieldType::DEC: {
            int64_t most = 1;
            for (int i = 0; i < d.size; ++i)
                most *= 10;
            int64_t v = rnd.below(8) == 0 ? (rnd.below(2) ? most - 1 : 1 - most) : rnd.pick(cents);
            r.setNum(n, v);
            break;
        }
        case FieldType::TEXT: r.setStr(n, rnd.pick(kTexts)); break;
        }
    }
    for (std::size_t m = 0; m < t.memos.size(); ++m)
        r.setMemo(static_cast<int>(m), rnd.pick(kTexts));
    r.setNum(t.keys[t.primaryKey()].components[0].field, id);
    return r;
}

std::string randomCase(std::string s, Random& rnd)
{
    for (char& c : s)
        if (rnd.below(2))
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string randomValue(const TableDecl& t, Random& rnd, int depth)
{
    static const std::vector<std::string> numbers =
        split("0|1|-1|5|12|12.5|12.50|-0.05|0.005|999.999|1000|1000.001|4999.5|5000|2147483647|"
              "-2147483648|999999999999999999|-999999999999999999|0.000001|75000|9.5|10.5|3|"
              "12.05|-12.345");
    static const std::vector<std::string> strings =
        split("''|' '|'abc'|'ABC  '|'12'|' 12 '|'12.5'|'-3'|'æøå'|'ÆØÅ'|'it''s'|'1000'|'As'|'a'|"
              "'B'|'9.5'|'ø'|'12.05'");
    int k = depth > 4 ? rnd.below(3) : rnd.below(10);
    switch (k) {
    case 0:
    case 6:
        if (!t.memos.empty() && rnd.below(4) == 0)
            return randomCase(rnd.pick(t.memos).name, rnd);
        return randomCase(rnd.pick(t.fields).name, rnd);
    case 1: return rnd.pick(numbers);
    case 2: return rnd.pick(strings);
    case 3: return "UPPER(" + randomValue(t, rnd, depth + 1) + ")";
    case 4: {
        static const std::vector<std::string> steps = {"1", "2", "0", "-1", "3"};
        static const std::vector<std::string> starts = {"1", "2", "0", "5"};
        return "INSTRING(" + randomValue(t, rnd, depth + 1) + ", " +
               randomValue(t, rnd, depth + 1) + ", " + rnd.pick(steps) + ", " + rnd.pick(starts) +
               ")";
    }
    case 5: return "(" + randomValue(t, rnd, depth + 1) + ")";
    default: return randomCase(rnd.pick(t.fields).name, rnd);
    }
}

std::string randomFilter(const TableDecl& t, Random& rnd, int depth = 0)
{
    static const std::vector<std::string> ops = {
        " = ", " <> ", " < ", " > ", " <= ", " >= ", "=", "<>", "<", ">=", "<=", ">"};
    switch (depth > 3 ? rnd.below(5) : rnd.below(9)) {
    case 0:
    case 1:
    case 2:
    case 3: return randomValue(t, rnd, depth) + rnd.pick(ops) + randomValue(t, rnd, depth);
    case 4: return randomValue(t, rnd, depth);
    case 5: return "NOT " + randomFilter(t, rnd, depth + 1);
    case 6: return randomFilter(t, rnd, depth + 1) + " AND " + randomFilter(t, rnd, depth + 1);
    case 7: return randomFilter(t, rnd, depth + 1) + " or " + randomFilter(t, rnd, depth + 1);
    default: return "(" + randomFilter(t, rnd, depth + 1) + ")";
    }
}

// Asks the table for the records a parsed filter lets through and compares with the evaluator.
void expectAgreement(TableOnDisk& t, const std::vector<Row>& all, const FilterExpr& f)
{
    SqlCondition c = f.toSql();
    std::vector<Row> found;
    StoreError err;
    ASSERT_TRUE(t.rows(&c, found, err)) << f.text() << "\n" << err.driverText << "\n" << c.sql;
    std::set<int64_t> bySql, byEval;
    for (const auto& row : found)
        bySql.insert(row.ref.rowid);
    for (const auto& row : all) {
        std::optional<bool> v = f.evaluate(row.rec);
        ASSERT_TRUE(v.has_value()) << f.text();
        ASSERT_EQ(c.test(row.rec), *v) << f.text();
        if (*v)
            byEval.insert(row.ref.rowid);
    }
    ASSERT_EQ(bySql, byEval) << f.text() << "\n" << c.sql;
}

TEST(FilterExprAgreement, DatabaseAndEvaluatorAgreeOnRandomFilters)
{
    for (Tbl id : {Tbl::FAKTURA, Tbl::PRODUKT, Tbl::KUNDE_ALIAS}) {
        TableOnDisk t(id);
        Random rnd(20240601u + static_cast<unsigned>(id));
        for (int i = 1; i <= 150; ++i)
            t.add(randomRecord(t.decl, rnd, i));
        std::vector<Row> all;
        StoreError err;
        ASSERT_TRUE(t.rows(nullptr, all, err));
        ASSERT_EQ(all.size(), 150u);
        const TableDecl& decl = table(id);
        for (int i = 0; i < 1000; ++i) {
            std::string text = randomFilter(decl, rnd);
            FilterExpr f = FilterExpr::parse(text, decl);
            ASSERT_TRUE(f.ok()) << text << ": " << f.error();
            expectAgreement(t, all, f);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}

// Random bytes, token salads, damaged and deeply nested filters: each is refused with a message
// or runs, in memory and in the database, with the same answer.
TEST(FilterExprAgreement, HostileTextNeverBreaksTheParser)
{
    const TableDecl& decl = table(Tbl::FAKTURA);
    TableOnDisk t(Tbl::FAKTURA);
    Random rnd(777u);
    for (int i = 1; i <= 40; ++i)
        t.add(randomRecord(decl, rnd, i));
    std::vector<Row> all;
    StoreError err;
    ASSERT_TRUE(t.rows(nullptr, all, err));

    static const std::vector<std::string> vocabulary =
        split("(|)|AND|or|Not|=|<>|<|>=|<=|>|,|FAK:TotalSum|fak:kundenavn|FAK:Beskrivelse|"
              "FAK:ProsjektId|UPPER|INSTRING|'abc'|'|12.5|-3|99999999999999999999999|1.0000001|Ola|"
              ":|FAK:|'it''s'|-|.|0|''|!|==|'ø'|\t|FAK:BetaltDato|KUN:Navn|999999999999999999");
    auto seeds = [&]() { return randomFilter(decl, rnd); };
    int tried = 0, accepted = 0;
    auto attempt = [&](const std::string& text) {
        ++tried;
        FilterExpr f = FilterExpr::parse(text, decl);
        if (!f.ok()) {
            EXPECT_FALSE(f.error().empty()) << text;
            EXPECT_GE(f.errorPos(), 0);
            return;
        }
        ++accepted;
        f.fields();
        expectAgreement(t, all, f);
    };

    for (int i = 0; i < 6000; ++i) { // random bytes
        std::string s(rnd.below(40), '\0');
        for (char& c : s)
            c = static_cast<char>(rnd.below(256));
        attempt(s);
    }
    for (int i = 0; i < 8000; ++i) { // token salad
        std::string s;
        for (int n = rnd.below(12); n > 0; --n)
            s += rnd.pick(vocabulary) + (rnd.below(3) ? " " : "");
        attempt(s);
    }
    for (int i = 0; i < 8000; ++i) { // damaged filters
        std::string s = seeds();
        switch (rnd.below(5)) {
        case 0: s.resize(rnd.below(static_cast<int>(s.size()) + 1)); break;
        case 1: s.erase(rnd.below(static_cast<int>(s.size()) + 1), rnd.below(6)); break;
        case 2: s.insert(rnd.below(static_cast<int>(s.size()) + 1), rnd.pick(vocabulary)); break;
        case 3: s[rnd.below(static_cast<int>(s.size()))] = static_cast<char>(rnd.below(128)); break;
        default: s += " " + rnd.pick(vocabulary) + " " + seeds(); break;
        }
        attempt(s);
        if (::testing::Test::HasFatalFailure())
            return;
    }
    for (int depth : {1, 50, 199, 200, 201, 1000, 3000}) { // nesting
        for (const auto& [open, inner, close] :
             std::vector<std::tuple<std::string, std::string, std::string>>{
                 {"(", "FAK:TotalSum", ")"},
                 {"NOT ", "FAK:KundeNavn", ""},
                 {"UPPER(", "FAK:ProsjektId", ") = 12"},
                 {"INSTRING('a', ", "FAK:Beskrivelse", ", 1, 1)"},
                 {"(NOT ", "FAK:KreditNota = 1", ")"},
                 {"(", "", ""},
                 {"", "'", ""}}) {
            attempt(nested(depth, open, inner, close));
        }
    }
    std::string chain = "FAK:ProsjektId = 1"; // long, flat and all in the database
    while (chain.size() < 2000)
        chain += " OR UPPER(FAK:ProsjektId) = -2.5";
    attempt(chain);
    attempt(std::string(5000, '('));
    attempt("'" + std::string(3000, 'x'));
    EXPECT_GT(accepted, 500) << "of " << tried;
}

} // namespace
