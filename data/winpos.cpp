#include "data/winpos.h"

#include <charconv>
#include <utility>

#include "data/context.h"
#include "framework/text.h"

namespace tavlo {
namespace {

// Puts the row's key into the buffer and reads it; true when the row exists.
bool fetchRow(FileManager& wpo, const std::string& window, const char* property)
{
    Record& r = wpo.rec();
    r.clear();
    r.set(WPO::WINDOWNAME, window);
    r.set(WPO::PROPERTYNAME, property);
    if (wpo.TRYFETCH(WPO::KeyWindowName_PropretyName) == LEVEL_BENIGN)
        return true;
    r.clear();
    r.set(WPO::WINDOWNAME, window);
    r.set(WPO::PROPERTYNAME, property);
    return false;
}

// A stored value that is not a whole number (typed in by hand, say) leaves the designed value.
void apply(const std::string& stored, int& target)
{
    const std::string_view v = text::trim(stored);
    int n = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (!v.empty() && ec == std::errc() && end == v.data() + v.size() &&
        n != WindowPlacement::kAbsent)
        target = n;
}

int save(FileManager& wpo, const std::string& window, const WindowPlacement& g)
{
    const std::pair<const char*, int> values[] = {
        {"X", g.x}, {"Y", g.y}, {"W", g.width}, {"H", g.height}};
    for (const auto& [property, value] : values) {
        const bool exists = fetchRow(wpo, window, property);
        wpo.rec().set(WPO::PROPERTYVALUE,
                      value == WindowPlacement::kAbsent ? std::string() : std::to_string(value));
        const int level = exists ? wpo.UPDATE() : wpo.INSERT();
        if (level != LEVEL_BENIGN)
            return level;
    }
    return LEVEL_BENIGN;
}

void restore(FileManager& wpo, const std::string& window, WindowPlacement& g)
{
    const std::pair<const char*, int*> targets[] = {
        {"X", &g.x}, {"Y", &g.y}, {"H", &g.height}, {"W", &g.width}};
    for (const auto& [property, target] : targets)
        if (fetchRow(wpo, window, property))
            apply(wpo.rec().get(WPO::PROPERTYVALUE), *target);
}

} // namespace

int HANDLEWINDOWPOSITION(Context& ctx, int mode, const std::string& windowName,
                         WindowPlacement& window)
{
    RelationManager& relate = ctx.relate(Tbl::WINPOS);
    relate.OPEN();
    FileManager& wpo = ctx.access(Tbl::WINPOS);
    const std::string name = text::upper(text::rtrim(windowName));
    int level = LEVEL_BENIGN;
    if (mode == WINPOS_SAVE)
        level = save(wpo, name, window);
    else if (mode == WINPOS_RESTORE)
        restore(wpo, name, window);
    relate.CLOSE();
    return level;
}

} // namespace tavlo
