#include "customfields/widgets/tabregister.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/context.h"
#include "framework/viewmanager.h"
#include "framework/widgets/browsewidget.h"

namespace tavlo {

TabRegister::TabRegister(Context& ctx, const char* procedure, const QString& caption, Tbl table,
                         KeyRef key, int tableField, std::vector<RegisterTab> tabs,
                         std::vector<PagedTableModel::Column> columns, QWidget* parent)
    : QWidget(parent, Qt::Window), scope_(std::make_unique<ProcedureScope>(ctx, procedure)),
      tabs_(std::move(tabs))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, table);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
        view->ADDSORTORDER(key);
        view->SETSORT(static_cast<int>(i) + 1);
        view->ADDRANGE(tableField);
        names.emplace_back(tabs_[i].name);
    }
    view->SETSORT(1);
    // The range of a tab is the table number in the buffer when the tab's rows are read.
    ctx.rec(table).setNum(tableField, tabs_.front().tableNo);
    auto browse = std::make_unique<BrowseClass>(ctx, std::move(view), std::move(columns), names);
    browse->buttons.view = false;
    browse->tabChanging = [&ctx, table, tableField, this](int index) {
        ctx.rec(table).setNum(tableField, tabs_.at(index).tableNo);
    };
    list_ = new BrowseWidget(std::move(browse), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    body_ = new QVBoxLayout;
    layout->addLayout(body_);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch(1);
    layout->addLayout(buttons_);
    close_ = new QPushButton(QStringLiteral("Avslutt"), this);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    buttons_->addWidget(close_);
    list_->browse().setTab(0);
    list_->start();
}

TabRegister::~TabRegister()
{
    // The list's files close while the procedure's name is still registered.
    delete list_;
}

int32_t TabRegister::tableNo() const
{
    return tabs_.at(list_->browse().tab()).tableNo;
}

QPushButton* TabRegister::addButton(const QString& text, int action, const QString& tip)
{
    auto* b = new QPushButton(text, this);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    buttons_->insertWidget(buttons_->count() - 1, b);
    list_->connectButton(b, action);
    return b;
}

} // namespace tavlo
