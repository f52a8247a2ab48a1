#include "framework/widgets/browsewidget.h"

#include <algorithm>

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QVBoxLayout>

namespace tavlo {

BrowseWidget::BrowseWidget(std::unique_ptr<BrowseClass> browse, QWidget* parent)
    : QWidget(parent), browse_(std::move(browse))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabBar(this);
    tabs_->setExpanding(false);
    for (const auto& name : browse_->tabs())
        tabs_->addTab(QString::fromStdString(name));
    tabs_->setVisible(browse_->tabs().size() > 1);
    layout->addWidget(tabs_);

    auto* find = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Søk:"), this);
    locatorLabel_ = label;
    locator_ = new QLineEdit(this);
    label->setBuddy(locator_);
    find->addWidget(label);
    find->addWidget(locator_, 1);
    layout->addLayout(find);

    table_ = new PagedTableView(browse_->model(), this);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(table_, 1);
    setFocusProxy(table_);

    table_->keyHook = [this](int key, Qt::KeyboardModifiers mods) {
        const int action = browse_->actionForKey(key, static_cast<int>(mods));
        return action != 0 && (browse_->activate(action), true);
    };
    connect(table_, &QAbstractItemView::doubleClicked, this,
            [this] { browse_->activate(browse_->doubleClickAction()); });
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QModelIndex i = table_->indexAt(at); i.isValid())
            browse_->model().setCurrentRow(i.row());
        QMenu* menu = popupMenu();
        menu->exec(table_->viewport()->mapToGlobal(at));
        menu->deleteLater();
    });
    connect(tabs_, &QTabBar::currentChanged, this, &BrowseWidget::tabChanged);
    connect(locator_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (browse_->model().locate(text))
            table_->showCurrent();
    });
    // Enter in the locator goes on to the list.
    connect(locator_, &QLineEdit::returnPressed, table_, qOverload<>(&QWidget::setFocus));
    connect(&browse_->model(), &PagedTableModel::currentRowChanged, this,
            &BrowseWidget::updateButtons);
}

BrowseWidget::~BrowseWidget() = default;

void BrowseWidget::start()
{
    browse_->model().home();
    table_->showCurrent();
    updateButtons();
}

void BrowseWidget::tabChanged(int index)
{
    locator_->clear();
    const auto& none = browse_->withoutLocator;
    const bool locator = std::find(none.begin(), none.end(), index) == none.end();
    locator_->setVisible(locator);
    locatorLabel_->setVisible(locator);
    browse_->setTab(index);
    table_->showCurrent();
    updateButtons();
}

void BrowseWidget::connectButton(QAbstractButton* button, int action)
{
    buttons_.emplace_back(button, action);
    connect(button, &QAbstractButton::clicked, this, [this, action] { browse_->activate(action); });
    button->setEnabled(browse_->enabled(action));
}

QMenu* BrowseWidget::popupMenu()
{
    auto* menu = new QMenu(this);
    for (const auto& item : browse_->popupMenu()) {
        QAction* a = menu->addAction(QString::fromStdString(item.text));
        a->setEnabled(browse_->enabled(item.action));
        const int action = item.action;
        connect(a, &QAction::triggered, this, [this, action] { browse_->activate(action); });
    }
    return menu;
}

void BrowseWidget::updateButtons()
{
    for (auto& [button, action] : buttons_)
        button->setEnabled(browse_->enabled(action));
}

} // namespace tavlo
