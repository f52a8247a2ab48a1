// The customer register "Kundekartotek", bound to its rules.
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QVBoxLayout>

#include "customers/kundekartotek.h"
#include "customers/view/customers_view.h"
#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "data/view/data_view.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kWindowName = "KUNDEKARTOTEK";

QIcon tagIcon(bool on)
{
    // Drawn here: the styles have no check mark that reads well in a list.
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 11, 11));
    if (on) {
        p.setPen(QPen(QColor(0, 120, 0), 2));
        p.drawPolyline(QPolygonF({QPointF(3.5, 7), QPointF(6, 10), QPointF(11, 3.5)}));
    }
    return QIcon(pm);
}

// The mark in the first column.
class KundeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 0) {
            static const QIcon on = tagIcon(true), off = tagIcon(false);
            option->icon = index.data(PagedTableModel::MarkRole).toInt() ? on : off;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(14, 14);
        }
    }
};

class KundekartotekWindow : public QWidget {
  public:
    KundekartotekWindow(Context& ctx, std::function<void(int)> selected)
        : ctx_(ctx), rules_(std::make_unique<KundeKartotek>(ctx)), selected_(std::move(selected))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Kundekartotek"));
        setObjectName(QString::fromLatin1(kWindowName));

        // The list widget owns the browse rules; the register's rules keep a reference.
        rules_->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            openKundeForm(c, std::move(done));
        };
        rules_->browse().selectMode = static_cast<bool>(selected_);
        rules_->browse().closeRegister = [this](int response) {
            finish(response);
            close();
        };
        list_ = new BrowseWidget(takeBrowse(), this);
        list_->setObjectName(QStringLiteral("kunder"));
        list_->table()->setItemDelegate(new KundeDelegate(list_->table()));
        list_->table()->setIconSize(QSize(14, 14));
        list_->table()->installEventFilter(this);

        auto* caption = new QLabel(QStringLiteral("Kunder"), this);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        description_ = new QLineEdit(this);
        description_->setObjectName(QStringLiteral("beskrivelse"));
        description_->setReadOnly(true);
        installLookup(description_, [this] {
            if (rules_->hentFilter())
                shown();
        });
        auto* top = new QHBoxLayout;
        top->addWidget(caption);
        top->addWidget(description_, 1);

        // The name search on the "Navn" tab, the group range on "Kundegruppe".
        navn_ = new QLineEdit(this);
        navn_->setObjectName(QStringLiteral("navn"));
        navn_->setMaxLength(50);
        connect(navn_, &QLineEdit::returnPressed, this, [this] {
            rules_->setNavn(navn_->text().toStdString());
            shown();
        });
        navnLabel_ = new QLabel(QStringLiteral("Søk i &navn:"), this);
        navnLabel_->setBuddy(navn_);
        gruppe_ = new QLineEdit(this);
        gruppe_->setObjectName(QStringLiteral("kundegruppe"));
        gruppe_->setAlignment(Qt::AlignRight);
        gruppe_->setMaximumWidth(gruppe_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6);
        connect(gruppe_, &QLineEdit::returnPressed, this,
                [this] { setGroup(gruppe_->text().trimmed().toInt()); });
        installLookup(gruppe_, [this] { setGroup(HENTKODA(ctx_, 103, rules_->kundegruppe())); });
        gruppeLabel_ = new QLabel(QStringLiteral("&Kundegruppe:"), this);
        gruppeLabel_->setBuddy(gruppe_);
        gruppeTekst_ = new QLabel(this);
        gruppeTekst_->setObjectName(QStringLiteral("kundegruppetekst"));
        auto* search = new QHBoxLayout;
        search->addWidget(navnLabel_);
        search->addWidget(navn_, 1);
        search->addWidget(gruppeLabel_);
        search->addWidget(gruppe_);
        search->addWidget(gruppeTekst_, 1);
        connect(list_->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        auto* buttons = new QHBoxLayout;
        auto button = [this, buttons](const char* text, const char* name) {
            auto* b = new QPushButton(QString::fromUtf8(text), this);
            b->setObjectName(QString::fromLatin1(name));
            buttons->addWidget(b);
            return b;
        };
        list_->connectButton(button("Ny kunde", "ny"), InsertRecord);
        list_->connectButton(button("Endre/vise kunde", "endre"), ChangeRecord);
        list_->connectButton(button("Slett kunde", "slett"), DeleteRecord);
        connect(button("Merk alle poster", "merkAlle"), &QPushButton::clicked, this,
                [this] { merkAlle(); });
        connect(button("Fjern alle avmerkinger", "fjernAvmerkinger"), &QPushButton::clicked, this,
                [this] { rules_->fjernAvmerkinger(); });
        connect(button("Avgrensning", "avgrensning"), &QPushButton::clicked, this,
                [this] { avgrensning(); });
        connect(button("Fjern avgrensning", "fjernAvgrensning"), &QPushButton::clicked, this,
                [this] { fjernAvgrensning(); });
        connect(button("Generer fakturaer", "generer"), &QPushButton::clicked, this,
                [this] { genererFakturaer(); });
        buttons->addStretch(1);
        QPushButton* velg = button("Velg kunde", "velg");
        velg->setVisible(rules_->browse().selectMode);
        list_->connectButton(velg, SelectRecord);
        connect(button("Avslutt", "avslutt"), &QPushButton::clicked, this, &QWidget::close);

        auto* menuBar = new QMenuBar(this);
        QMenu* menu = menuBar->addMenu(QStringLiteral("&Kunde"));
        auto item = [this, menu](const char* text, std::function<void()> run) {
            QAction* a = menu->addAction(QString::fromUtf8(text));
            connect(a, &QAction::triggered, this, std::move(run));
            return a;
        };
        item("&Ny kunde\tInsert", [this] { list_->browse().activate(InsertRecord); });
        item("&Endre/vise kunde\tCtrl+Enter", [this] { list_->browse().activate(ChangeRecord); });
        item("&Slette kunde\tDelete", [this] { list_->browse().activate(DeleteRecord); });
        QAction* alle = item("&Merk alle poster\tCtrl++", [this] { merkAlle(); });
        QAction* ingen = item("&Fjern avmerkinger\tCtrl+-", [this] { rules_->fjernAvmerkinger(); });
        // The list's own keys (Insert, Delete, Ctrl+Enter) are the list's; these two are not.
        alle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
        ingen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
        for (QAction* a : {alle, ingen}) {
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        menu->addSeparator();
        item("&Avgrensning", [this] { avgrensning(); });
        item("Fjern a&vgrensning", [this] { fjernAvgrensning(); });
        menu->addSeparator();
        item("&Generer fakturaer", [this] { genererFakturaer(); });
        menu->addSeparator();
        item("&Lagre vindusposisjon", [this] { saveWindowPosition(ctx_, this, kWindowName); });

        auto* layout = new QVBoxLayout(this);
        layout->setMenuBar(menuBar);
        layout->addLayout(top);
        layout->addLayout(search);
        layout->addWidget(list_, 1);
        layout->addLayout(buttons);
        resize(900, 520);
        // Before the window is shown, so that it opens where it was saved.
        restoreWindowPosition(ctx_, this, kWindowName);
    }

    ~KundekartotekWindow() override { finish(RequestCancelled); }

    KundeKartotek& rules() { return *rules_; }

    void start()
    {
        rules_->open();
        list_->tabBar()->setCurrentIndex(KundeKartotek::TabNavn);
        list_->table()->showCurrent();
        gruppeTekst_->setText(QString::fromStdString(rules_->kundegruppeTekst()));
        followTab();
        shown();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == list_->table() && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            PagedTableModel& m = list_->browse().model();
            if (m.currentRow() >= 0 && m.loadRecord(m.currentRow()) == LEVEL_BENIGN) {
                rules_->toggleTag(ctx_.rec(Tbl::KUNDE).get(KUN::KUNDEID));
                m.refresh();
            }
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

  private:
    std::unique_ptr<BrowseClass> takeBrowse()
    {
        // BrowseWidget wants the list's rules for its own; the register's rules own them until
        // here and keep using them through the widget.
        return rules_->releaseBrowse();
    }

    // The caller of a select hears once how the register ended.
    void finish(int response)
    {
        if (auto f = std::exchange(selected_, nullptr))
            f(response);
    }

    void genererFakturaer() { sayComingLater(ctx_, "GENERERNYEFAKTURAER"); }

    void followTab()
    {
        const int tab = list_->browse().tab();
        navn_->setVisible(tab == KundeKartotek::TabNavn);
        navnLabel_->setVisible(tab == KundeKartotek::TabNavn);
        for (QWidget* w : {static_cast<QWidget*>(gruppe_), static_cast<QWidget*>(gruppeLabel_),
                           static_cast<QWidget*>(gruppeTekst_)})
            w->setVisible(tab == KundeKartotek::TabKundegruppe);
        list_->updateButtons();
    }

    void setGroup(int32_t group)
    {
        rules_->setKundegruppe(group);
        gruppe_->setText(group ? QString::number(group) : QString());
        gruppeTekst_->setText(QString::fromStdString(rules_->kundegruppeTekst()));
        list_->updateButtons();
    }

    void merkAlle()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        rules_->merkAlle();
        QApplication::restoreOverrideCursor();
    }

    void avgrensning()
    {
        if (rules_->avgrensning())
            shown();
    }

    void fjernAvgrensning()
    {
        rules_->fjernAvgrensning();
        shown();
    }

    // The filter's description, and the buttons for the rows the list now has.
    void shown()
    {
        description_->setText(QString::fromStdString(rules_->description()));
        description_->setCursorPosition(0);
        list_->updateButtons();
    }

    Context& ctx_;
    std::unique_ptr<KundeKartotek> rules_;
    std::function<void(int)> selected_;
    BrowseWidget* list_;
    QLineEdit* description_;
    QLineEdit* navn_;
    QLabel* navnLabel_;
    QLineEdit* gruppe_;
    QLabel* gruppeLabel_;
    QLabel* gruppeTekst_;
};

} // namespace

void KUNDEKARTOTEK(Context& ctx, std::function<void(int response)> selected)
{
    auto* w = new KundekartotekWindow(ctx, std::move(selected));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
