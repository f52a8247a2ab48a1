#pragma once
// The layout the printed lists share (invoices, customers, products): on every page the title,
// the selection note under it and the column headings; the detail rows below, each cell broken
// to its column's width; a totals row and the closing lines after the last row; and the page
// footer "En Tavlo rapport" with "Side " and the page's number. A row that does not fit begins
// a new page. Every text is given already formatted: the layout knows no field and no picture.
#include <string>
#include <string_view>
#include <vector>

#include "framework/report/pagelist.h"

namespace tavlo::report {

struct Column {
    std::string heading; // a "\n" breaks it in two lines, the second level with the others
    int width = 0;       // mils, the gap to the next column included
    Align align = Align::Left;
};

enum class Orientation { Portrait, Landscape };

// `text` broken into lines of at most `width` mils at `size` points: at its line breaks, then at
// blanks, a word longer than a line cut. The width of a character is taken generously, so that
// the painter never has to break a line again and the rows' heights hold.
std::vector<std::string> breakLines(std::string_view text, int width, int size);

class ListReport {
  public:
    static constexpr int kMargin = 500; // mils, every edge
    static constexpr int kSize = 8;     // points, rows and headings
    static constexpr int kLine = 150;   // mils, one line of a row
    static constexpr int kGap = 100;    // mils, between a column's text and the next column

    ListReport(std::string title, std::string subtitle, std::vector<Column> columns,
               Orientation orientation = Orientation::Landscape);

    // A detail row, a cell per column (missing cells are blank).
    void row(const std::vector<std::string>& cells);
    // A rule across the columns, then `label` at the left margin and the cells in bold.
    void totals(const std::string& label, const std::vector<std::string>& cells);
    // A closing line: `label` at the left margin, `text` beside it, line by line.
    void closing(const std::string& label, const std::string& text);
    // The pages so far; the list goes on being usable.
    const PageList& pages() const { return pages_; }
    PageList take() { return std::move(pages_); }

    int pageWidth() const { return width_; }
    int pageHeight() const { return height_; }
    // The top of the rows on every page, and the lowest a row may reach.
    int bodyTop() const;
    int bodyBottom() const;

  private:
    void newPage();
    // The top of a band `h` high: on this page when it fits, else on a new one.
    int place(int h);
    Page& page() { return pages_.back(); }

    std::string title_, subtitle_;
    std::vector<Column> columns_;
    int width_, height_;
    int y_ = 0;
    PageList pages_;
};

} // namespace tavlo::report
