#pragma once
// A font as the layout fields keep it: "typeface,size,colour,style", colour as 0xBBGGRR and
// style the weight (400 normal, 700 bold) plus 4096 for italic, 8192 underline and 16384
// strike-out. An empty or 0 part leaves the printout's default.
#include <cstdint>
#include <string>

namespace tavlo {

struct FontDescription {
    static constexpr int kItalic = 4096, kUnderline = 8192, kStrikeOut = 16384;
    std::string face;
    int size = 0;
    int32_t colour = 0;
    int style = 0;

    int weight() const { return style % kItalic; }
    bool italic() const { return style & kItalic; }
    bool underline() const { return style & kUnderline; }
    bool strikeOut() const { return style & kStrikeOut; }

    static FontDescription parse(const std::string& text);
    std::string text() const;
};

} // namespace tavlo
