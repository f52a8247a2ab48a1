#pragma once
// What the tests of the printed lists read back from a page list: its texts, the text beside a
// label, and a column's texts page by page.
#include <algorithm>
#include <string>
#include <vector>

#include "framework/report/pagelist.h"

namespace tavlo::testing {

inline std::vector<std::string> texts(const report::Page& page)
{
    std::vector<std::string> out;
    for (const auto& item : page.items)
        if (const auto* t = std::get_if<report::Text>(&item))
            out.push_back(t->text);
    return out;
}

inline std::vector<std::string> texts(const report::PageList& pages)
{
    std::vector<std::string> out;
    for (const auto& page : pages)
        for (const auto& t : texts(page))
            out.push_back(t);
    return out;
}

inline bool has(const std::vector<std::string>& v, const std::string& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

// The text just right of `label` on the same line (a total, a closing value).
inline std::string besides(const report::PageList& pages, const std::string& label, int nth = 0)
{
    for (const auto& page : pages)
        for (const auto& item : page.items) {
            const auto* l = std::get_if<report::Text>(&item);
            if (!l || l->text != label)
                continue;
            std::vector<const report::Text*> row;
            for (const auto& other : page.items)
                if (const auto* t = std::get_if<report::Text>(&other);
                    t && t->y == l->y && t->x > l->x)
                    row.push_back(t);
            std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->x < b->x; });
            return nth < static_cast<int>(row.size()) ? row[nth]->text : std::string();
        }
    return {};
}

// The texts of the column under `heading`, page by page, top down.
inline std::vector<std::string> column(const report::PageList& pages, const std::string& heading)
{
    std::vector<std::string> out;
    for (const auto& page : pages) {
        int x = -1, top = 0;
        for (const auto& item : page.items)
            if (const auto* t = std::get_if<report::Text>(&item); t && t->text == heading) {
                x = t->x;
                top = t->y;
            }
        std::vector<const report::Text*> cells;
        for (const auto& item : page.items)
            if (const auto* t = std::get_if<report::Text>(&item);
                t && t->x == x && t->y > top && t->text != "En Tavlo rapport")
                cells.push_back(t);
        std::stable_sort(cells.begin(), cells.end(), [](auto* a, auto* b) { return a->y < b->y; });
        for (const auto* t : cells)
            out.push_back(t->text);
    }
    return out;
}

} // namespace tavlo::testing
