#pragma once
// A printed report as a list of pages that knows no device: every position and size in
// thousandths of an inch (mils) from the page's top left corner, every font a layout field's
// description. The preview, the printer and the PDF writer replay the same list, so what the
// preview shows is what prints.
#include <QImage>

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "framework/fontdesc.h"

class QPainter;

namespace tavlo::report {

constexpr int kA4Width = 8268, kA4Height = 11693; // 210 × 297 mm
constexpr const char* kDefaultFace = "Arial";
constexpr int kDefaultSize = 10;

enum class Align { Left, Center, Right };

// Text in a box: lines broken at its line breaks (and at its width when `wrap`), aligned in the
// box. A box without width holds the text as it runs, from x.
struct Text {
    int x = 0, y = 0, w = 0, h = 0;
    std::string text;
    FontDescription font;
    Align align = Align::Left;
    bool wrap = false;
};

// A text as it runs from (x, y) in a box w wide; weight and size as a font description has them
// (size 0: the font's own).
inline Text textAt(int x, int y, int w, std::string s, Align a = Align::Left, int weight = 0,
                   int size = 0)
{
    Text t;
    t.x = x;
    t.y = y;
    t.w = w;
    t.text = std::move(s);
    t.align = a;
    t.font.style = weight;
    t.font.size = size;
    return t;
}

struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int width = 10;     // mils
    int32_t colour = 0; // 0xBBGGRR, as the layout fields keep colours
};

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    int width = 10;     // of the border; 0: none
    int32_t colour = 0; // of the border
    bool filled = false;
    int32_t fill = 0xFFFFFF;
};

struct Picture {
    int x = 0, y = 0, w = 0, h = 0;
    QImage image;
};

using Item = std::variant<Text, Line, Box, Picture>;

struct Page {
    int width = kA4Width, height = kA4Height;
    std::vector<Item> items;
};

using PageList = std::vector<Page>;

// Paints the page with `painter`, whose device has `dpi` dots per inch; the painter's own
// transform is kept.
void paint(QPainter& painter, const Page& page, double dpi);

// The pages as one PDF file: A4 or the pages' own size, fonts embedded, text selectable, with its
// title and author (the document's XMP metadata; the program is its creator). Written beside
// `path` and renamed over it at the end, so a run that fails or is stopped leaves no
// half-written file; false with `error` then.
bool writePdf(const std::string& path, const PageList& pages, const std::string& title,
              const std::string& author, std::string& error);

} // namespace tavlo::report
