#pragma once
// The custom fields on a form's "Ekstra" tab: the controls of the table's definitions, bound to
// the spare fields of the form's record, with the code lookups of the whole numbers that have a
// code-set group.
#include <QRect>
#include <array>
#include <cstdint>
#include <string>

#include "customfields/egendef.h"

class QFontMetrics;
class QWidget;

namespace tavlo {

class FormWindow;

// Dialog units to pixels in a font: a unit is a quarter of an average character wide and an
// eighth of a line high, so definitions keep their layout whatever font the desktop uses.
QRect toPixels(const UnitRect& r, const QFontMetrics& metrics);

// Makes on `parent` the controls that the definitions of table `tableNo` describe (prompt
// "101"…, value "201"…, code text "301"… as object names) and binds them through the form's
// window, which has not been started yet. x, y: where the sheet that holds `parent` stands in
// the parent's coordinates, in dialog units (0, 0 for the page itself); positions are taken
// from (x + 8, y + 20) on. The form's arrays: groups[n-1] receives the group of Heltall n when
// it is looked up; texts[n-1] then holds its code text, shown beside it whenever the fields are
// shown and the value is accepted. F4, Shift+F4 and the right button on such a value pick the
// code. Both arrays must live as long as the window. Returns the number of definitions: the
// form shows its "Ekstra" tab when it is not 0.
int OPPRETTEGENDEFINERTEFELT(FormWindow& form, int32_t tableNo, QWidget* parent,
                             std::array<std::string, 10>& texts, std::array<int32_t, 10>& groups,
                             int32_t x, int32_t y);
// The same with the arrays kept for the form's window as long as it lives, for a form that has
// no other use for them.
int OPPRETTEGENDEFINERTEFELT(FormWindow& form, int32_t tableNo, QWidget* parent, int32_t x,
                             int32_t y);

} // namespace tavlo
