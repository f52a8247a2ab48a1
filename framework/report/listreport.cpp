#include "framework/report/listreport.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <numeric>

#include "framework/softassert.h"

namespace tavlo::report {

namespace {

constexpr int kTitleSize = 14;
constexpr int kTitleTop = ListReport::kMargin - 100;
constexpr int kSubtitleTop = kTitleTop + 270;
constexpr int kHeadingTop = kSubtitleTop + 250;
constexpr int kFooterRule = 550; // mils above the page's foot

Text text(int x, int y, int w, const std::string& s, Align a, int weight = 0,
          int size = ListReport::kSize)
{
    return textAt(x, y, w, s, a, weight, size);
}

} // namespace

std::vector<std::string> breakLines(std::string_view in, int width, int size)
{
    // Three fifths of the point size (size × 25/3 mils) is wider than Arial's average letter,
    // capitals included.
    const int most = std::max(1, width * 3 / (std::max(1, size) * 25));
    QString all = QString::fromUtf8(in.data(), static_cast<qsizetype>(in.size()));
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::vector<std::string> out;
    for (const QString& paragraph : all.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (!line.isEmpty() && line.size() + 1 + word.size() <= most) {
                line += QLatin1Char(' ') + word;
                continue;
            }
            if (!line.isEmpty())
                out.push_back(line.toStdString());
            while (word.size() > most) {
                out.push_back(word.left(most).toStdString());
                word = word.mid(most);
            }
            line = word;
        }
        out.push_back(line.toStdString());
    }
    // Blank lines at the end add nothing but height.
    while (out.size() > 1 && out.back().empty())
        out.pop_back();
    return out;
}

ListReport::ListReport(std::string title, std::string subtitle, std::vector<Column> columns,
                       Orientation orientation)
    : title_(std::move(title)), subtitle_(std::move(subtitle)), columns_(std::move(columns)),
      width_(orientation == Orientation::Landscape ? kA4Height : kA4Width),
      height_(orientation == Orientation::Landscape ? kA4Width : kA4Height)
{
    const int total = std::accumulate(columns_.begin(), columns_.end(), 0,
                                      [](int sum, const Column& c) { return sum + c.width; });
    TAVLO_ASSERT(total <= width_ - 2 * kMargin);
    newPage();
}

int ListReport::bodyTop() const
{
    return kHeadingTop + kLine + 100;
}

int ListReport::bodyBottom() const
{
    return height_ - kFooterRule - 50;
}

void ListReport::newPage()
{
    Page p;
    p.width = width_;
    p.height = height_;
    const int right = width_ - kMargin;
    p.items.push_back(text(kMargin, kTitleTop, 0, title_, Align::Left, 700, kTitleSize));
    if (!subtitle_.empty())
        p.items.push_back(text(kMargin, kSubtitleTop, 0, subtitle_, Align::Left));
    int x = kMargin;
    for (const Column& c : columns_) {
        // A heading of two lines ("Enhets-", "benevning") ends on the line the others are on.
        const std::size_t brudd = c.heading.find('\n');
        if (brudd != std::string::npos) {
            p.items.push_back(text(x, kHeadingTop - kLine, c.width - kGap,
                                   c.heading.substr(0, brudd), c.align, 700));
            p.items.push_back(
                text(x, kHeadingTop, c.width - kGap, c.heading.substr(brudd + 1), c.align, 700));
        } else
            p.items.push_back(text(x, kHeadingTop, c.width - kGap, c.heading, c.align, 700));
        x += c.width;
    }
    const int rule = kHeadingTop + kLine + 20;
    p.items.push_back(Line{kMargin, rule, right, rule, 10, 0});
    // The footer goes on as the page begins: its number is known now.
    const int foot = height_ - kFooterRule;
    p.items.push_back(Line{kMargin, foot, right, foot, 5, 0});
    p.items.push_back(text(kMargin, foot + 50, 0, "En Tavlo rapport", Align::Left));
    p.items.push_back(
        text(right, foot + 50, 0, "Side " + std::to_string(pages_.size() + 1), Align::Right));
    pages_.push_back(std::move(p));
    y_ = bodyTop();
}

int ListReport::place(int h)
{
    // A band taller than a whole page goes on a page of its own, over the foot if it must.
    if (y_ + h > bodyBottom() && y_ > bodyTop())
        newPage();
    const int y = y_;
    y_ += h;
    return y;
}

void ListReport::row(const std::vector<std::string>& cells)
{
    std::vector<std::vector<std::string>> lines(columns_.size());
    std::size_t most = 1;
    for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i) {
        if (cells[i].empty())
            continue;
        lines[i] = breakLines(cells[i], columns_[i].width - kGap, kSize);
        most = std::max(most, lines[i].size());
    }
    const int y = place(static_cast<int>(most) * kLine);
    int x = kMargin;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::string joined;
        for (const std::string& l : lines[i])
            joined += (joined.empty() ? "" : "\n") + l;
        if (!joined.empty())
            page().items.push_back(text(x, y, columns_[i].width - kGap, joined, columns_[i].align));
        x += columns_[i].width;
    }
}

void ListReport::totals(const std::string& label, const std::vector<std::string>& cells)
{
    const int y = place(kLine + 60) + 60;
    page().items.push_back(Line{kMargin, y - 30, width_ - kMargin, y - 30, 10, 0});
    page().items.push_back(text(kMargin, y, 0, label, Align::Left, 700));
    int x = kMargin;
    for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i) {
        if (!cells[i].empty())
            page().items.push_back(
                text(x, y, columns_[i].width - kGap, cells[i], columns_[i].align, 700));
        x += columns_[i].width;
    }
}

void ListReport::closing(const std::string& label, const std::string& value)
{
    constexpr int kLabel = 1600; // the widest label of the lists with room to spare
    const int x = kMargin + kLabel;
    const std::vector<std::string> lines = breakLines(value, width_ - kMargin - x, kSize);
    // The label stays with the first line; the rest follows over as many pages as it needs.
    y_ += 60;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int y = place(kLine);
        if (i == 0)
            page().items.push_back(text(kMargin, y, 0, label, Align::Left, 700));
        if (!lines[i].empty())
            page().items.push_back(text(x, y, 0, lines[i], Align::Left));
    }
}

} // namespace tavlo::report
