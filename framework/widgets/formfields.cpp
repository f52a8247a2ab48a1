#include "framework/widgets/formfields.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

QLineEdit* entry(QWidget* parent, const char* name, int chars, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('M')) * chars);
    if (maxLength)
        e->setMaxLength(maxLength);
    return e;
}

QLineEdit* numberEntry(QWidget* parent, const char* name, int chars)
{
    auto* e = entry(parent, name, chars);
    e->setMaximumWidth(e->minimumWidth());
    e->setAlignment(Qt::AlignRight);
    return e;
}

void addRow(QFormLayout* form, const char* label, QWidget* field, QLayout* row)
{
    auto* l = new QLabel(QString::fromUtf8(label), field->parentWidget());
    l->setBuddy(field);
    if (row)
        form->addRow(l, row);
    else
        form->addRow(l, field);
}

QWidget* memoPage(FormWindow* w, const char* name, int memo)
{
    auto* page = new QWidget;
    auto* edit = new QPlainTextEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setTabChangesFocus(true);
    w->bindMemo(edit, memo);
    (new QVBoxLayout(page))->addWidget(edit);
    return page;
}

void onAccepted(FormWindow* w, QLineEdit* e, std::function<void()> rule)
{
    // The binding has taken the value by now; the rules tell a new value from the last seen.
    QObject::connect(e, &QLineEdit::editingFinished, w, [w, rule] {
        if (!w->commitFields())
            return;
        rule();
        w->showFields();
        emit w->fieldsShown();
    });
}

void onLookup(FormWindow* w, QWidget* c, const WindowManager& rules, std::function<void()> pick)
{
    if (rules.readOnly())
        return;
    installLookup(c, [w, pick] {
        if (!w->commitFields())
            return;
        pick();
        w->showFields();
        emit w->fieldsShown();
    });
}

QLabel* textOf(FormWindow* w, const char* name, std::function<std::string()> text)
{
    auto* label = new QLabel(w);
    label->setObjectName(QString::fromLatin1(name));
    QObject::connect(w, &FormWindow::fieldsShown, label,
                     [label, text] { label->setText(QString::fromStdString(text())); });
    return label;
}

} // namespace tavlo
