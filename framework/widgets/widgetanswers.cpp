#include "framework/widgets/widgetanswers.h"

#include "framework/widgets/picklist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <cstdlib>

#include "framework/date.h"
#include "framework/fontdesc.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lagfilter.h"
#include "framework/widgets/lookupkeys.h"

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
    // By the control that had focus, kept inside the program's frame.
    if (focus) {
        const QRect control(focus->mapToGlobal(QPoint(0, 0)), focus->size());
        dialog.move(
            lookupPosition(control, dialog.size(), lookupArea(focus), focus->fontMetrics()));
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

namespace {

QWidget* dialogParent()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->window() : QApplication::activeWindow();
}

// "Fakturalayout|*.FAK|Alle filer|*.*" as the desktop's dialogs write it.
QString nameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + parts[i + 1].split(';').join(' ') + ")";
    return out.join(";;");
}

QColor fromBgr(int32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int32_t toBgr(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace

bool WidgetAnswers::pickFile(FileChoice& choice)
{
    if (halted_)
        return false;
    const QString title = QString::fromStdString(choice.title);
    const QString start = QString::fromStdString(choice.path);
    QString chosen;
    switch (choice.kind) {
    case FileChoice::Folder:
        chosen = QFileDialog::getExistingDirectory(dialogParent(), title, start);
        break;
    case FileChoice::Save:
        chosen =
            QFileDialog::getSaveFileName(dialogParent(), title, start, nameFilters(choice.filter));
        break;
    case FileChoice::Open:
        chosen =
            QFileDialog::getOpenFileName(dialogParent(), title, start, nameFilters(choice.filter));
        break;
    }
    if (chosen.isEmpty())
        return false;
    choice.path = chosen.toStdString();
    return true;
}

bool WidgetAnswers::pickFont(std::string& font)
{
    if (halted_)
        return false;
    const FontDescription d = FontDescription::parse(font);
    QFont initial(QString::fromStdString(d.face.empty() ? "Arial" : d.face),
                  d.size > 0 ? d.size : 10);
    initial.setBold(d.weight() >= 700);
    initial.setItalic(d.italic());
    initial.setUnderline(d.underline());
    initial.setStrikeOut(d.strikeOut());
    bool ok = false;
    const QFont f =
        QFontDialog::getFont(&ok, initial, dialogParent(), QStringLiteral("Skrifttype"));
    if (!ok)
        return false;
    FontDescription out;
    out.face = f.family().toStdString();
    out.size = f.pointSize() > 0 ? f.pointSize() : 10;
    out.colour = d.colour; // the desktop's font dialog has no colour: it is kept
    out.style = (f.bold() ? 700 : 400) + (f.italic() ? FontDescription::kItalic : 0) +
                (f.underline() ? FontDescription::kUnderline : 0) +
                (f.strikeOut() ? FontDescription::kStrikeOut : 0);
    font = out.text();
    return true;
}

bool WidgetAnswers::pickColor(const std::string& title, int32_t& colour)
{
    if (halted_)
        return false;
    const QColor c = QColorDialog::getColor(colour >= 0 ? fromBgr(colour) : QColor(Qt::black),
                                            dialogParent(), QString::fromStdString(title));
    if (!c.isValid())
        return false;
    colour = toBgr(c);
    return true;
}

} // namespace tavlo
