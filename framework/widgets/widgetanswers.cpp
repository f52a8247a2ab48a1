#include "framework/widgets/widgetanswers.h"

#include <QScreen>

#include "framework/widgets/picklist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <cstdlib>

#include "framework/date.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lagfilter.h"

namespace tavlo {

namespace {

struct ButtonText {
    Button button;
    QMessageBox::StandardButton standard;
    const char* text;
};

// QMessageBox orders the buttons by their roles, as the desktop expects.
constexpr ButtonText kButtons[] = {
    {BUTTON_YES, QMessageBox::Yes, "Ja"},
    {BUTTON_NO, QMessageBox::No, "Nei"},
    {BUTTON_OK, QMessageBox::Ok, "OK"},
    {BUTTON_CANCEL, QMessageBox::Cancel, "Avbryt"},
    {BUTTON_ABORT, QMessageBox::Abort, "Avbryt"},
    {BUTTON_RETRY, QMessageBox::Retry, "Prøv igjen"},
    {BUTTON_IGNORE, QMessageBox::Ignore, "Ignorer"},
};

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Hand: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Esc must never mean "go on" or "try again": it takes the most cautious button there is.
unsigned escapeButton(unsigned buttons)
{
    for (unsigned b : {BUTTON_CANCEL, BUTTON_NO, BUTTON_OK, BUTTON_ABORT, BUTTON_IGNORE})
        if (buttons & b)
            return b;
    return 0;
}

} // namespace

unsigned WidgetAnswers::message(const Message& m)
{
    if (halted_)
        return m.defaultButton;

    // A message asked for no button at all still needs one to be closed with.
    const unsigned buttons = m.buttons ? m.buttons : unsigned(BUTTON_OK);
    QMessageBox box(boxIcon(m.icon), QString::fromStdString(m.caption),
                    QString::fromStdString(m.text).replace(QLatin1Char('|'), QLatin1Char('\n')),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);

    const unsigned escape = escapeButton(buttons);
    for (const ButtonText& b : kButtons) {
        if (!(buttons & b.button))
            continue;
        QAbstractButton* added = box.addButton(b.standard);
        added->setText(QString::fromUtf8(b.text));
        if (b.button == m.defaultButton)
            box.setDefaultButton(b.standard);
        if (b.button == escape)
            box.setEscapeButton(added);
    }

    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    for (const ButtonText& b : kButtons)
        if (clicked && clicked == box.button(b.standard))
            return b.button;
    // Closed without a button (the loop was ended under it): the cautious answer.
    return escape ? escape : m.defaultButton;
}

void WidgetAnswers::halt(const std::string& reason)
{
    halted_ = true;
    qCritical("Programmet avsluttes: %s", reason.c_str());
    if (QCoreApplication::instance() && QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(3);
        return;
    }
    std::exit(3);
}

int32_t WidgetAnswers::pickDate(int32_t initial)
{
    if (halted_)
        return initial;
    if (todayAtOnce())
        return date::today();
    QWidget* focus = QApplication::focusWidget();
    HentDatoDialog dialog(*this, initial, focus ? focus->window() : QApplication::activeWindow());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.placeNear(focus);
    dialog.exec();
    return dialog.date();
}

bool WidgetAnswers::pickFromList(ViewManager& view, const PickList& list)
{
    if (halted_)
        return false;
    QWidget* focus = QApplication::focusWidget();
    PickListDialog dialog(view, list, focus ? focus->window() : QApplication::activeWindow());
    dialog.setWindowModality(Qt::ApplicationModal);
    // Below the control that had focus, like the calendar, kept on the screen.
    if (const QScreen* screen = focus ? focus->screen() : nullptr) {
        const QRect frame(focus->mapToGlobal(QPoint(0, 0)), focus->size());
        dialog.move(hentDatoPosition(frame, dialog.size(), screen->availableGeometry()));
    }
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetAnswers::buildFilter(int tableNo, std::string& expression)
{
    if (halted_)
        return false;
    LagFilterDialog dialog(tableNo, expression, *this, QApplication::activeWindow());
    dialog.setWindowModality(Qt::ApplicationModal);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace tavlo
