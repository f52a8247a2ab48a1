#include "framework/widgets/picklist.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tavlo {

PickListDialog::PickListDialog(ViewManager& view, const PickList& list, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(list.caption));
    std::vector<PagedTableModel::Column> columns;
    for (const auto& c : list.columns)
        columns.push_back({c.field, QString::fromStdString(c.heading), c.picture, {}});
    // The detail is read with the row, as a column the table does not show.
    if (list.detailField >= 0) {
        detailColumn_ = static_cast<int>(columns.size());
        columns.push_back({list.detailField, {}, {}, {}});
    }
    model_ = new PagedTableModel(view, std::move(columns), this);

    auto* layout = new QVBoxLayout(this);
    locator_ = new QLineEdit(this);
    locator_->setPlaceholderText(QStringLiteral("Søk"));
    layout->addWidget(locator_);
    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    // The window holds one page: moving past either end reads on, so no scroll bar is needed.
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->installEventFilter(this);
    layout->addWidget(table_);
    if (detailColumn_ >= 0) {
        table_->setColumnHidden(detailColumn_, true);
        detail_ = new QPlainTextEdit(this);
        detail_->setReadOnly(true);
        detail_->setTabChangesFocus(true);
        detail_->setFixedHeight(fontMetrics().lineSpacing() * 4 + 12);
        layout->addWidget(detail_);
    }

    if (list.orderNames.size() > 1) {
        auto* orders = new QButtonGroup(this);
        auto* row = new QHBoxLayout;
        for (std::size_t i = 0; i < list.orderNames.size(); ++i) {
            auto* b = new QRadioButton(QString::fromStdString(list.orderNames[i]), this);
            b->setChecked(i == 0);
            orders->addButton(b, static_cast<int>(i) + 1);
            row->addWidget(b);
        }
        layout->addLayout(row);
        connect(orders, &QButtonGroup::idClicked, this, [this](int order) {
            model_->setSort(order);
            locator_->clear();
            showCurrent();
        });
    }

    auto* buttons = new QDialogButtonBox(this);
    auto* cancel = buttons->addButton(QStringLiteral("Avbryt"), QDialogButtonBox::RejectRole);
    auto* select = buttons->addButton(QStringLiteral("Velg"), QDialogButtonBox::AcceptRole);
    (void)cancel;
    select->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(select, &QPushButton::clicked, this, &PickListDialog::choose);
    connect(table_, &QTableView::doubleClicked, this, &PickListDialog::choose);
    connect(locator_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (model_->locate(text))
            showCurrent();
    });
    connect(model_, &PagedTableModel::currentRowChanged, this, &PickListDialog::showCurrent);
    // The model keeps the current row across page reads: the table's cursor is the model's.
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) {
                if (now.isValid() && now.row() != model_->currentRow())
                    model_->setCurrentRow(now.row());
            });

    // The list starts at the record in the buffer (the current value), or the first after it.
    view.RESETAT();
    if (view.NEXT() != LEVEL_BENIGN || !model_->showRecord(view.file().current()))
        model_->home();
    showCurrent();
    resize(460, 420);
}

void PickListDialog::showCurrent()
{
    int row = model_->currentRow();
    if (row >= 0 && table_->currentIndex().row() != row)
        table_->selectRow(row);
    if (detail_)
        detail_->setPlainText(row >= 0 ? model_->data(model_->index(row, detailColumn_)).toString()
                                       : QString());
}

void PickListDialog::choose()
{
    int row = model_->currentRow();
    if (row < 0 || model_->loadRecord(row) != LEVEL_BENIGN)
        return;
    accept();
}

void PickListDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The page is what the window shows: no row is read that cannot be seen.
    int rows = table_->viewport()->height() / table_->verticalHeader()->defaultSectionSize();
    if (rows >= 1 && rows != model_->pageSize()) {
        model_->setPageSize(rows);
        showCurrent();
    }
}

bool PickListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != table_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    int row = table_->currentIndex().row();
    int last = model_->rowCount() - 1;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: choose(); return true;
    case Qt::Key_Down:
        if (row < last)
            return false;
        if (model_->scrollDown(1))
            model_->setCurrentRow(model_->rowCount() - 1);
        break;
    case Qt::Key_Up:
        if (row > 0)
            return false;
        if (model_->scrollUp(1))
            model_->setCurrentRow(0);
        break;
    case Qt::Key_PageDown: model_->pageDown(); break;
    case Qt::Key_PageUp: model_->pageUp(); break;
    case Qt::Key_Home: model_->home(); break;
    case Qt::Key_End: model_->end(); break;
    default: return false;
    }
    showCurrent();
    return true;
}

} // namespace tavlo
