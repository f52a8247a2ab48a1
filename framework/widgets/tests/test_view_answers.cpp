// The calendar's rules, its window, and the desktop's answer service, on the offscreen platform.
// A modal box or dialog is driven from a timer that finds it once it is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "data/context.h"
#include "data/lookups.h"
#include "data/tests/fixture.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/picklist.h"
#include "framework/widgets/tests/modal.h"
#include "framework/widgets/widgetanswers.h"

using namespace tavlo;
using tavlo::testing::whenModal;

namespace {

const int32_t k15March2004 = date::fromYmd(2004, 3, 15);

int cellOf(const Calendar& c, int day)
{
    const Calendar::Grid g = c.grid();
    return int(std::find(g.begin(), g.end(), day) - g.begin());
}

// The modifier state is that of the last key event: a plain key clears a Ctrl left behind.
void releaseModifiers()
{
    QWidget w;
    QTest::keyClick(&w, Qt::Key_Shift);
}

} // namespace

TEST(Calendar, MonthLengthsAndWeeksRunningMondayFirst)
{
    ScriptedAnswers answers;
    // 1900 is the one year in range where "every fourth year" would be wrong.
    for (auto [year, days] :
         {std::pair(2000, 29), std::pair(2001, 28), std::pair(2096, 29), std::pair(1900, 28)}) {
        Calendar feb(answers, date::fromYmd(year, 2, 10));
        const int last = cellOf(feb, days);
        EXPECT_EQ(feb.choose(last), date::fromYmd(year, 2, days)) << year;
        EXPECT_EQ(feb.grid()[last + 1], 0) << year;
    }
    // 1 March 2009 was a Sunday: day 1 in the seventh column, the 31st in the sixth row.
    Calendar cal(answers, date::fromYmd(2009, 3, 5));
    EXPECT_EQ(cal.grid()[5], 0);
    EXPECT_EQ(cal.grid()[6], 1);
    EXPECT_EQ(cal.grid()[36], 31);
    EXPECT_EQ(date::weekday(cal.choose(6)), 0);
    cal.setMonth(11); // also a Sunday; 30 days still reach the sixth row
    EXPECT_EQ(cal.grid()[35], 30);
    cal.setMonth(6); // a Monday: first cell, sixth row blank
    EXPECT_EQ(cal.grid()[0], 1);
    EXPECT_EQ(cal.grid()[30], 0);
    EXPECT_TRUE(answers.shown.empty());
}

TEST(Calendar, YearHeldBetween1801And2099WithAMessage)
{
    ScriptedAnswers answers;
    const std::string before = "Du kan ikke bruke kalenderen på datoer før 1801";
    const std::string after = "Du kan ikke bruke kalenderen på datoer etter 2099";
    const auto said = [&] { return answers.shown.empty() ? "" : answers.shown.back().text; };

    Calendar cal(answers, date::fromYmd(1801, 1, 20));
    cal.previousYear();
    EXPECT_EQ(cal.year(), 1801);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(said(), before);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    // Stepping back from January 1801 stays there, rather than jump to December of the held year.
    cal.previousMonth();
    EXPECT_EQ(std::pair(cal.month(), cal.year()), std::pair(1, 1801));
    cal.setYear(2100);
    EXPECT_EQ(cal.year(), 2099);
    EXPECT_EQ(said(), after);
    cal.setMonth(12);
    cal.nextMonth();
    EXPECT_EQ(std::pair(cal.month(), cal.year()), std::pair(12, 2099));
    cal.setYear(1801);
    EXPECT_EQ(answers.shown.size(), 4u); // nothing said inside the limits

    // 29.12.1800 is a day number, but opens the first month the calendar can show.
    Calendar early(answers, 1);
    EXPECT_EQ(std::pair(early.month(), early.year()), std::pair(1, 1801));
    EXPECT_EQ(said(), before);
    EXPECT_EQ(early.cancel(), 1);
}

TEST(Calendar, MonthsWrapAndTheHighlightFollowsTheIncomingMonth)
{
    ScriptedAnswers answers;
    Calendar cal(answers, k15March2004);
    EXPECT_EQ(cal.highlighted(), 14); // 1 March 2004 was a Monday
    cal.setMonth(13);
    EXPECT_EQ(std::pair(cal.month(), cal.year()), std::pair(1, 2005));
    EXPECT_EQ(cal.highlighted(), -1);
    cal.previousMonth();
    EXPECT_EQ(std::pair(cal.month(), cal.year()), std::pair(12, 2004));
    cal.nextMonth();
    cal.setMonth(0);
    EXPECT_EQ(std::pair(cal.month(), cal.year()), std::pair(12, 2004));
    cal.setMonth(3);
    cal.nextYear();
    EXPECT_EQ(cal.highlighted(), -1); // March, but of 2005
    EXPECT_EQ(cal.choose(cellOf(cal, 20)), date::fromYmd(2005, 3, 20));
    EXPECT_EQ(cal.choose(36), date::kNone); // blank
    EXPECT_EQ(cal.choose(Calendar::kCells), date::kNone);
    EXPECT_EQ(cal.cancel(), k15March2004);
    EXPECT_TRUE(answers.shown.empty());
}

