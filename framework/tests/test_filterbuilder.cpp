#include <gtest/gtest.h>

#include "data/tables.h"
#include "framework/filterbuilder.h"
#include "framework/filterexpr.h"
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
    const std::pair<int, Tbl> tables[] = {
        {1, Tbl::KUNDE}, {2, Tbl::PRODUKT}, {3, Tbl::FAKTURA}, {5, Tbl::GRUNNLAG}, {13, Tbl::PROSJEKT}};
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
    EXPECT_EQ(filterFields(3, answers).size(), 51u);  // the import batch number is offered twice
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_TRUE(filterFields(4, answers).empty());
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Ukjent tabell: 4");
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");
}
