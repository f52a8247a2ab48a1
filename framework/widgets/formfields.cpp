#include "framework/widgets/formfields.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/context.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

QLineEdit* filnavnrad(Context& ctx, QWidget* w, QHBoxLayout* row, const std::string& start,
                      std::string filter, QPushButton** browse)
{
    auto* file = new QLineEdit(QString::fromStdString(start), w);
    file->setObjectName(QStringLiteral("filnavn"));
    file->setMinimumWidth(file->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
    auto* label = new QLabel(QStringLiteral("&Filnavn:"), w);
    label->setBuddy(file);
    auto* b = new QPushButton(QStringLiteral("..."), w);
    b->setObjectName(QStringLiteral("velgFil"));
    b->setToolTip(QStringLiteral("Velg fil"));
    b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("MMM")));
    Context* c = &ctx;
    QObject::connect(b, &QPushButton::clicked, w, [c, file, filter = std::move(filter)] {
        AnswerService* answers = c->errors().answers();
        FileChoice choice{"Choose a File", filter, file->text().toStdString(), FileChoice::Open};
        if (answers && answers->pickFile(choice))
            file->setText(QString::fromStdString(choice.path));
    });
    row->addWidget(label);
    row->addWidget(file, 1);
    row->addWidget(b);
    if (browse)
        *browse = b;
    return file;
}

QLabel* antallrad(QWidget* w, QHBoxLayout* row, const char* caption)
{
    auto* counter = new QLabel(QStringLiteral("0"), w);
    counter->setObjectName(QStringLiteral("antall"));
    counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    row->addWidget(new QLabel(QString::fromUtf8(caption), w));
    row->addWidget(counter);
    row->addStretch(1);
    return counter;
}

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
