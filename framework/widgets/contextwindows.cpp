#include "framework/widgets/contextwindows.h"

#include <algorithm>
#include <map>
#include <vector>

namespace tavlo::contextwindows {

namespace {

std::map<const Context*, std::vector<QWidget*>>& stacks()
{
    static std::map<const Context*, std::vector<QWidget*>> s;
    return s;
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
        if (s.empty())
            stacks().erase(found);
        else
            settle(key);
    });
    settle(key);
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
