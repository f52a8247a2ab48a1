#include <gtest/gtest.h>

#include "data/tables.h"
#include "framework/date.h"
#include "framework/filterbuilder.h"
#include "framework/filterexpr.h"
#include "framework/scriptedanswers.h"
#include "framework/text.h"

using namespace tavlo;

namespace {

int rowOf(const FilterBuilder& b, const std::string& name)
{
    for (std::size_t i = 0; i < b.fields().size(); ++i)
        if (b.fields()[i].name == name)
            return static_cast<int>(i);
    return -1;
}

} // namespace

TEST(FilterBuilder, BuildsConditionsAsTheUserPutsThemTogether)
{
    ScriptedAnswers answers;
    std::string expression;
    FilterBuilder b(1, expression, answers);
    int postNr = rowOf(b, "KUN:PostNr");
    ASSERT_GE(postNr, 0);
    b.chooseField(postNr);
    EXPECT_EQ(b.valueType, 1);
    EXPECT_STREQ(valuePicture(b.valueType), "@N-14.B");
    b.op = 6;
    b.value = "5000";
    ASSERT_TRUE(b.insertCondition());
    EXPECT_TRUE(b.field.empty());
    EXPECT_EQ(b.op, 1);
    EXPECT_EQ(b.valueType, 0);
    b.orButton();
    b.chooseField(postNr);
    b.op = 3;
    b.value = "1000";
    ASSERT_TRUE(b.insertCondition());
    EXPECT_EQ(expression, "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)");
    EXPECT_TRUE(FilterExpr::parse(expression, table(Tbl::KUNDE)).ok());
    EXPECT_TRUE(answers.shown.empty());

    // Missing field or value: a warning and nothing appended.
    b.value = "1";
    EXPECT_FALSE(b.insertCondition());
    EXPECT_EQ(answers.shown.back().text, "Felt mangler");
    b.chooseField(postNr);
    b.value = "  ";
    EXPECT_FALSE(b.insertCondition());
    EXPECT_EQ(answers.shown.back().text, "Verdi mangler");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    EXPECT_EQ(expression, "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)");

    // Two connectives in a row, or a text typed without quotes, go in as they are and the
    // filter is refused when it is used.
    b.clear();
    b.chooseField(rowOf(b, "KUN:Navn"));
    b.value = "Ola";
    ASSERT_TRUE(b.insertCondition());
    EXPECT_EQ(expression, "(KUN:Navn = Ola)");
    EXPECT_FALSE(FilterExpr::parse(expression, table(Tbl::KUNDE)).ok());
    b.andButton();
    b.andButton();
    EXPECT_FALSE(FilterExpr::parse(expression, table(Tbl::KUNDE)).ok());
    b.insertFieldName(postNr);
    EXPECT_EQ(expression, "(KUN:Navn = Ola) AND  AND KUN:PostNr");
}

TEST(FilterBuilder, EveryOfferedFieldIsAFieldOfItsTable)
{
    ScriptedAnswers answers;
    const std::pair<int, Tbl> tables[] = {{1, Tbl::KUNDE},
                                          {2, Tbl::PRODUKT},
                                          {3, Tbl::FAKTURA},
                                          {5, Tbl::GRUNNLAG},
                                          {13, Tbl::PROSJEKT}};
    for (auto [no, t] : tables) {
        auto fields = filterFields(no, answers);
        ASSERT_FALSE(fields.empty()) << no;
        EXPECT_TRUE(std::is_sorted(fields.begin(), fields.end(), [](auto& a, auto& b) {
            return text::collate(a.label, b.label) < 0;
        })) << no;
        for (const auto& f : fields) {
            const auto& decl = table(t);
            EXPECT_TRUE(decl.fieldNo(f.name) >= 0 || decl.memoNo(f.name) >= 0) << f.name;
            EXPECT_GE(f.type, 1);
            EXPECT_LE(f.type, 4);
        }
    }
    EXPECT_EQ(filterFields(1, answers).size(), 38u);
    EXPECT_EQ(filterFields(3, answers).size(), 51u); // the import batch number is offered twice
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_TRUE(filterFields(4, answers).empty());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Ukjent tabell: 4");
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");
}

