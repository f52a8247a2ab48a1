#include "shell/frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <concepts>
#include <type_traits>

#include "data/context.h"
#include "data/globals.h"
#include "data/slots.h"
#include "framework/date.h"
#include "framework/installation.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/navnebilde.h"
#include "framework/widgets/slotcommand.h"
#include "shell/startup.h"

namespace tavlo::tlma {

namespace {

constexpr const char* kNewsPage = "https://tavlo.no/nyheter";
constexpr const char* kHomePage = "https://tavlo.no";
constexpr const char* kMail = "post@tavlo.no";

// The desktop's calculators, the first one installed is started.
const char* const kCalculators[] = {"gnome-calculator", "kcalc",        "galculator", "mate-calc",
                                    "qalculate-gtk",    "qalculate-qt", "xcalc"};

// What a menu item or toolbar button does: one of the frame's own commands, or a procedure
// started through its slot.
struct Command {
    template <class F>
    requires std::invocable<F&> Command(F f) : run(std::move(f)) {}
    std::function<void()> run;
    const SlotBase* procedure = nullptr;
};

void connectCommand(QAction* action, const Command& command)
{
    if (command.procedure)
        startsProcedure(action, *command.procedure, command.run);
    else
        QObject::connect(action, &QAction::triggered, action, command.run);
}

// Starts the procedure with the arguments the frame gives it, in a context of its own; the frame
// does not wait for it, and a second start opens a second window.
template <class... A>
Command starts(ErrorClass& errors, const ProcedureSlot<void(Context&, A...)>& slot,
               std::type_identity_t<A>... args)
{
    Command c([&errors, &slot, args...] {
        contextwindows::startInContext([&slot, args...](Context& ctx) { slot(ctx, args...); },
                                       &errors);
    });
    c.procedure = &slot;
    return c;
}

} // namespace

Frame::Frame(ErrorClass& errors, bool archive, QWidget* parent)
    : QMainWindow(parent), errors_(errors)
{
    setWindowTitle(QString::fromStdString(caption(archive)));
    area_ = new QMdiArea(this);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    contextwindows::setWindowArea(area_);
    setFrameWindow(this);

    startProgram = [](const QString& program) { return QProcess::startDetached(program, {}); };
    openUrl = [](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); };

    buildMenus();
    buildToolbar();
    date_ = new QLabel(this);
    time_ = new QLabel(this);
    statusBar()->addPermanentWidget(date_);
    statusBar()->addPermanentWidget(time_);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &Frame::tick);
    timer_->start(1000);
    tick();
    resize(1100, 760);
}

Frame::~Frame()
{
    contextwindows::setWindowArea(nullptr);
    setFrameWindow(nullptr);
}

QAction* Frame::findAction(const QString& text) const
{
    for (QAction* a : findChildren<QAction*>())
        if (a->text() == text)
            return a;
    return nullptr;
}

QString Frame::dateZone() const
{
    return date_->text();
}

QString Frame::timeZone() const
{
    return time_->text();
}

void Frame::tick()
{
    const QTime now = QTime::currentTime();
    date_->setText(QString::fromStdString(weekdayAndDate(date::today())));
    time_->setText(QString::fromStdString(clock(now.hour(), now.minute())));
}

