#pragma once
// The windows of each context. The one opened last takes input; the others of its context wait
// for it as they would for a modal window, while the windows of other contexts stay usable. No
// window waits in an event loop of its own, so the windows of two contexts can end in any order.
#include <QWidget>

class QMdiArea;
#include <functional>

namespace tavlo {

class Context;
class ErrorClass;

namespace contextwindows {

// Adds a top-level window to its context: the context's other windows wait until it is gone
// (destroyed). A window added twice keeps its first place.
void open(Context& ctx, QWidget* window);
// Shows a window of the context (and adds it, as open() does): inside the frame's window area
// when the program has one, as a window of its own otherwise. The frame's child window goes
// with the window.
void show(Context& ctx, QWidget* window);
// The frame's window area, for show().
void setWindowArea(QMdiArea* area);

// Whether the window is the one of its context that takes input (true for a window of no
// context).
bool active(const QWidget* window);
// The windows of the context, oldest first.
QList<QWidget*> windows(const Context& ctx);

// Starts a procedure of the frame in a context of its own (record buffers, positions, open
// files): the context lives while the procedure has a window open, and ends with the last one
// (at once when it opened none). Two starts of the same procedure never share a buffer.
void startInContext(std::function<void(Context&)> procedure, ErrorClass* errors = nullptr);
// Contexts started so and not yet ended.
int runningContexts();

} // namespace contextwindows
} // namespace tavlo
