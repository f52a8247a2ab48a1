#include "framework/filterbuilder.h"

#include <algorithm>
#include <map>
#include <optional>

#include "data/tables.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {
namespace {

// The tables the builder knows by number; their fields come from the declarations.
const std::map<int, Tbl>& builderTables()
{
    static const std::map<int, Tbl> tables = {{1, Tbl::KUNDE},
                                              {2, Tbl::PRODUKT},
                                              {3, Tbl::FAKTURA},
                                              {5, Tbl::GRUNNLAG},
                                              {13, Tbl::PROSJEKT}};
    return tables;
}

const char* const kOperators[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
constexpr std::size_t kValueChars = 50;

} // namespace

std::vector<FilterField> filterFields(int tableNo, AnswerService& answers)
{
    auto it = builderTables().find(tableNo);
    if (it == builderTables().end()) {
        answers.message({"Ukjent tabell: " + std::to_string(tableNo), "Advarsel", Icon::Exclamation,
                         BUTTON_OK, BUTTON_OK});
        return {};
    }
    std::vector<FilterField> fields;
    for (const OfferedField& o : table(it->second).offered)
        fields.push_back({o.name, o.label, static_cast<int>(o.value)});
    std::stable_sort(fields.begin(), fields.end(), [](const FilterField& a, const FilterField& b) {
        return text::collate(a.label, b.label) < 0;
    });
    return fields;
}

const char* valuePicture(int valueType)
{
    switch (valueType) {
    case 1: return "@N-14.B";
    case 2: return "@N-14.`2B";
    case 3: return "@S51";
    case 4: return "@D06.B";
    case 5: return "@T01";
    default: return "@S51";
    }
}

FilterBuilder::FilterBuilder(int tableNo, std::string& expression, AnswerService& answers)
    : expression_(expression), answers_(answers), fields_(filterFields(tableNo, answers))
{
}

bool FilterBuilder::enterValue(std::string_view typed)
{
    const char* pic = valuePicture(valueType);
    std::optional<std::string> held;
    if (text::trim(typed).empty()) {
        held.emplace();
    } else if (valueType == 1 || valueType == 2) {
        if (auto n = picture::parseNumber(pic, typed))
            held = n->toString();
    } else if (valueType == 4) {
        if (auto d = picture::parseDate(pic, typed))
            held = std::to_string(*d);
    } else if (valueType == 5) {
        if (auto t = picture::parseTime(pic, typed))
            held = std::to_string(*t);
    } else {
        held = text::truncate(typed, kValueChars);
    }
    if (!held)
        return false;
    value = std::move(*held);
    return true;
}

std::string FilterBuilder::shownValue() const
{
    const char* pic = valuePicture(valueType);
    // A value held under another type (the type changed after it was typed) that is no number
    // is shown as it is, rather than lost.
    const auto n = Decimal::parse(value);
    if (!n || (n->scale() > 0 && valueType != 2))
        return value;
    switch (valueType) {
    case 1:
    case 2: return std::string(text::trim(picture::format(pic, *n)));
    case 4: return picture::formatDate(pic, static_cast<int32_t>(n->toInt()));
    case 5: return picture::formatTime(pic, static_cast<int32_t>(n->toInt()));
    default: return value;
    }
}

void FilterBuilder::chooseField(int row)
{
    if (row < 0 || row >= static_cast<int>(fields_.size()))
        return;
    field = fields_[row].name;
    valueType = fields_[row].type;
}

void FilterBuilder::insertFieldName(int row)
{
    if (row >= 0 && row < static_cast<int>(fields_.size()))
        expression_ += fields_[row].name;
}

bool FilterBuilder::insertCondition()
{
    std::string f(text::trim(field));
    if (f.empty()) {
        answers_.message({"Felt mangler", "Advarsel", Icon::Exclamation, BUTTON_OK, BUTTON_OK});
        return false;
    }
    std::string condition =
        "(" + f + (op >= 1 && op <= 6 ? kOperators[op - 1] : std::string(" ? "));
    if (text::trim(value).empty()) {
        answers_.message({"Verdi mangler", "Advarsel", Icon::Exclamation, BUTTON_OK, BUTTON_OK});
        return false;
    }
    // The value goes in as typed: a text must be typed with its quotes, a date or time as the
    // serial number the entry holds.
    expression_ += condition + std::string(text::trim(value)) + ")";
    field.clear();
    value.clear();
    op = 1;
    valueType = 0;
    return true;
}

void FilterBuilder::andButton()
{
    expression_ += " AND ";
}

void FilterBuilder::orButton()
{
    expression_ += " OR ";
}

void FilterBuilder::clear()
{
    expression_.clear();
}

} // namespace tavlo