TEST(Calendar, NoDateOpensOnTodayAndCancelsToNoDate)
{
    ScriptedAnswers answers;
    Calendar fixed(answers, date::kNone, date::fromYmd(2024, 5, 17));
    EXPECT_EQ(std::pair(fixed.month(), fixed.year()), std::pair(5, 2024));
    EXPECT_EQ(fixed.grid()[fixed.highlighted()], 17);
    EXPECT_EQ(fixed.cancel(), date::kNone);
    Calendar now(answers, date::kNone);
    EXPECT_EQ(now.month(), date::toYmd(date::today()).month);
}

TEST(HentDato, ShowsTheMonthAndAClickedDayIsReturned)
{
    ScriptedAnswers answers;
    HentDatoDialog dialog(answers, k15March2004);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Velg dato");
    EXPECT_EQ(dialog.monthBox()->currentText(), "Mars");
    EXPECT_EQ(dialog.yearBox()->value(), 2004);
    EXPECT_EQ(dialog.dayButton(30)->text(), "31");
    EXPECT_TRUE(dialog.dayButton(14)->isChecked());
    EXPECT_FALSE(dialog.dayButton(13)->isChecked());

    QTest::mouseClick(dialog.dayButton(36), Qt::LeftButton); // blank: nothing happens
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseClick(dialog.dayButton(19), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.date(), date::fromYmd(2004, 3, 20));
}

TEST(HentDato, FebruaryShowsItsLeapDayOnlyInLeapYears)
{
    ScriptedAnswers answers;
    for (auto [year, days] : {std::pair(2000, 29), std::pair(2001, 28), std::pair(2096, 29)}) {
        HentDatoDialog dialog(answers, date::fromYmd(year, 2, 10));
        dialog.show();
        EXPECT_EQ(dialog.monthBox()->currentText(), "Februar");
        const int last = cellOf(dialog.calendar(), days);
        EXPECT_EQ(dialog.dayButton(last)->text(), QString::number(days)) << year;
        EXPECT_TRUE(dialog.dayButton(last + 1)->text().isEmpty()) << year;
        QTest::mouseClick(dialog.dayButton(last), Qt::LeftButton);
        EXPECT_EQ(dialog.date(), date::fromYmd(year, 2, days)) << year;
    }
}

TEST(HentDato, EscAndTheRightButtonLeaveWithTheIncomingDate)
{
    ScriptedAnswers answers;
    HentDatoDialog esc(answers, k15March2004);
    esc.show();
    QTest::keyClick(esc.dayButton(3), Qt::Key_Right); // another month shown, nothing chosen
    QTest::keyClick(esc.dayButton(3), Qt::Key_Escape);
    EXPECT_EQ(esc.result(), QDialog::Rejected);
    EXPECT_EQ(esc.date(), k15March2004);

    for (int target = 0; target < 3; ++target) {
        HentDatoDialog dialog(answers, date::kNone);
        dialog.show();
        QWidget* on[] = {dialog.dayButton(10), dialog.yearBox(), &dialog};
        QTest::mouseClick(on[target], Qt::RightButton);
        EXPECT_FALSE(dialog.isVisible()) << target;
        EXPECT_EQ(dialog.date(), date::kNone);
    }
}

TEST(HentDato, KeysMoveMonthAndYearWhereverTheFocusIs)
{
    ScriptedAnswers answers;
    HentDatoDialog dialog(answers, k15March2004);
    dialog.show();
    const auto shown = [&] {
        return std::pair(dialog.monthBox()->currentIndex() + 1, dialog.yearBox()->value());
    };
    QTest::keyClick(dialog.monthBox(), Qt::Key_PageUp);
    EXPECT_EQ(shown(), std::pair(3, 2003));
    QTest::keyClick(dialog.yearBox(), Qt::Key_PageDown);
    QTest::keyClick(dialog.yearBox(), Qt::Key_PageDown);
    QTest::keyClick(dialog.monthBox(), Qt::Key_Up);
    QTest::keyClick(dialog.dayButton(2), Qt::Key_Left);
    QTest::keyClick(dialog.yearBox(), Qt::Key_Left);
    EXPECT_EQ(shown(), std::pair(12, 2004));
    QTest::keyClick(&dialog, Qt::Key_Down);
    QTest::keyClick(dialog.dayButton(0), Qt::Key_Right);
    EXPECT_EQ(shown(), std::pair(2, 2005));
    EXPECT_EQ(dialog.dayButton(1)->text(), "1"); // a Tuesday
    EXPECT_EQ(dialog.dayButton(29)->text(), ""); // 28 days

    // The month list and the spin box redraw as well; a year past the limit is held.
    dialog.monthBox()->setCurrentIndex(2);
    dialog.yearBox()->setValue(2004);
    EXPECT_TRUE(dialog.dayButton(14)->isChecked());
    dialog.yearBox()->setValue(2150);
    EXPECT_EQ(shown(), std::pair(3, 2099));
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Du kan ikke bruke kalenderen på datoer etter 2099");
}

