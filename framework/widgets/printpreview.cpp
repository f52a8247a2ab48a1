#include "framework/widgets/printpreview.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>

#include "framework/iniclass.h"

namespace tavlo {

namespace {

constexpr const char* kSector = "_PreviewWindow_";
constexpr double kScreenDpi = 96;

} // namespace

const std::vector<PrintPreviewClass::Zoom>& PrintPreviewClass::zoomChoices()
{
    static const std::vector<Zoom> choices{
        {"Tile pages", "Zoom: Tile Pages", -2}, {"Page Width", "Zoom: Page Width", -1},
        {"50% Zoom", "Zoom: 50%", 50},          {"75% Zoom", "Zoom: 75%", 75},
        {"100% Zoom", "Zoom: 100%", 100},       {"200% Zoom", "Zoom: 200%", 200},
        {"300% Zoom", "Zoom: 300%", 300}};
    return choices;
}

PrintPreviewClass::PrintPreviewClass(report::PageList pages, INIClass* settings,
                                     std::function<void(bool)> done, QWidget* parent)
    : QWidget(parent), pages_(std::move(pages)), settings_(settings), done_(std::move(done))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(QStringLiteral("Forhåndsvisning"));
    pagesToPrint_ = QStringLiteral("1-%1").arg(pageCount());

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* skriv = new QPushButton(QStringLiteral("&Skriv ut..."), this);
    skriv->setObjectName(QStringLiteral("skrivut"));
    zoomBox_ = new QComboBox(this);
    zoomBox_->setObjectName(QStringLiteral("zoom"));
    for (const Zoom& z : zoomChoices())
        zoomBox_->addItem(QString::fromLatin1(z.menu), z.value);
    pageBox_ = new QSpinBox(this);
    pageBox_->setObjectName(QStringLiteral("side"));
    pageBox_->setRange(1, std::max(1, pageCount()));
    pageBox_->setEnabled(pageCount() >= 2);
    pageBox_->setToolTip(QStringLiteral("Enter a page number from 1 to %1").arg(pageCount()));
    auto* lukk = new QPushButton(QStringLiteral("&Lukk"), this);
    lukk->setObjectName(QStringLiteral("lukk"));
    bar->addWidget(skriv);
    bar->addWidget(new QLabel(QStringLiteral("Zoom:"), this));
    bar->addWidget(zoomBox_);
    bar->addWidget(new QLabel(QStringLiteral("Side:"), this));
    bar->addWidget(pageBox_);
    bar->addWidget(new QLabel(QStringLiteral("av %1").arg(pageCount()), this));
    bar->addStretch(1);
    bar->addWidget(lukk);
    layout->addLayout(bar);
    canvas_ = new QLabel;
    canvas_->setAlignment(Qt::AlignCenter);
    canvas_->setBackgroundRole(QPalette::Dark);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("sider"));
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    layout->addWidget(scroll_, 1);

    connect(zoomBox_, &QComboBox::activated, this,
            [this](int i) { setZoom(zoomBox_->itemData(i).toInt()); });
    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int p) { setPage(p); });
    connect(skriv, &QPushButton::clicked, this, [this] { print(); });
    connect(lukk, &QPushButton::clicked, this, &QWidget::close);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        for (const Zoom& z : zoomChoices()) {
            QAction* a = menu.addAction(QString::fromLatin1(z.menu));
            a->setStatusTip(QString::fromLatin1(z.status));
            a->setCheckable(true);
            a->setChecked(z.value == zoom_);
            const int value = z.value;
            connect(a, &QAction::triggered, this, [this, value] { setZoom(value); });
        }
        menu.exec(mapToGlobal(at));
    });

    resize(900, 1000);
    if (settings_) {
        WindowPlacement w;
        if (settings_->Fetch(kSector, w) && w.width != WindowPlacement::kAbsent) {
            move(w.x, w.y);
            resize(w.width, w.height);
            if (w.maximized)
                setWindowState(Qt::WindowMaximized);
        }
    }
    setZoom(-1);
}

