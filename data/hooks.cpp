#include "data/hooks.h"

#include <algorithm>

#include "data/kreditnota.h"
#include "data/ocrbetaling.h"
#include "data/stock.h"
#include "framework/errorclass.h"

namespace tavlo {

WriteHooks::Id WriteHooks::add(WriteHook hook)
{
    auto& list = byTable_[static_cast<int>(hook.table)];
    list.push_back({++last_, std::make_shared<const WriteHook>(std::move(hook))});
    return last_;
}

void WriteHooks::remove(Id& id)
{
    for (auto& list : byTable_)
        std::erase_if(list, [&](const Entry& e) { return e.id == id; });
    id = 0;
}

bool WriteHooks::any(Tbl table, WriteOp op) const
{
    const auto& list = byTable_[static_cast<int>(table)];
    return std::any_of(list.begin(), list.end(),
                       [&](const Entry& e) { return (e.hook->ops & opBit(op)) != 0; });
}

int WriteHooks::run(const WriteEvent& e, bool after) const
{
    // A copy: a hook's writes may run hooks of other tables, and a hook may remove itself.
    const std::vector<Entry> list = byTable_[static_cast<int>(e.table)];
    for (const auto& entry : list) {
        const WriteHook& h = *entry.hook;
        const auto& act = after ? h.after : h.before;
        if (!(h.ops & opBit(e.op)) || !act)
            continue;
        if (int level = act(e); level != LEVEL_BENIGN)
            return level;
    }
    return LEVEL_BENIGN;
}

void WriteHooks::enlisted(Tbl table, unsigned ops, std::set<Tbl>& out) const
{
    for (const auto& entry : byTable_[static_cast<int>(table)]) {
        if (!(entry.hook->ops & ops))
            continue;
        // What the hook writes may have hooks too; any kind of write, since the hook's own
        // writes are not declared.
        for (Tbl t : entry.hook->enlists)
            if (out.insert(t).second)
                enlisted(t, kEveryWrite, out);
    }
}

WriteHooks& writeHooks()
{
    static WriteHooks hooks = [] {
        WriteHooks h;
        addStockRules(h);
        addKreditnotaRules(h);
        addOcrBetalingRules(h);
        return h;
    }();
    return hooks;
}

} // namespace tavlo