TEST(HentDato, PlacedBelowItsFieldAndKeptOnScreen)
{
    const QRect screen(0, 0, 1920, 1080), second(1920, 0, 1280, 1024);
    const QSize size(260, 240);
    EXPECT_EQ(hentDatoPosition({400, 300, 100, 24}, size, screen), QPoint(402, 324));
    // Right edge of a maximised window: shifted left; bottom edge: moved up.
    EXPECT_EQ(hentDatoPosition({1830, 300, 90, 24}, size, screen), QPoint(1660, 324));
    EXPECT_EQ(hentDatoPosition({400, 1040, 100, 24}, size, screen), QPoint(402, 840));
    EXPECT_EQ(hentDatoPosition({3150, 1000, 50, 24}, size, second), QPoint(2940, 784));
}

TEST(HentDato, OpensThroughTheAnswerServiceAndCtrlGivesTodayAtOnce)
{
    WidgetAnswers answers;
    TLFI::errorManager().setAnswers(&answers);
    releaseModifiers();
    QWidget window;
    auto* field = new QLineEdit(&window);
    field->setGeometry(50, 60, 120, 24);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();

    QPoint placed;
    whenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<HentDatoDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        placed = dialog->pos();
        QTest::keyClick(dialog, Qt::Key_PageDown);
        QTest::mouseClick(dialog->dayButton(cellOf(dialog->calendar(), 7)), Qt::LeftButton);
    });
    EXPECT_EQ(HENTDATO(k15March2004), date::fromYmd(2005, 3, 7));
    EXPECT_EQ(placed, field->mapToGlobal(QPoint(2, field->height())));

    // The field's lookup key, as a date field would bind it.
    struct LookupKey : QObject {
        int32_t got = -1;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F4)
                return false;
            got = HENTDATO(k15March2004);
            return true;
        }
    } lookup;
    field->installEventFilter(&lookup);
    bool opened = false;
    QTimer watch; // a calendar that opens anyway is closed, and noted
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget())
            opened = w->close();
    });
    watch.start(10);
    QTest::keyClick(field, Qt::Key_F4, Qt::ControlModifier);
    watch.stop();
    EXPECT_EQ(lookup.got, date::today());
    EXPECT_FALSE(opened);

    releaseModifiers();
    whenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    QTest::keyClick(field, Qt::Key_F4);
    EXPECT_EQ(lookup.got, k15March2004);
    TLFI::errorManager().setAnswers(nullptr);
}

namespace {

// Shows the message; `act` answers the box once its buttons are noted (sorted texts, then the
// default's and the escape's).
unsigned ask(WidgetAnswers& answers, const Message& m, QStringList& seen,
             std::function<void(QMessageBox*)> act)
{
    whenModal([&seen, act](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons())
            seen << b->text();
        seen.sort();
        seen << (box->defaultButton() ? box->defaultButton()->text() : "-")
             << (box->escapeButton() ? box->escapeButton()->text() : "-");
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        act(box);
    });
    return answers.message(m);
}

void pressEnter(QMessageBox* box)
{
    QTest::keyClick(box, Qt::Key_Return);
}
void pressEscape(QMessageBox* box)
{
    QTest::keyClick(box, Qt::Key_Escape);
}

} // namespace

class PickListTest : public tavlo::testing::DataFolderTest {};

