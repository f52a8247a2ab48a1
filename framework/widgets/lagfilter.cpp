#include "framework/widgets/lagfilter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavlo {

namespace {

constexpr int kFieldChars = 50;
const char* const kOperatorTexts[] = {"=", "<>", "<", ">", "<=", ">="};
const char* const kTypeTexts[] = {"&Heltall", "&Desimaltall", "&Tekst", "&Dato", "&Tid"};

// The field list hands out the dragged field's name under our own type only, so that no other
// drop target takes it as plain text.
class FieldList : public QTreeWidget {
  public:
    using QTreeWidget::QTreeWidget;

  protected:
    QStringList mimeTypes() const override
    {
        return {QString::fromLatin1(LagFilterDialog::kFieldMimeType)};
    }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override
    {
        if (items.isEmpty())
            return nullptr;
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(LagFilterDialog::kFieldMimeType),
                      items.front()->text(1).toUtf8());
        return data;
    }
};

QString droppedField(const QMimeData* data)
{
    const QString type = QString::fromLatin1(LagFilterDialog::kFieldMimeType);
    return data && data->hasFormat(type) ? QString::fromUtf8(data->data(type)) : QString();
}

QPushButton* button(const char* text, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    // Enter in an entry must not leave the window or build a condition behind the user's back.
    b->setAutoDefault(false);
    return b;
}

// An option of radio buttons in a row, numbered from 1 as the builder counts its choices.
template <std::size_t N> QButtonGroup* options(QGroupBox* box, const char* const (&texts)[N])
{
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (std::size_t i = 0; i < N; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(texts[i]), box);
        group->addButton(r, static_cast<int>(i) + 1);
        row->addWidget(r);
    }
    row->addStretch();
    return group;
}

} // namespace

LagFilterDialog::LagFilterDialog(int tableNo, std::string& expression, AnswerService& answers,
                                 QWidget* parent)
    : QDialog(parent), builder_(tableNo, expression, answers), expr_(expression)
{
    setWindowTitle(QStringLiteral("Lag filter"));

    // Created in the order Tab takes them.
    list_ = new FieldList(this);
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Feltbeskrivelse"), QStringLiteral("Feltnavn")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    const auto& fields = builder_.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(fields[i].label),
                                                 QString::fromStdString(fields[i].name)});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    list_->setMinimumWidth(list_->header()->sectionSize(0) + fontMetrics().averageCharWidth() * 30);
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    list_->installEventFilter(this);

    auto* copyField = button("Sett inn felt", this);
    auto* appendField = button("Sett in felt", this);

    field_ = new QLineEdit(this);
    field_->setMaxLength(kFieldChars);
    field_->setAcceptDrops(true);
    field_->installEventFilter(this);

    auto* operatorBox = new QGroupBox(QStringLiteral("&Operator"), this);
    operators_ = options(operatorBox, kOperatorTexts);

    value_ = new QLineEdit(this);
    value_->setMaxLength(kFieldChars);

    auto* typeBox = new QGroupBox(this);
    types_ = options(typeBox, kTypeTexts);

    auto* insertCondition = button("Sett inn uttrykk", this);
    insertCondition->setToolTip(QStringLiteral("Konstruer uttrykk og sett inn"));
    auto* andButton = button("AND", this);
    auto* orButton = button("OR", this);

    auto* clearFilter = button("Slett filter", this);
    auto* expressionLabel = new QLabel(QStringLiteral("Filter:"), this);
    expression_ = new QPlainTextEdit(this);
    expression_->setTabChangesFocus(true);
    expression_->viewport()->installEventFilter(this);

    auto* ok = button("OK", this);
    ok->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    auto* leave = button("Avslutt", this);

    // Layout: the fields on the left, the condition on the right, the expression below.
    auto* fieldColumn = new QVBoxLayout;
    fieldColumn->addWidget(list_, 1);
    auto* fieldButtons = new QHBoxLayout;
    fieldButtons->addWidget(copyField);
    fieldButtons->addWidget(appendField);
    fieldButtons->addStretch();
    fieldColumn->addLayout(fieldButtons);

    auto* form = new QFormLayout;
    auto* fieldLabel = new QLabel(QStringLiteral("&Felt:"), this);
    fieldLabel->setBuddy(field_);
    form->addRow(fieldLabel, field_);
    form->addRow(operatorBox);
    auto* valueLabel = new QLabel(QStringLiteral("&Verdi:"), this);
    valueLabel->setBuddy(value_);
    form->addRow(valueLabel, value_);
    form->addRow(typeBox);
    auto* conditionButtons = new QHBoxLayout;
    conditionButtons->addWidget(insertCondition);
    conditionButtons->addStretch();
    conditionButtons->addWidget(andButton);
    conditionButtons->addWidget(orButton);
    form->addRow(conditionButtons);
    auto* conditionColumn = new QVBoxLayout;
    conditionColumn->addLayout(form);
    conditionColumn->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(fieldColumn, 1);
    top->addLayout(conditionColumn);

    auto* expressionHead = new QHBoxLayout;
    expressionHead->addWidget(expressionLabel);
    expressionHead->addStretch();
    expressionHead->addWidget(clearFilter);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(leave);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addLayout(expressionHead);
    layout->addWidget(expression_, 1);
    layout->addLayout(bottom);

    connect(copyField, &QPushButton::clicked, this, [this] { chooseField(selectedRow()); });
    connect(appendField, &QPushButton::clicked, this, [this] {
        builder_.insertFieldName(selectedRow());
        showExpression();
    });
    connect(field_, &QLineEdit::textEdited, this,
            [this](const QString& text) { builder_.field = text.toStdString(); });
    connect(operators_, &QButtonGroup::idClicked, this, [this](int op) { builder_.op = op; });
    connect(value_, &QLineEdit::editingFinished, this, [this] { commitValue(); });
    connect(types_, &QButtonGroup::idClicked, this, &LagFilterDialog::setValueType);
    connect(insertCondition, &QPushButton::clicked, this, &LagFilterDialog::insertCondition);
    connect(andButton, &QPushButton::clicked, this, [this] {
        builder_.andButton();
        showExpression();
    });
    connect(orButton, &QPushButton::clicked, this, [this] {
        builder_.orButton();
        showExpression();
    });
    connect(clearFilter, &QPushButton::clicked, this, [this] {
        builder_.clear();
        showExpression();
    });
    // The user may write the expression by hand as well.
    connect(expression_, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing_)
            expr_ = expression_->toPlainText().toStdString();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(leave, &QPushButton::clicked, this, &QDialog::reject);

    showBuilder();
    showExpression();
    list_->setFocus();
    resize(sizeHint().width(), 520);
}