// The labels and value types come from the table declarations; where a field is offered with
// another value type than its own, or twice, or not at all, the builder has always done so.
TEST(FilterBuilder, OffersTheFieldsUnderTheirLabelsWithTheirValueTypes)
{
    ScriptedAnswers answers;
    auto offers = [&](int tableNo, const std::string& name) {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& f : filterFields(tableNo, answers))
            if (f.name == name)
                out.emplace_back(f.label, f.type);
        return out;
    };
    using Offers = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(offers(1, "KUN:EMail"), (Offers{{"E-post", 3}}));
    EXPECT_EQ(offers(1, "KUN:RegistreringsDato"), (Offers{{"Registreringsdato", 4}}));
    EXPECT_EQ(offers(1, "KUN:KredittGrense"), (Offers{{"Kredittgrense", 1}}));
    EXPECT_EQ(offers(1, "KUN:Div"), (Offers{{"Diverse", 3}}));
    EXPECT_EQ(offers(2, "PRO:MaxFakturaLinjeRabatt"), (Offers{{"Maks rabatt", 2}}));
    EXPECT_EQ(offers(2, "PRO:MVAPliktig"), (Offers{{"MVA pliktig", 1}}));
    EXPECT_EQ(offers(3, "FAK:ProsjektId"), (Offers{{"ProsjektId", 1}}));
    EXPECT_EQ(offers(3, "FAK:ImportBatchNr"),
              (Offers{{"Importbatch nummer", 1}, {"ImportBatchNr", 1}}));
    EXPECT_EQ(offers(3, "FAK:Tekst5"), (Offers{{"Egendefinert tekst 5", 3}}));
    EXPECT_TRUE(offers(5, "GRU:Type").empty());
    EXPECT_EQ(offers(5, "GRU:VarReferanse"), (Offers{{"Vår referanse", 3}}));
    EXPECT_EQ(offers(13, "PRJ:StartDato"), (Offers{{"Startdato", 2}}));
    EXPECT_EQ(offers(13, "PRJ:Div"), (Offers{{"Diverse", 2}}));
    EXPECT_EQ(offers(13, "PRJ:Heltall10"), (Offers{{"Egendefinert heltall 10", 1}}));
    EXPECT_EQ(filterFields(2, answers).size(), 36u);
    EXPECT_EQ(filterFields(5, answers).size(), 44u);
    EXPECT_EQ(filterFields(13, answers).size(), 35u);
    EXPECT_TRUE(answers.shown.empty());

    // An alias offers the same fields under its own prefix; tables without a builder none.
    const auto& alias = table(Tbl::KUNDE_ALIAS).offered;
    ASSERT_EQ(alias.size(), table(Tbl::KUNDE).offered.size());
    EXPECT_EQ(alias.front().name, "KUNA:KundeId");
    EXPECT_TRUE(table(Tbl::KONTAKT).offered.empty());
    EXPECT_EQ(table(Tbl::KONTAKT).memos.at(KON::DIV.no).mixedName, "KON:Div");
}

TEST(FilterBuilder, ValuesTypedUnderTheFieldsFormatAreHeldAsTheyCompare)
{
    ScriptedAnswers answers;
    std::string expression;
    FilterBuilder b(3, expression, answers);
    struct Case {
        int type;
        const char* typed;
        std::string held, shown;
    } cases[] = {
        {1, "5.000", "5000", "5.000"},
        {1, "-12", "-12", "-12"},
        {1, "0", "0", ""}, // a zero is a value, even if its entry shows it blank
        {2, "1.234,5", "1234.5", "1.234,50"},
        {3, "'Ola'", "'Ola'", "'Ola'"},
        {0, "  Ola ", "  Ola ", "  Ola "},
        {4, "31.12.2004", std::to_string(date::fromYmd(2004, 12, 31)), "31.12.2004"},
        {4, "1.2.2005", std::to_string(date::fromYmd(2005, 2, 1)), "01.02.2005"},
        {5, "08:30", std::to_string(8 * 360000 + 30 * 6000), "08:30"},
        {2, " ", "", ""},
    };
    for (const Case& c : cases) {
        b.valueType = c.type;
        ASSERT_TRUE(b.enterValue(c.typed)) << c.typed;
        EXPECT_EQ(b.value, c.held) << c.typed;
        EXPECT_EQ(b.shownValue(), c.shown) << c.typed;
    }

    // Not a value of the format: refused, the value held before kept.
    b.valueType = 4;
    ASSERT_TRUE(b.enterValue("31.12.2004"));
    const std::string held = b.value;
    for (auto [type, typed] : {std::pair(4, "31.02.2004"), std::pair(1, "Ola"),
                               std::pair(5, "25:00"), std::pair(2, "1,2,3")}) {
        b.valueType = type;
        EXPECT_FALSE(b.enterValue(typed)) << typed;
        EXPECT_EQ(b.value, held) << typed;
    }
    // Another type shows the held value its own way; a decimal is not rounded to a whole number.
    ASSERT_EQ(held, "74513");
    b.valueType = 1;
    EXPECT_EQ(b.shownValue(), "74.513");
    b.valueType = 3;
    EXPECT_EQ(b.shownValue(), held);
    b.valueType = 2;
    ASSERT_TRUE(b.enterValue("12,5"));
    b.valueType = 1;
    EXPECT_EQ(b.shownValue(), "12.5");

    // A text is cut at 50 characters.
    b.valueType = 3;
    ASSERT_TRUE(b.enterValue(std::string(49, 'x') + "øy"));
    EXPECT_EQ(b.value, std::string(49, 'x') + "ø");
    EXPECT_TRUE(answers.shown.empty());
}
