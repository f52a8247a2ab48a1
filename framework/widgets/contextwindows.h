#pragma once
// The windows of each context. The one opened last takes input; the others of its context wait
// for it as they would for a modal window, while the windows of other contexts stay usable. No
// window waits in an event loop of its own, so the windows of two contexts can end in any order.
#include <QWidget>

namespace tavlo {

class Context;

namespace contextwindows {

// Adds a top-level window to its context: the context's other windows wait until it is gone
// (destroyed). A window added twice keeps its first place.
void open(Context& ctx, QWidget* window);
// Whether the window is the one of its context that takes input (true for a window of no
// context).
bool active(const QWidget* window);
// The windows of the context, oldest first.
QList<QWidget*> windows(const Context& ctx);

} // namespace contextwindows
} // namespace tavlo