int LagFilterDialog::selectedRow() const
{
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

int LagFilterDialog::rowOf(const QString& name) const
{
    const std::string wanted = name.toStdString();
    const auto& fields = builder_.fields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == wanted)
            return static_cast<int>(i);
    return -1;
}

void LagFilterDialog::chooseField(int row)
{
    if (row < 0)
        return;
    builder_.chooseField(row);
    showBuilder();
}

void LagFilterDialog::setValueType(int type)
{
    commitValue();
    builder_.valueType = type;
    showBuilder();
}

bool LagFilterDialog::commitValue()
{
    // Untouched since it was last shown: the builder holds what it shows.
    if (!value_->isModified())
        return true;
    if (builder_.enterValue(value_->text().toStdString())) {
        const QSignalBlocker block(value_);
        value_->setText(QString::fromStdString(builder_.shownValue()));
        return true;
    }
    // Nothing the user cannot see goes into a condition.
    builder_.value.clear();
    QApplication::beep();
    return false;
}

void LagFilterDialog::insertCondition()
{
    if (!commitValue()) {
        value_->setFocus();
        value_->selectAll();
        return;
    }
    if (builder_.insertCondition()) {
        showBuilder();
        showExpression();
    }
}

void LagFilterDialog::showBuilder()
{
    field_->setText(QString::fromStdString(builder_.field));
    if (QAbstractButton* b = operators_->button(builder_.op))
        b->setChecked(true);
    // Type 0 checks none: the group lets go of its choice only while not exclusive.
    types_->setExclusive(false);
    for (QAbstractButton* b : types_->buttons())
        b->setChecked(types_->id(b) == builder_.valueType);
    types_->setExclusive(true);
    const QSignalBlocker block(value_);
    value_->setText(QString::fromStdString(builder_.shownValue()));
}

void LagFilterDialog::showExpression()
{
    const QString text = QString::fromStdString(expr_);
    if (expression_->toPlainText() == text)
        return;
    showing_ = true;
    expression_->setPlainText(text);
    expression_->moveCursor(QTextCursor::End);
    showing_ = false;
}

bool LagFilterDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseField(selectedRow());
            return true;
        }
        return false;
    }
    const bool onField = watched == field_;
    const bool onExpression = watched == expression_->viewport();
    if (!onField && !onExpression)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedField(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const int row = rowOf(droppedField(drop->mimeData()));
        if (row < 0)
            return false;
        if (onField) {
            chooseField(row);
        } else {
            builder_.insertFieldName(row);
            showExpression();
        }
        drop->acceptProposedAction();
        return true;
    }
    default: return false;
    }
}

} // namespace tavlo
