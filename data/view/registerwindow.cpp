#include "data/view/registerwindow.h"

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
#include <QVBoxLayout>

#include "data/context.h"
#include "data/lookups.h"
#include "data/registerfilter.h"
#include "data/view/data_view.h"
#include "framework/browse.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

RegisterWindow::RegisterWindow(Context& ctx, const Setup& setup, std::unique_ptr<BrowseClass> list,
                               RegisterFilter& filter, std::function<void(int)> selected)
    : ctx_(ctx), filter_(filter), selected_(std::move(selected)), name_(setup.name)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(setup.title);
    setObjectName(QString::fromLatin1(setup.name));

    list->selectMode = static_cast<bool>(selected_);
    list->closeRegister = [this](int response) {
        ended(response);
        close();
    };
    list_ = new BrowseWidget(std::move(list), this);
    list_->setObjectName(QString::fromLatin1(setup.list));

    auto* caption = new QLabel(setup.caption, this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    description_ = new QLineEdit(this);
    description_->setObjectName(QStringLiteral("beskrivelse"));
    description_->setReadOnly(true);
    installLookup(description_, [this] {
        if (filter_.hentFilter())
            shown();
    });
    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(description_, 1);

    auto* menuBar = new QMenuBar(this);
    menu_ = menuBar->addMenu(setup.menu);
    buttons_ = new QHBoxLayout;
    rows_ = new QVBoxLayout;
    layout_ = new QVBoxLayout(this);
    layout_->setMenuBar(menuBar);
    layout_->addLayout(top);
    layout_->addLayout(rows_);
}

RegisterWindow::~RegisterWindow()
{
    ended(RequestCancelled);
}

void RegisterWindow::ended(int response)
{
    if (auto f = std::exchange(selected_, nullptr))
        f(response);
}

void RegisterWindow::CodeRange::show(bool on) const
{
    for (QWidget* w :
         {static_cast<QWidget*>(label), static_cast<QWidget*>(entry), static_cast<QWidget*>(text)})
        w->setVisible(on);
}

namespace {

// The mark in the first column.
class MarkDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 0) {
            static const QIcon on = RegisterWindow::markIcon(true),
                               off = RegisterWindow::markIcon(false);
            option->icon = index.data(PagedTableModel::MarkRole).toInt() ? on : off;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(14, 14);
        }
    }
};

} // namespace

void RegisterWindow::markColumn()
{
    list_->table()->setItemDelegate(new MarkDelegate(list_->table()));
}

QIcon RegisterWindow::markIcon(bool on)
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

RegisterWindow::CodeRange RegisterWindow::codeRange(const char* label, const char* name,
                                                    int32_t group, std::function<int32_t()> get,
                                                    std::function<void(int32_t)> set,
                                                    std::function<std::string()> text)
{
    return range(
        label, name, [this, group](int32_t current) { return HENTKODA(ctx_, group, current); },
        std::move(get), std::move(set), std::move(text));
}

RegisterWindow::CodeRange RegisterWindow::range(const char* label, const char* name,
                                                std::function<int32_t(int32_t current)> pick,
                                                std::function<int32_t()> get,
                                                std::function<void(int32_t)> set,
                                                std::function<std::string()> text)
{
    CodeRange r{new QLabel(QString::fromUtf8(label), this), new QLineEdit(this), new QLabel(this)};
    r.entry->setObjectName(QString::fromLatin1(name));
    r.entry->setAlignment(Qt::AlignRight);
    r.entry->setMaximumWidth(r.entry->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6);
    r.label->setBuddy(r.entry);
    r.text->setObjectName(QString::fromLatin1(name) + QStringLiteral("tekst"));
    auto apply = [this, r, set, text](int32_t code) {
        set(code);
        r.entry->setText(code ? QString::number(code) : QString());
        r.text->setText(QString::fromStdString(text()));
        list_->updateButtons();
    };
    // Enter or leaving the field accepts the code.
    connect(r.entry, &QLineEdit::editingFinished, this, [r, get, apply] {
        const int32_t code = r.entry->text().trimmed().toInt();
        if (code != get())
            apply(code);
    });
    installLookup(r.entry, [pick, get, apply] { apply(pick(get())); });
    r.text->setText(QString::fromStdString(text()));
    return r;
}

void RegisterWindow::markCommands(Marking m)
{
    toggle_ = std::move(m.toggle);
    list_->table()->installEventFilter(this);
    auto all = [this, run = std::move(m.all)] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        run();
        QApplication::restoreOverrideCursor();
    };
    connect(button("Merk alle poster", m.allName), &QPushButton::clicked, this, all);
    connect(button("Fjern alle avmerkinger", m.noneName), &QPushButton::clicked, this, m.none);
    QAction* alle = item((std::string(m.allItem) + "\tCtrl++").c_str(), all);
    QAction* ingen = item((std::string(m.noneItem) + "\tCtrl+-").c_str(), m.none);
    // The list's own keys (Insert, Delete, Ctrl+Enter) are the list's; these two are not.
    alle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    ingen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    for (QAction* a : {alle, ingen}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
}

bool RegisterWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (toggle_ && watched == list_->table() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        PagedTableModel& m = list_->browse().model();
        if (m.currentRow() >= 0 && m.loadRecord(m.currentRow()) == LEVEL_BENIGN) {
            toggle_();
            m.refresh();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QPushButton* RegisterWindow::button(const char* text, const char* name)
{
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QString::fromLatin1(name));
    buttons_->addWidget(b);
    return b;
}

QPushButton* RegisterWindow::requestButton(const char* text, const char* name, int action)
{
    QPushButton* b = button(text, name);
    list_->connectButton(b, action);
    return b;
}

QAction* RegisterWindow::item(const char* text, std::function<void()> run)
{
    QAction* a = menu_->addAction(QString::fromUtf8(text));
    connect(a, &QAction::triggered, this, std::move(run));
    return a;
}

void RegisterWindow::separator()
{
    menu_->addSeparator();
}

void RegisterWindow::filterCommands()
{
    connect(button("Avgrensning", "avgrensning"), &QPushButton::clicked, this,
            [this] { avgrensning(); });
    connect(button("Fjern avgrensning", "fjernAvgrensning"), &QPushButton::clicked, this,
            [this] { fjernAvgrensning(); });
    separator();
    item("&Avgrensning", [this] { avgrensning(); });
    item("Fjern a&vgrensning", [this] { fjernAvgrensning(); });
}

void RegisterWindow::finish(const char* selectText, int width, int height)
{
    separator();
    item("&Lagre vindusposisjon", [this] { desktop::saveWindowPosition(ctx_, this, name_); });

    buttons_->addStretch(1);
    QPushButton* velg = button(selectText, "velg");
    velg->setVisible(list_->browse().selectMode);
    list_->connectButton(velg, SelectRecord);
    connect(button("Avslutt", "avslutt"), &QPushButton::clicked, this, &QWidget::close);

    layout_->addWidget(list_, 1);
    layout_->addLayout(buttons_);
    resize(width, height);
    // Before the window is shown, so that it opens where it was saved.
    desktop::restoreWindowPosition(ctx_, this, name_);
}

void RegisterWindow::avgrensning()
{
    if (filter_.avgrensning())
        shown();
}

void RegisterWindow::fjernAvgrensning()
{
    filter_.fjern();
    shown();
}

void RegisterWindow::shown()
{
    description_->setText(QString::fromStdString(filter_.description()));
    description_->setCursorPosition(0);
    list_->updateButtons();
}

} // namespace tavlo
