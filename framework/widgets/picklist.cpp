#include "framework/widgets/picklist.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
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
    table_ = new PagedTableView(*model_, this);
    table_->keyHook = [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        choose();
        return true;
    };
    layout->addWidget(table_);
    if (detailColumn_ >= 0) {
        table_->setColumnHidden(detailColumn_, true);
        detail_ = new QPlainTextEdit(this);
        detail_->setReadOnly(true);
        detail_->setTabChangesFocus(true);
        detail_->setFixedHeight(fontMetrics().lineSpacing() * 4 + 12);
        layout->addWidget(detail_);
        connect(model_, &PagedTableModel::currentRowChanged, this, &PickListDialog::showDetail);
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
            table_->showCurrent();
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
            table_->showCurrent();
    });

    // The list starts at the record in the buffer (the current value), or the first after it.
    view.RESETAT();
    if (view.NEXT() != LEVEL_BENIGN || !model_->showRecord(view.file().current()))
        model_->home();
    table_->showCurrent();
    resize(460, 420);
}

void PickListDialog::showDetail()
{
    const int row = model_->currentRow();
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

} // namespace tavlo
