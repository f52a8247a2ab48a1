#pragma once
// Saved filters looked up by number (the fixed filters of the registers and their names on the
// parameter form), and the small string helpers that go with them.
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlo {

class Context;

// The filter builder for the fields of table `tableNo`, over GLO::FILTER, which keeps what the
// user wrote there either way. OK: GLO::FILTER into `filter` (at most 2047 characters), result
// 1. "Avslutt": result 0, `filter` untouched.
int LAGFILTER(Context& ctx, int32_t tableNo, std::string& filter);
// The pick list of the saved filters of table `tableNo`, the highlighted one's description
// below it. A choice: its expression into `filter`, its description into `description`, result
// its number. Nothing chosen, or nothing to choose from: result 0, both strings untouched.
int32_t HENTFILTER(Context& ctx, int32_t tableNo, std::string& filter, std::string& description);
// The saved filter `filterNo` of table `tableNo`: its expression into `filter`, its
// description into `description`, result 1. Number 0, or a number the table does not have:
// both strings emptied, result 0, nothing shown.
int SETFILTER(Context& ctx, int32_t tableNo, int32_t filterNo, std::string& filter,
              std::string& description);
// The name of the saved filter, or empty for number 0 or a number the table does not have.
void VISFILTER(Context& ctx, int32_t tableNo, int32_t filterNo, std::string& name);

// text::element, exported under the procedure's own name.
std::string HENTDELSTRENG(std::string_view text, int index, std::string_view separators);
// list, separator, element; just the one that is not blank when the other is.
std::string LEGGTILSTRENGELEMENT(std::string_view list, std::string_view element,
                                 std::string_view separator);
// text with `insert` put in before character `position` (from 1); with end not 0 the
// characters position … end are replaced.
std::string SETTINNTEKST(std::string_view text, std::string_view insert, int position, int end);

} // namespace tavlo
