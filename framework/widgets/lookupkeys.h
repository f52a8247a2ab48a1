#pragma once
// The lookup of an entry field: F4, Shift+F4, the right mouse button and Shift with the right
// button open it; and where a pick list opened from a field goes.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <functional>

class QFontMetrics;
class QWidget;

namespace tavlo {

// The lookup is called with the control focused, so that it opens next to it.
void installLookup(QWidget* control, std::function<void()> lookup);

// The program's frame window: pick lists stay inside it (its size is GLO::FRAME_W and
// GLO::FRAME_H). Without one they stay on the screen.
void setFrameWindow(QWidget* frame);
// The area a list opened from `control` must stay in, in screen coordinates.
QRect lookupArea(const QWidget* control);

// Top-left corner of a list of `size` opened from a control whose frame on the screen is
// `control`: 2 units right of and 13 units below the control's top-left corner (a unit being a
// quarter of an average character wide and an eighth of a line high), moved left and up as far
// as needed to stay inside `area`.
QPoint lookupPosition(const QRect& control, const QSize& size, const QRect& area,
                      const QFontMetrics& metrics);

} // namespace tavlo