void Frame::buildMenus()
{
    struct Item {
        const char* text;
        const char* help;
        QKeySequence keys;
        Command command;
    };
    auto menu = [this](const char* title, const char* help, std::vector<Item> items) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(title));
        m->menuAction()->setStatusTip(QString::fromUtf8(help));
        for (auto& i : items) {
            QAction* a = m->addAction(QString::fromUtf8(i.text));
            a->setStatusTip(QString::fromUtf8(i.help));
            a->setShortcut(i.keys);
            connectCommand(a, i.command);
        }
        return m;
    };
    using namespace procedures;
    ErrorClass& e = errors_;

    QMenu* fil = menu("&Fil", "", {{"&Print Setup ...", "Setup printer", {}, [this] {
                                        QPrinter printer;
                                        QPrintDialog dialog(&printer, this);
                                        dialog.exec();
                                    }}});
    QAction* preview = new QAction(QStringLiteral("&Forhåndsvisning"), this);
    preview->setCheckable(true);
    preview->setChecked(GLO::PREVIEW == 1);
    preview->setStatusTip(QStringLiteral("Vis utskrifter på skjermen før de skrives ut"));
    connect(preview, &QAction::toggled, this, [](bool on) { GLO::PREVIEW = on ? 1 : 0; });
    fil->addAction(preview);
    fil->addSeparator();
    QAction* exit = fil->addAction(QStringLiteral("E&xit"));
    exit->setStatusTip(QStringLiteral("Exit this application"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    auto edit = [](const char* slot) {
        return [slot] {
            if (QWidget* w = QApplication::focusWidget())
                QMetaObject::invokeMethod(w, slot);
        };
    };
    menu("R&ediger", "",
         {{"Cu&t", "Remove item to Windows Clipboard", QKeySequence::Cut, edit("cut")},
          {"&Copy", "Copy item to Windows Clipboard", QKeySequence::Copy, edit("copy")},
          {"&Paste", "Paste contents of Windows Clipboard", QKeySequence::Paste, edit("paste")}});
    menu("&Kartotek", "",
         {{"&Kundekartotek", "Kunderegisteret", Qt::CTRL | Qt::Key_K, starts(e, KUNDEKARTOTEK, {})},
          {"&Produktkartotek", "Produktregisteret", Qt::CTRL | Qt::Key_P,
           starts(e, PRODUKTKARTOTEK, {})},
          {"&Fakturakartotek", "Fakturaregisteret", Qt::CTRL | Qt::Key_F,
           starts(e, FAKTURAKARTOTEK, "")},
          {"Pros&jektkartotek", "Prosjektregisteret", Qt::CTRL | Qt::Key_J,
           starts(e, PROSJEKTKARTOTEK, {})},
          {"&Grunnlagkartotek", "Fakturagrunnlagene", Qt::CTRL | Qt::Key_G,
           starts(e, GRUNNLAGKARTOTEK, {})},
          {"K&odeverk", "Kodeverket", Qt::CTRL | Qt::Key_O, starts(e, KODEVERKKARTOTEK)}});
    menu("&Rapport", "",
         {{"&Kunderapport...", "Utskrift av kunder", {}, starts(e, AVGRENSNINGERKUNDERAPPORT)},
          {"&Produktrapport...",
           "Utskrift av produkter",
           {},
           starts(e, AVGRENSNINGERPRODUKTRAPPORT)},
          {"&Fakturarapport...",
           "Utskrift av fakturaliste",
           {},
           starts(e, AVGRENSNINGERFAKTURARAPPORT)},
          {"Faktura&statistikk", "Fakturastatistikk", Qt::CTRL | Qt::Key_S,
           starts(e, FAKTURASTATISTIKK)}});
    menu("&Vindu", "Create and Arrange windows",
         {{"T&ile", "Make all open windows visible", {}, [this] { area_->tileSubWindows(); }},
          {"&Cascade", "Stack all open windows", {}, [this] { area_->cascadeSubWindows(); }},
          {"&Arrange Icons", "Align all window icons", {}, [this] {
               for (QMdiSubWindow* w : area_->subWindowList())
                   if (w->isMinimized())
                       w->showMinimized();
           }}});
    menu("&Drift", "",
         {{"&Parametre", "Systemparametre", {}, starts(e, PARAMETERBILDE)},
          {"&Egendefinerte felter", "Egendefinerte felter", {}, starts(e, EGENDEFBROWSE)},
          {"Standard &filter", "Lagrede filtre", {}, starts(e, FILTERBROWSE)},
          {"Sikkerhets&kopiering...", "Sikkerhetskopi av datamappen", {}, starts(e, BACKUP)},
          {"Kodeverks&vedlikehold...",
           "Import og eksport av kodeverk",
           {},
           starts(e, IMPORTEKSPORTKODEVERK)},
          {"&Kundevedlikehold", "Import og eksport av kunder", {}, starts(e, KUNDEVEDLIKEHOLD)},
          {"&Produktvedlikehold",
           "Import og eksport av produkter",
           {},
           starts(e, PRODUKTVEDLIKEHOLD)},
          {"&Innbetalinger fra bank (OCR)...",
           "Les OCR-fil med KID-innbetalinger",
           {},
           starts(e, OCRINNBETALINGER)},
          {"&Slett data...", "Tøm tabeller før drift", {}, starts(e, LAGFILER)}});
    menu("&Help", "Windows Help",
         {{"&Om Tavlo",
           "Om Tavlo",
           {},
           [this] {
               contextwindows::startInContext([this](Context& c) { OM(c, openUrl); }, &errors_);
           }},
          {"&Contents", "View the contents of the help file", {}, [this] { help({}); }},
          {"&Search for Help On...",
           "Search for help on a subject",
           {},
           [this] { help("innhold"); }},
          {"&How to Use Help", "How to use Windows Help", {}, [this] { help("hjelp"); }}});
}

void Frame::buildToolbar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Verktøy"));
    bar->setMovable(false);
    struct Button {
        const char* tip;
        QStyle::StandardPixmap icon;
        Command command;
    };
    using namespace procedures;
    ErrorClass& e = errors_;
    const Button buttons[] = {
        {"Kundekartotek", QStyle::SP_DirHomeIcon, starts(e, KUNDEKARTOTEK, {})},
        {"Produktkartotek", QStyle::SP_DriveHDIcon, starts(e, PRODUKTKARTOTEK, {})},
        {"Fakturakartotek", QStyle::SP_FileDialogDetailedView, starts(e, FAKTURAKARTOTEK, "")},
        {"Grunnlagkartotek", QStyle::SP_FileDialogListView, starts(e, GRUNNLAGKARTOTEK, {})},
        {"Prosjektkartotek", QStyle::SP_DirIcon, starts(e, PROSJEKTKARTOTEK, {})},
        {"Fakturastatistikk", QStyle::SP_FileDialogInfoView, starts(e, FAKTURASTATISTIKK)},
        {"Kalkulator", QStyle::SP_ComputerIcon, [this] { calculator(); }},
    };
    for (const auto& b : buttons) {
        QAction* a = bar->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.tip));
        a->setToolTip(QString::fromUtf8(b.tip));
        a->setObjectName(QStringLiteral("toolbar:") + QString::fromUtf8(b.tip));
        connectCommand(a, b.command);
    }
}

