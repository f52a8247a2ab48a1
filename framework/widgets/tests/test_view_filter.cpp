// The filter builder window and the saved-filter pick list, driven through their controls on the
// offscreen platform.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "data/filterproc.h"
#include "data/tests/fixture.h"
#include "framework/widgets/lagfilter.h"
#include "framework/widgets/picklist.h"
#include "framework/widgets/tests/modal.h"
#include "framework/widgets/widgetanswers.h"

using namespace tavlo;
using tavlo::testing::whenModal;

namespace {

// A control of the window by its exact text: finding it checks the text as well.
template <class T> T* control(QWidget* window, const QString& text)
{
    for (T* c : window->findChildren<T*>())
        if (c->text() == text)
            return c;
    ADD_FAILURE() << "no control " << text.toStdString();
    return nullptr;
}

void click(QWidget* window, const QString& text)
{
    if (auto* b = control<QAbstractButton>(window, text))
        QTest::mouseClick(b, Qt::LeftButton);
}

bool checked(QWidget* window, const QString& text)
{
    auto* b = control<QRadioButton>(window, text);
    return b && b->isChecked();
}

QTreeWidgetItem* itemOf(LagFilterDialog& d, const QString& name)
{
    const auto found = d.fieldList()->findItems(name, Qt::MatchExactly, 1);
    return found.isEmpty() ? nullptr : found.front();
}

void select(LagFilterDialog& d, const QString& name)
{
    QTreeWidgetItem* item = itemOf(d, name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    d.fieldList()->setCurrentItem(item);
}

// What the list hands a drag of the field.
std::unique_ptr<QMimeData> dragOf(LagFilterDialog& d, const QString& name)
{
    QTreeWidget* list = d.fieldList();
    const QModelIndex index = list->indexFromItem(itemOf(d, name));
    return std::unique_ptr<QMimeData>(list->model()->mimeData({index}));
}

// Drags in and drops; true when the target took the drop.
bool drop(QWidget* target, const QMimeData* data)
{
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

} // namespace

TEST(LagFilter, BuildsConditionsJoinedWithTheButtons)
{
    ScriptedAnswers answers;
    std::string expression;
    LagFilterDialog d(1, expression, answers);
    d.show();
    EXPECT_EQ(d.windowTitle(), "Lag filter");
    EXPECT_TRUE(checked(&d, "="));

    select(d, "KUN:PostNr");
    click(&d, "Sett inn felt");
    EXPECT_EQ(d.fieldEdit()->text(), "KUN:PostNr");
    EXPECT_TRUE(checked(&d, "&Heltall"));
    click(&d, ">=");
    QTest::keyClicks(d.valueEdit(), "5000");
    click(&d, "Sett inn uttrykk");
    // The condition is in; the parts start afresh.
    EXPECT_EQ(d.fieldEdit()->text(), "");
    EXPECT_EQ(d.valueEdit()->text(), "");
    EXPECT_TRUE(checked(&d, "="));
    EXPECT_FALSE(checked(&d, "&Heltall"));
    click(&d, "OR");

    select(d, "KUN:PostNr");
    QTest::keyClick(d.fieldList(), Qt::Key_Return); // Enter chooses as the button does
    EXPECT_EQ(d.fieldEdit()->text(), "KUN:PostNr");
    click(&d, "<");
    QTest::keyClicks(d.valueEdit(), "1.000");
    click(&d, "Sett inn uttrykk");
    EXPECT_EQ(expression, "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)");
    EXPECT_EQ(d.expressionEdit()->toPlainText().toStdString(), expression);

    // "Sett in felt" appends the name bare; a hand-typed tail goes into the expression too.
    click(&d, "AND");
    select(d, "KUN:Navn");
    click(&d, "Sett in felt");
    QTest::keyClicks(d.expressionEdit(), " = 'Ola'");
    EXPECT_EQ(expression, "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000) AND KUN:Navn = 'Ola'");
    EXPECT_TRUE(answers.shown.empty());
    click(&d, "Slett filter");
    EXPECT_EQ(expression, "");
    EXPECT_EQ(d.expressionEdit()->toPlainText(), "");
}

TEST(LagFilter, FieldsDroppedOnFeltOrOnTheExpression)
{
    ScriptedAnswers answers;
    std::string expression = "(KUN:PostNr = 1) AND ";
    LagFilterDialog d(1, expression, answers);
    d.show();
    const auto data = dragOf(d, "KUN:Navn");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{LagFilterDialog::kFieldMimeType});

    ASSERT_TRUE(drop(d.fieldEdit(), data.get()));
    EXPECT_EQ(d.fieldEdit()->text(), "KUN:Navn");
    EXPECT_TRUE(checked(&d, "&Tekst"));
    ASSERT_TRUE(drop(d.expressionEdit()->viewport(), data.get()));
    EXPECT_EQ(expression, "(KUN:PostNr = 1) AND KUN:Navn");
    EXPECT_EQ(d.expressionEdit()->toPlainText().toStdString(), expression);

    // Plain text is not a field: "Felt" does not take it for one.
    QMimeData plain;
    plain.setText("KUN:PostNr");
    drop(d.fieldEdit(), &plain);
    EXPECT_TRUE(checked(&d, "&Tekst"));
}

TEST(LagFilter, MissingFieldOrValueIsWarnedAndNothingIsAppended)
{
    ScriptedAnswers answers;
    std::string expression = "(KUN:PostNr = 1)";
    LagFilterDialog d(1, expression, answers);
    d.show();
    QTest::keyClicks(d.valueEdit(), "7");
    click(&d, "Sett inn uttrykk");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Felt mangler");
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");

    QTest::keyClicks(d.fieldEdit(), "KUN:KundeId"); // typed by hand
    d.valueEdit()->clear();
    click(&d, "Sett inn uttrykk");
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Verdi mangler");
    EXPECT_EQ(expression, "(KUN:PostNr = 1)");
    EXPECT_EQ(d.fieldEdit()->text(), "KUN:KundeId"); // kept for another try
}

TEST(LagFilter, DatesAndTimesGoInAsTheirNumbers)
{
    ScriptedAnswers answers;
    std::string expression;
    LagFilterDialog d(1, expression, answers);
    d.show();
    select(d, "KUN:RegistreringsDato");
    click(&d, "Sett inn felt");
    EXPECT_TRUE(checked(&d, "&Dato"));
    QTest::keyClicks(d.valueEdit(), "31.12.2004");
    QTest::keyClick(d.valueEdit(), Qt::Key_Return);
    EXPECT_EQ(d.valueEdit()->text(), "31.12.2004"); // shown as a date, held as its number
    click(&d, "Sett inn uttrykk");
    EXPECT_EQ(expression, "(KUN:RegistreringsDato = 74513)"); // days since 28.12.1800

    // A date that does not exist goes nowhere.
    click(&d, "Slett filter");
    click(&d, "Sett inn felt");
    QTest::keyClicks(d.valueEdit(), "30.02.2004");
    click(&d, "Sett inn uttrykk");
    EXPECT_EQ(expression, "");
    EXPECT_TRUE(answers.shown.empty());

    // The type changed by hand changes the format.
    d.valueEdit()->clear();
    click(&d, "&Tid");
    QTest::keyClicks(d.valueEdit(), "8:30");
    click(&d, "Sett inn uttrykk");
    EXPECT_EQ(expression,
              "(KUN:RegistreringsDato = " + std::to_string(8 * 360000 + 30 * 6000) + ")");
}

class FilterWindowTest : public tavlo::testing::DataFolderTest {
  protected:
    void addFilter(int table, int no, const std::string& name, const std::string& description)
    {
        DataFolderTest::addFilter(ctx, table, no, name,
                                  "(KUN:KundeId = " + std::to_string(no) + ")", description);
    }

