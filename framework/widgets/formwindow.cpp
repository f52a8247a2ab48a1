#include "framework/widgets/formwindow.h"

#include <algorithm>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "data/context.h"
#include "framework/fieldtext.h"
#include "framework/text.h"
#include "framework/widgets/contextwindows.h"

namespace tavlo {

FormWindow::FormWindow(std::unique_ptr<WindowManager> form, const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window), form_(std::move(form))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    body_ = new QWidget(this);
    layout->addWidget(body_, 1);
    auto* ditto = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(ditto, &QShortcut::activated, this, [this] {
        if (form_->readOnly() || !form_->settings().historyKey)
            return;
        commitFields(true);
        form_->ditto();
    });
}

FormWindow::~FormWindow()
{
    setBusy(false);
    // Torn down with the form still open (the program ending): the form's rules give a reserved
    // number back as they end, and must not call into this window any more.
    form_->bind({});
    // The controls outlive the form's rules by a moment: one losing focus as it goes must not
    // reach them.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void FormWindow::bind(QLineEdit* edit, int field, std::string picture)
{
    bindings_.push_back({edit, field, false, std::move(picture)});
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        for (const auto& b : bindings_)
            if (b.control == edit &&
                readField(form_->record(), b.field, b.picture, edit->text().toStdString()))
                edit->setText(
                    QString::fromStdString(showField(form_->record(), b.field, b.picture)));
    });
}

namespace {

bool ticked(const Record& r, int field)
{
    switch (r.decl().fields[field].type) {
    case FieldType::TEXT: {
        const std::string_view v = text::trim(r.str(field));
        return !v.empty() && v != "0";
    }
    default: return r.num(field) != 0;
    }
}

void setTicked(Record& r, int field, bool on)
{
    switch (r.decl().fields[field].type) {
    case FieldType::TEXT: r.setStr(field, on ? "1" : ""); break;
    case FieldType::DEC: r.setNum(field, on ? 100 : 0); break; // hundredths
    default: r.setNum(field, on ? 1 : 0);
    }
}

} // namespace

void FormWindow::bind(QCheckBox* box, int field)
{
    bindings_.push_back({box, field, false, {}});
    connect(box, &QCheckBox::toggled, this,
            [this, field](bool on) { setTicked(form_->record(), field, on); });
}

void FormWindow::bind(QSpinBox* box, int field)
{
    bindings_.push_back({box, field, false, {}});
    connect(box, &QSpinBox::valueChanged, this,
            [this, field](int v) { form_->record().setNum(field, v); });
}

void FormWindow::bind(QComboBox* box, int field)
{
    bindings_.push_back({box, field, false, {}});
    connect(box, &QComboBox::currentTextChanged, this,
            [this, field](const QString& v) { form_->record().setStr(field, v.toStdString()); });
}

void FormWindow::bindMemo(QPlainTextEdit* edit, int memo)
{
    bindings_.push_back({edit, memo, true, {}});
}

void FormWindow::bindText(QPlainTextEdit* edit, int field)
{
    Binding b{edit, field, false, {}};
    b.lines = true;
    bindings_.push_back(std::move(b));
}

void FormWindow::bind(QButtonGroup* group, int field)
{
    bindings_.push_back({group, field, false, {}});
    connect(group, &QButtonGroup::idClicked, this,
            [this, field](int id) { form_->record().setNum(field, id); });
}

void FormWindow::showFields(const std::vector<int>& fields)
{
    const Record& r = form_->record();
    for (const auto& b : bindings_) {
        if (b.memo || std::find(fields.begin(), fields.end(), b.field) == fields.end())
            continue;
        if (b.lines) {
            static_cast<QPlainTextEdit*>(b.control)->setPlainText(
                QString::fromStdString(r.str(b.field)));
        } else if (auto* box = qobject_cast<QCheckBox*>(b.control)) {
            QSignalBlocker quiet(box);
            box->setChecked(ticked(r, b.field));
        } else if (auto* line = qobject_cast<QLineEdit*>(b.control)) {
            line->setText(QString::fromStdString(showField(r, b.field, b.picture)));
        }
    }
}

void FormWindow::showFields()
{
    const Record& r = form_->record();
    for (const auto& b : bindings_) {
        if (b.memo || b.lines) {
            auto* e = static_cast<QPlainTextEdit*>(b.control);
            e->setPlainText(QString::fromStdString(b.memo ? r.memo(b.field) : r.str(b.field)));
        } else if (auto* group = qobject_cast<QButtonGroup*>(b.control)) {
            QAbstractButton* on = group->button(static_cast<int>(r.num(b.field)));
            if (on) {
                on->setChecked(true);
            } else if (QAbstractButton* was = group->checkedButton()) {
                // A value no button stands for: none is checked.
                group->setExclusive(false);
                was->setChecked(false);
                group->setExclusive(true);
            }
        } else if (auto* box = qobject_cast<QCheckBox*>(b.control)) {
            QSignalBlocker quiet(box);
            box->setChecked(ticked(r, b.field));
        } else if (auto* spin = qobject_cast<QSpinBox*>(b.control)) {
            QSignalBlocker quiet(spin);
            spin->setValue(static_cast<int>(r.num(b.field)));
        } else if (auto* list = qobject_cast<QComboBox*>(b.control)) {
            QSignalBlocker quiet(list);
            list->setCurrentIndex(list->findText(QString::fromStdString(r.str(b.field))));
        } else {
            static_cast<QLineEdit*>(b.control)->setText(
                QString::fromStdString(showField(r, b.field, b.picture)));
        }
    }
    emit fieldsShown();
}