void Frame::calculator()
{
    for (const char* name : kCalculators)
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty() &&
            startProgram(QString::fromLatin1(name))) {
            update();
            return;
        }
    say(errors_,
        "Fant ingen kalkulator på maskinen.|Installer for eksempel gnome-calculator eller "
        "galculator.",
        "Feil", Icon::Hand);
}

void Frame::help(const QString& anchor)
{
    const QString guide = QString::fromStdString(dataFile("brukerveiledning.html"));
    QUrl url = QUrl::fromLocalFile(guide);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    if (!QFileInfo::exists(guide) || !openUrl(url.toString()))
        say(errors_, "Kan ikke åpne brukerveiledningen (" + guide.toStdString() + ")", "Feil",
            Icon::Hand);
}

void Frame::closeEvent(QCloseEvent* event)
{
    // Every open window is asked to close first: a form with unsaved changes may keep the
    // program open.
    area_->closeAllSubWindows();
    QApplication::processEvents();
    if (!area_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    timer_->stop();
    event->accept();
}

QPixmap splashPicture()
{
    desktop::Navnebilde b;
    b.linje = QStringLiteral("Fakturering for små bedrifter");
    b.hjorne = QStringLiteral("4.0e");
    return desktop::navnebilde(b);
}

namespace {

// A picture or text that opens an address when clicked.
class Link : public QLabel {
  public:
    Link(std::function<void()> open, QWidget* parent) : QLabel(parent), open_(std::move(open))
    {
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton)
            open_();
    }

  private:
    std::function<void()> open_;
};

class Splash : public QLabel {
  public:
    Splash() : QLabel(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setPixmap(splashPicture());
        QTimer::singleShot(15000, this, &QWidget::close);
    }

  protected:
    void mousePressEvent(QMouseEvent*) override { close(); }
    void focusOutEvent(QFocusEvent*) override { close(); }
};

} // namespace

QWidget* SPLASH()
{
    auto* s = new Splash;
    s->show();
    s->activateWindow();
    return s;
}

void OM(Context& ctx, const std::function<bool(const QString&)>& openUrl)
{
    auto* w = new QDialog(nullptr);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(QStringLiteral("Om Tavlo"));
    auto* layout = new QVBoxLayout(w);
    auto open = [&ctx, openUrl](const QString& url, const char* failure) {
        return [&ctx, openUrl, url, failure] {
            if (!openUrl(url))
                ctx.say({failure, "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
        };
    };
    auto* picture = new Link(open(kNewsPage, "Kan ikke åpne webleser"), w);
    picture->setPixmap(splashPicture());
    layout->addWidget(picture);
    auto row = [&](const char* label, const QString& text, std::function<void()> click) {
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(QString::fromUtf8(label), w));
        auto* link = new Link(std::move(click), w);
        link->setText("<u>" + text + "</u>");
        line->addWidget(link, 1);
        layout->addLayout(line);
    };
    row("E-post:", kMail,
        open(QStringLiteral("mailto:") + kMail, "Kan ikke åpne program for å sende E-post"));
    row("Internett:", kHomePage, open(kHomePage, "Kan ikke åpne webleser"));
    auto* close = new QPushButton(QStringLiteral("Lukk"), w);
    QObject::connect(close, &QPushButton::clicked, w, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    contextwindows::show(ctx, w);
}

} // namespace tavlo::tlma