    WidgetAnswers widgets;
    ErrorClass errorsWithWidgets{&widgets};
    Context ctx{&errorsWithWidgets};
};

TEST_F(FilterWindowTest, LagFilterHandsTheExpressionOverOnlyWithOk)
{
    GLO::FILTER = "(KUN:PostNr = 1)";
    std::string filter = "gammel";
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<LagFilterDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->expressionEdit()->toPlainText(), "(KUN:PostNr = 1)");
        click(d, "OR");
        click(d, "OK");
    });
    EXPECT_EQ(LAGFILTER(ctx, 1, filter), 1);
    EXPECT_EQ(filter, "(KUN:PostNr = 1) OR ");

    whenModal([](QWidget* w) {
        click(w, "Slett filter");
        click(w, "Avslutt");
    });
    EXPECT_EQ(LAGFILTER(ctx, 1, filter), 0);
    EXPECT_EQ(filter, "(KUN:PostNr = 1) OR ");
    EXPECT_EQ(GLO::FILTER, ""); // the builder opens on it next time
    whenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(LAGFILTER(ctx, 1, filter), 0);
    EXPECT_EQ(filter, "(KUN:PostNr = 1) OR ");
}

TEST_F(FilterWindowTest, HentFilterShowsTheHighlightedDescriptionAndGivesTheNumber)
{
    addFilter(1, 3, "Vestlandet", "Kunder i vest");
    addFilter(1, 1, "Oslo", "Kunder i Oslo");
    addFilter(1, 12, "Alle", "Alle kunder|uten unntak");
    addFilter(2, 2, "Lager", "Produkter med lager");
    QStringList seen;
    whenModal([&seen](QWidget* w) {
        auto* d = qobject_cast<PickListDialog*>(w);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->detail(), nullptr);
        EXPECT_EQ(d->model().rowCount(), 3);
        EXPECT_TRUE(d->table()->isColumnHidden(2));
        seen << d->detail()->toPlainText();
        QTest::keyClick(d->table(), Qt::Key_Down);
        seen << d->detail()->toPlainText();
        click(d, "Alfabetisk sortering");
        seen << d->detail()->toPlainText();
        QTest::keyClick(d->table(), Qt::Key_Down);
        seen << d->detail()->toPlainText();
        QTest::keyClick(d->table(), Qt::Key_Return);
    });
    std::string filter, description;
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 1);
    EXPECT_EQ(seen, QStringList({"Kunder i Oslo", "Kunder i vest", "Alle kunder|uten unntak",
                                 "Kunder i Oslo"}));
    EXPECT_EQ(filter, "(KUN:KundeId = 1)");
    EXPECT_EQ(description, "Kunder i Oslo");

    filter = description = "gammel";
    whenModal([](QWidget* w) { click(w, "Avbryt"); });
    EXPECT_EQ(HENTFILTER(ctx, 1, filter, description), 0);
    EXPECT_EQ(filter + description, "gammelgammel");
}
