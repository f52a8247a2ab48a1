#pragma once
// The filter builder's rules ("Lag filter"): the fields it offers for a table, and the way a
// condition is put together from field, operator and value and appended to the expression.
// The window binds to this; the expression is GLO::FILTER while the builder runs.
#include <string>
#include <string_view>
#include <vector>

#include "framework/answer.h"

namespace tavlo {

struct FilterField {
    std::string name;  // as written in filters, "KUN:PostNr"
    std::string label; // "PostNr"
    int type;          // 1 whole number, 2 decimal, 3 text, 4 date, 5 time
};

// The fields offered for a table number (1, 2, 3, 5, 13), those its declarations give a label,
// sorted on their labels; another number gives the warning "Ukjent tabell: N" and an empty list.
std::vector<FilterField> filterFields(int tableNo, AnswerService& answers);
// The entry picture of the value for a value type.
const char* valuePicture(int valueType);

class FilterBuilder {
  public:
    FilterBuilder(int tableNo, std::string& expression, AnswerService& answers);

    const std::vector<FilterField>& fields() const { return fields_; }
    const std::string& expression() const { return expression_; }

    std::string field; // "Felt"
    int op = 1;        // 1 =, 2 <>, 3 <, 4 >, 5 <=, 6 >=
    std::string value; // "Verdi", as typed (dates and times as their serial numbers)
    int valueType = 0;

    // "Verdi" as typed under the value type's picture: a date or time is held as its serial
    // number, a number as its plain digits ("1234.5"), a text as typed. False, nothing changed,
    // when the text is no value of the picture.
    bool enterValue(std::string_view typed);
    // "Verdi" as its entry shows it under the value type's picture.
    std::string shownValue() const;

    // "Sett inn felt": the chosen field into "Felt", its value type with it.
    void chooseField(int row);
    // "Sett in felt": the field's name appended to the expression as it is.
    void insertFieldName(int row);
    // "Sett inn uttrykk": false, with "Felt mangler" or "Verdi mangler", when one is empty.
    bool insertCondition();
    void andButton();
    void orButton();
    // "Slett filter".
    void clear();

  private:
    std::string& expression_;
    AnswerService& answers_;
    std::vector<FilterField> fields_;
};

} // namespace tavlo
