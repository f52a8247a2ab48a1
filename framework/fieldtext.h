#pragma once
// A field of a record as the user sees and types it, under a display picture. Lists and form
// controls both go through here, so a value looks the same everywhere.
#include <string>
#include <string_view>

#include "data/record.h"

namespace tavlo {

// The usual pictures when a control or column gives none.
inline constexpr const char* kDatePicture = "@d06.";
inline constexpr const char* kAmountPicture = "@n-15.`2";

// The field's value under the picture (empty: the field type's usual one: texts as they are,
// whole numbers plain, dates "31.12.2004", decimals "1.234,50").
std::string showField(const Record& r, int field, std::string_view picture = {});
// Reads what the user typed into the field. False, the field unchanged, for text that is no
// value of the picture or does not fit the field (a text too long, a number out of range).
bool readField(Record& r, int field, std::string_view picture, std::string_view typed);

} // namespace tavlo