PrintPreviewClass::~PrintPreviewClass()
{
    if (done_)
        done_(printed_);
}

void PrintPreviewClass::setZoom(int percent)
{
    zoom_ = percent;
    const int i = zoomBox_->findData(percent);
    if (i >= 0) {
        zoomBox_->setCurrentIndex(i);
    } else {
        zoomBox_->setEditable(true);
        zoomBox_->setEditText(QStringLiteral("%1%").arg(percent));
    }
    redraw();
}

void PrintPreviewClass::setPage(int page)
{
    page_ = std::clamp(page, 1, std::max(1, pageCount()));
    if (pageBox_->value() != page_)
        pageBox_->setValue(page_);
    redraw();
}

void PrintPreviewClass::redraw()
{
    if (pages_.empty())
        return;
    const report::Page& page = pages_[page_ - 1];
    double dpi = kScreenDpi * (zoom_ > 0 ? zoom_ / 100.0 : 1.0);
    // The room the page area has without scroll bars.
    const QSize room = scroll_->maximumViewportSize();
    const int viewW =
        std::max(200, room.width() - scroll_->verticalScrollBar()->sizeHint().width() - 4);
    const int viewH = std::max(200, room.height() - 4);
    if (zoom_ == -1)
        dpi = viewW * 1000.0 / page.width;
    else if (zoom_ == -2)
        dpi = std::min(viewW * 1000.0 / page.width, viewH * 1000.0 / page.height);
    QImage image(static_cast<int>(page.width * dpi / 1000),
                 static_cast<int>(page.height * dpi / 1000), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        report::paint(p, page, dpi);
    }
    canvas_->setPixmap(QPixmap::fromImage(image));
    canvas_->resize(image.size());
}

bool PrintPreviewClass::print(bool ask)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    if (!printerName_.isEmpty())
        printer.setPrinterName(printerName_);
    printer.setFromTo(1, pageCount());
    // A list laid out across the sheet prints across it.
    if (!pages_.empty() && pages_.front().width > pages_.front().height)
        printer.setPageOrientation(QPageLayout::Landscape);
    printer.setCopyCount(copies_);
    printer.setCollateCopies(true);
    if (paperSource_ > 0 && paperSource_ <= QPrinter::LastPaperSource)
        printer.setPaperSource(static_cast<QPrinter::PaperSource>(paperSource_));
    if (ask) {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, pageCount());
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    return printOn(printer);
}

bool printWithoutPreview(report::PageList pages)
{
    PrintPreviewClass unseen(std::move(pages), nullptr, {});
    unseen.setAttribute(Qt::WA_DeleteOnClose, false);
    return unseen.print(true);
}

bool PrintPreviewClass::printOn(QPrinter& printer)
{
    int from = 1, to = pageCount();
    if (printer.printRange() == QPrinter::PageRange) {
        from = std::max(1, printer.fromPage());
        to = std::min(pageCount(), printer.toPage());
        pagesToPrint_ = QStringLiteral("%1-%2").arg(from).arg(to);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int i = from; i <= to; ++i) {
        if (i > from)
            printer.newPage();
        report::paint(painter, pages_[i - 1], printer.resolution());
    }
    painter.end();
    printed_ = true;
    return true;
}

void PrintPreviewClass::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // After the layout has given the page area its new size.
    if (zoom_ < 0)
        QMetaObject::invokeMethod(
            this, [this] { redraw(); }, Qt::QueuedConnection);
}

void PrintPreviewClass::closeEvent(QCloseEvent* event)
{
    if (settings_) {
        WindowPlacement w;
        w.maximized = isMaximized();
        w.x = x();
        w.y = y();
        w.width = width();
        w.height = height();
        settings_->Update(kSector, w);
    }
    event->accept();
}

} // namespace tavlo