bool FormWindow::commitFields(bool quiet)
{
    Record& r = form_->record();
    for (const auto& b : bindings_) {
        if (b.memo) {
            r.setMemo(b.field,
                      static_cast<QPlainTextEdit*>(b.control)->toPlainText().toStdString());
            continue;
        }
        if (auto* spin = qobject_cast<QSpinBox*>(b.control)) {
            spin->interpretText(); // what is typed but not yet taken
            continue;
        }
        QWidget* edit = nullptr;
        std::string typed;
        if (b.lines) {
            auto* lines = static_cast<QPlainTextEdit*>(b.control);
            edit = lines;
            typed = lines->toPlainText().toStdString();
        } else if (auto* line = qobject_cast<QLineEdit*>(b.control)) {
            edit = line;
            typed = line->text().toStdString();
        } else {
            continue; // check boxes and radio buttons write as they are clicked
        }
        if (readField(r, b.field, b.picture, typed))
            continue;
        if (!quiet) {
            if (AnswerService* answers = form_->context().errors().answers())
                answers->message(
                    {"Ugyldig verdi: " + typed, "Feil", Icon::Exclamation, BUTTON_OK, BUTTON_OK});
            edit->setFocus();
            if (auto* line = qobject_cast<QLineEdit*>(edit))
                line->selectAll();
        }
        return false;
    }
    return true;
}

void FormWindow::start(Done done)
{
    done_ = std::move(done);
    form_->bind({[this] { focusFirst(); }, [this](int response) { ended(response); },
                 [this] { showFields(); }, [this](bool on) { setBusy(on); }});
    if (form_->init() != LEVEL_BENIGN) {
        // Ended without a window (a delete, or an insert whose number could not be taken).
        if (!ended_)
            ended(form_->response());
        return;
    }

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const FormSettings& s = form_->settings();
    if (s.hasOk) {
        ok_ = new QPushButton(QStringLiteral("OK"), this);
        ok_->setDefault(true);
        connect(ok_, &QPushButton::clicked, this, &FormWindow::okPressed);
        row->addWidget(ok_);
    }
    if (s.hasSave) {
        save_ = new QPushButton(QStringLiteral("Lagre"), this);
        connect(save_, &QPushButton::clicked, this, &FormWindow::savePressed);
        row->addWidget(save_);
    }
    cancel_ = new QPushButton(form_->readOnly() ? QStringLiteral("Lukk") : QStringLiteral("Avbryt"),
                              this);
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(cancel_);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);

    if (form_->readOnly()) {
        // Nothing typed can reach the record: every entry control only shows.
        for (auto* e : body_->findChildren<QLineEdit*>())
            e->setReadOnly(true);
        for (auto* e : body_->findChildren<QPlainTextEdit*>())
            e->setReadOnly(true);
        for (auto* e : body_->findChildren<QAbstractSpinBox*>())
            e->setReadOnly(true);
        for (auto* e : body_->findChildren<QComboBox*>())
            e->setEnabled(false);
        for (auto* b : body_->findChildren<QAbstractButton*>())
            if (b->isCheckable())
                b->setEnabled(false);
    }
    showFields();
    contextwindows::show(form_->context(), this);
    focusFirst();
}

void FormWindow::okPressed()
{
    if (!commitFields())
        return;
    form_->ok();
}

void FormWindow::savePressed()
{
    if (!commitFields())
        return;
    form_->saveAndStay();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (!ended_ && !form_->closed()) {
        // What the user typed counts as a change, even where it is no value yet.
        commitFields(true);
        form_->cancel();
    }
    if (ended_ || form_->closed())
        event->accept();
    else
        event->ignore();
}

void FormWindow::ended(int response)
{
    if (ended_)
        return;
    ended_ = true;
    setBusy(false);
    GlobalResponse = response;
    Done done = std::move(done_);
    const RowRef inserted = form_->insertedAt();
    if (isVisible())
        close();
    else
        deleteLater();
    if (done)
        done(response, inserted);
}

void FormWindow::setBusy(bool on)
{
    if (on == busy_)
        return;
    busy_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void FormWindow::focusFirst()
{
    if (first_ && isVisible())
        first_->setFocus();
}

} // namespace tavlo