TEST_F(PickListTest, ChosenWithKeysOrTheLocatorAndLeftWithAvbryt)
{
    WidgetAnswers widgets;
    ErrorClass errorsWithWidgets(&widgets);
    Context ctx(&errorsWithWidgets);
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    for (int nr = 1; nr <= 30; ++nr) {
        kod.rec().clear();
        kod.rec().set(KOD::GRUPPE, 101);
        kod.rec().set(KOD::NR, nr * 100);
        kod.rec().set(KOD::TEKST, "Sted " + std::to_string(nr));
        ASSERT_EQ(kod.INSERT(), LEVEL_BENIGN);
    }
    kod.CLOSE();

    // Starts on the current code; Down moves on, past the page too; Enter chooses.
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<PickListDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Velg kode");
        EXPECT_LE(d->model().rowCount(), PagedTableModel::kDefaultPageSize);
        for (int i = 0; i < 25; ++i)
            QTest::keyClick(d->table(), Qt::Key_Down);
        QTest::keyClick(d->table(), Qt::Key_Return);
    });
    EXPECT_EQ(HENTKODA(ctx, 101, 200), 2700);

    whenModal([](QWidget* w) {
        auto* d = qobject_cast<PickListDialog*>(w);
        ASSERT_NE(d, nullptr);
        QTest::keyClicks(d->locator(), "1450"); // the first code at or after it
        QTest::keyClick(d->table(), Qt::Key_Return);
    });
    EXPECT_EQ(HENTKODA(ctx, 101, 0), 1500);

    whenModal([](QWidget* w) {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == "Avbryt")
                b->click();
    });
    EXPECT_EQ(HENTKODA(ctx, 101, 300), 300);
}

TEST(WidgetAnswers, NorwegianButtonsTheGivenDefaultAndLineBreaks)
{
    WidgetAnswers answers;
    QStringList seen;
    QString body;
    QMessageBox::Icon icon{};
    const Message question{"Vil du lagre endringer i denne posten?|Ellers går de tapt.", "Advarsel",
                           Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO};
    EXPECT_EQ(ask(answers, question, seen,
                  [&](QMessageBox* b) {
                      body = b->text();
                      icon = b->icon();
                      pressEnter(b);
                  }),
              unsigned(BUTTON_NO));
    EXPECT_EQ(seen, QStringList({"Ja", "Nei", "Nei", "Nei"}));
    EXPECT_EQ(body, "Vil du lagre endringer i denne posten?\nEllers går de tapt.");
    EXPECT_EQ(icon, QMessageBox::Question);

    Message yes = question;
    yes.defaultButton = BUTTON_YES;
    seen.clear();
    EXPECT_EQ(ask(answers, yes, seen, pressEnter), unsigned(BUTTON_YES));
    EXPECT_EQ(seen.at(2), "Ja");
    seen.clear();
    EXPECT_EQ(ask(answers, yes, seen, [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }),
              unsigned(BUTTON_NO));
}

TEST(WidgetAnswers, EscapeTakesTheMostCautiousButton)
{
    WidgetAnswers answers;
    const unsigned ari = BUTTON_ABORT | BUTTON_RETRY | BUTTON_IGNORE;
    struct Case {
        unsigned buttons, escape;
        QStringList seen;
    } cases[] = {
        {BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_CANCEL, {"Avbryt", "Ja", "Nei"}},
        {BUTTON_OK | BUTTON_CANCEL, BUTTON_CANCEL, {"Avbryt", "OK"}},
        {BUTTON_OK, BUTTON_OK, {"OK"}},
        {ari, BUTTON_ABORT, {"Avbryt", "Ignorer", "Prøv igjen"}},
    };
    for (const Case& c : cases) {
        QStringList seen;
        EXPECT_EQ(
            ask(answers, {"Tekst", "Feil", Icon::Hand, c.buttons, BUTTON_OK}, seen, pressEscape),
            c.escape);
        EXPECT_EQ(seen.mid(0, c.seen.size()), c.seen);
    }
    QStringList seen;
    EXPECT_EQ(ask(answers, {"Tekst", "Feil", Icon::None, ari, BUTTON_RETRY}, seen, pressEnter),
              unsigned(BUTTON_RETRY));
}

TEST(WidgetAnswers, HaltEndsTheRunningEventLoopWith3AndShowsNothingMore)
{
    WidgetAnswers answers;
    int32_t picked = -1;
    unsigned pressed = 0;
    QTimer::singleShot(0, [&] {
        answers.halt("test");
        pressed = answers.message({"Mer", "Feil", Icon::Hand, BUTTON_YES | BUTTON_NO, BUTTON_NO});
        picked = answers.pickDate(k15March2004);
    });
    EXPECT_EQ(QApplication::exec(), 3);
    EXPECT_EQ(pressed, unsigned(BUTTON_NO));
    EXPECT_EQ(picked, k15March2004);
}

TEST(WidgetAnswersDeathTest, HaltBeforeTheEventLoopEndsTheProcessWith3)
{
    WidgetAnswers answers;
    EXPECT_EXIT(answers.halt("test"), ::testing::ExitedWithCode(3), "");
}
