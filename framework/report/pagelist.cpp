#include "framework/report/pagelist.h"

#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace tavlo::report {

namespace {

// The file being written, for a stop by Ctrl+C or a kill: it goes, and the target is never left
// half-written.
char gWriting[4096];

extern "C" void stopWriting(int sig)
{
    if (gWriting[0])
        ::unlink(gWriting);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

// Removes the file on a stop while it is written; restores the handlers after.
class Guard {
  public:
    explicit Guard(const std::string& path)
    {
        std::strncpy(gWriting, path.c_str(), sizeof gWriting - 1);
        int_ = std::signal(SIGINT, stopWriting);
        term_ = std::signal(SIGTERM, stopWriting);
    }
    ~Guard()
    {
        std::signal(SIGINT, int_);
        std::signal(SIGTERM, term_);
        gWriting[0] = '\0';
    }

  private:
    void (*int_)(int);
    void (*term_)(int);
};

QColor colourOf(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// A font sized in mils, so that it scales with the painter like every position.
QFont fontOf(const FontDescription& d)
{
    QFont f(QString::fromStdString(d.face.empty() ? kDefaultFace : d.face));
    const int size = d.size > 0 ? d.size : kDefaultSize;
    f.setPixelSize(std::max(1, size * 1000 / 72));
    if (d.weight() > 0)
        f.setWeight(d.weight() >= 700 ? QFont::Bold : QFont::Normal);
    f.setItalic(d.italic());
    f.setUnderline(d.underline());
    f.setStrikeOut(d.strikeOut());
    return f;
}

int flagsOf(const Text& t)
{
    int flags = Qt::AlignTop;
    switch (t.align) {
    case Align::Left: flags |= Qt::AlignLeft; break;
    case Align::Center: flags |= Qt::AlignHCenter; break;
    case Align::Right: flags |= Qt::AlignRight; break;
    }
    if (t.wrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

struct Painter {
    QPainter& p;

    void operator()(const Text& t) const
    {
        if (t.text.empty())
            return;
        p.setFont(fontOf(t.font));
        p.setPen(colourOf(t.font.colour));
        QString s = QString::fromStdString(t.text);
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        // Without a width (or height) the box runs as far as the text needs.
        const QRectF box(t.x, t.y, t.w > 0 ? t.w : 1e6, t.h > 0 ? t.h : 1e6);
        QRectF r = box;
        if (t.w <= 0 && t.align != Align::Left) {
            // Aligned at x: the text ends (right) or is centred there.
            const double width = p.fontMetrics().boundingRect(box.toRect(), flagsOf(t), s).width();
            r.moveLeft(t.align == Align::Right ? t.x - width : t.x - width / 2);
            r.setWidth(width + 1);
        }
        p.drawText(r, flagsOf(t), s);
    }
    void operator()(const Line& l) const
    {
        p.setPen(QPen(colourOf(l.colour), std::max(1, l.width)));
        p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    void operator()(const Box& b) const
    {
        p.setPen(b.width > 0 ? QPen(colourOf(b.colour), b.width) : QPen(Qt::NoPen));
        p.setBrush(b.filled ? QBrush(colourOf(b.fill)) : QBrush(Qt::NoBrush));
        p.drawRect(QRectF(b.x, b.y, b.w, b.h));
        p.setBrush(Qt::NoBrush);
    }
    void operator()(const Picture& i) const
    {
        if (!i.image.isNull())
            p.drawImage(QRectF(i.x, i.y, i.w, i.h), i.image);
    }
};

} // namespace

void paint(QPainter& painter, const Page& page, double dpi)
{
    painter.save();
    painter.scale(dpi / 1000.0, dpi / 1000.0);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const Item& item : page.items)
        std::visit(Painter{painter}, item);
    painter.restore();
}

namespace {

QString escaped(const std::string& s)
{
    return QString::fromStdString(s).toHtmlEscaped();
}

QByteArray xmp(const std::string& title, const std::string& author)
{
    const QString x =
        QStringLiteral(
            "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
            "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
            "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
            "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">"
            "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>"
            "<dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>"
            "<xmp:CreatorTool>Tavlo</xmp:CreatorTool><pdf:Producer>Tavlo</pdf:Producer>"
            "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>")
            .arg(escaped(title), escaped(author));
    return x.toUtf8();
}

} // namespace

bool writePdf(const std::string& path, const PageList& pages, const std::string& title,
              const std::string& author, std::string& error)
{
    if (pages.empty()) {
        error = "Ingen sider å skrive";
        return false;
    }
    const std::string tmp = path + ".~" + std::to_string(::getpid());
    Guard guard(tmp);
    {
        QPdfWriter pdf(QString::fromStdString(tmp));
        pdf.setResolution(1000);
        pdf.setTitle(QString::fromStdString(title));
        pdf.setCreator(QStringLiteral("Tavlo"));
        pdf.setDocumentXmpMetadata(xmp(title, author));
        // A4 either way up is named A4, so that a printer given the file takes its own paper.
        auto layoutOf = [](const Page& pg) {
            const bool across = pg.width == kA4Height && pg.height == kA4Width;
            const QPageSize size =
                (pg.width == kA4Width && pg.height == kA4Height) || across
                    ? QPageSize(QPageSize::A4)
                    : QPageSize(QSizeF(pg.width / 1000.0, pg.height / 1000.0), QPageSize::Inch);
            return QPageLayout(size, across ? QPageLayout::Landscape : QPageLayout::Portrait,
                               QMarginsF(0, 0, 0, 0));
        };
        pdf.setPageLayout(layoutOf(pages.front()));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            error = "Kan ikke skrive " + path;
            std::filesystem::remove(tmp);
            return false;
        }
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                pdf.setPageLayout(layoutOf(pages[i]));
                pdf.newPage();
            }
            paint(painter, pages[i], 1000);
        }
        painter.end();
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        error = "Kan ikke skrive " + path + ": " + ec.message();
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

} // namespace tavlo::report
