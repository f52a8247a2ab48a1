#include "framework/widgets/contextwindows.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "data/context.h"

namespace tavlo::contextwindows {

namespace {

std::map<const Context*, std::vector<QWidget*>>& stacks()
{
    static std::map<const Context*, std::vector<QWidget*>> s;
    return s;
}

// Contexts of the frame's procedures, each ended with its last window.
std::map<const Context*, std::unique_ptr<Context>>& owned()
{
    static std::map<const Context*, std::unique_ptr<Context>> o;
    return o;
}

void endIfIdle(const Context* ctx)
{
    if (stacks().count(ctx) == 0)
        owned().erase(ctx);
}

// Only the last window of the context takes input.
void settle(const Context* ctx)
{
    auto& stack = stacks()[ctx];
    for (std::size_t i = 0; i < stack.size(); ++i)
        stack[i]->setEnabled(i + 1 == stack.size());
}

} // namespace

void open(Context& ctx, QWidget* window)
{
    auto& stack = stacks()[&ctx];
    if (std::find(stack.begin(), stack.end(), window) != stack.end())
        return;
    stack.push_back(window);
    const Context* key = &ctx;
    QObject::connect(window, &QObject::destroyed, [key, window] {
        auto found = stacks().find(key);
        if (found == stacks().end())
            return;
        auto& s = found->second;
        s.erase(std::remove(s.begin(), s.end(), window), s.end());
        if (s.empty()) {
            stacks().erase(found);
            endIfIdle(key);
        } else {
            settle(key);
        }
    });
    settle(key);
}

namespace {
QPointer<QMdiArea>& windowArea()
{
    static QPointer<QMdiArea> area;
    return area;
}
} // namespace

void setWindowArea(QMdiArea* area)
{
    windowArea() = area;
}

void show(Context& ctx, QWidget* window)
{
    open(ctx, window);
    if (QMdiArea* area = windowArea(); area && !window->parentWidget()) {
        QMdiSubWindow* sub = area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &QObject::destroyed, sub, &QObject::deleteLater);
        sub->show();
    }
    window->show();
    window->raise();
    window->activateWindow();
}

bool active(const QWidget* window)
{
    for (const auto& [ctx, stack] : stacks())
        if (std::find(stack.begin(), stack.end(), window) != stack.end())
            return stack.back() == window;
    return true;
}

QList<QWidget*> windows(const Context& ctx)
{
    QList<QWidget*> out;
    auto found = stacks().find(&ctx);
    if (found != stacks().end())
        for (QWidget* w : found->second)
            out << w;
    return out;
}

} // namespace tavlo::contextwindows

namespace tavlo::contextwindows {

void startInContext(std::function<void(Context&)> procedure, ErrorClass* errors)
{
    auto ctx = std::make_unique<Context>(errors);
    Context* c = ctx.get();
    owned()[c] = std::move(ctx);
    procedure(*c);
    endIfIdle(c);
}

int runningContexts()
{
    return static_cast<int>(owned().size());
}

} // namespace tavlo::contextwindows
