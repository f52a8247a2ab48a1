// The window "Kunderapport" offscreen: its code lookups show their texts, bad input is said and
// nothing runs, a good selection opens the list in the preview and the window stays.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "customers/view/customers_view.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/tests/listevindu.h"

using namespace tavlo;

namespace {

class KunderapportVindu : public tavlo::testing::ListevinduTest {
  protected:
    void SetUp() override
    {
        ListevinduTest::SetUp();
        addCode(*ctx, 103, 2, "Storkunder");
        addCustomer(*ctx, "Kari Ødegård", 1, 1);
        apne(desktop::AVGRENSNINGERKUNDERAPPORT);
    }
};

} // namespace

TEST_F(KunderapportVindu, TheListOpensInThePreviewAndTheWindowStays)
{
    ASSERT_EQ(w->objectName(), "AVGRENSNINGERKUNDERAPPORT");
    EXPECT_EQ(w->windowTitle(), "Kunderapport");
    EXPECT_TRUE(child<QRadioButton>("sortering1")->isChecked());
    EXPECT_EQ(child<QRadioButton>("sortering6")->text(), "&Betalingsbetingelse");
    type(child("kundegruppe"), "2");
    EXPECT_EQ(child<QLabel>("kundegruppetekst")->text(), "Storkunder");
    type(child("kundegruppe"), "");
    child<QCheckBox>("kontaktpersoner")->setChecked(true);
    type(child("frafakturadato"), "01.01.2020");

    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    PrintPreviewClass* p = preview();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pageCount(), 1);
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_TRUE(contextwindows::windows(*ctx).contains(w));
    EXPECT_TRUE(child<QPushButton>("PRINTBUTTON")->isEnabledTo(w));
}

TEST_F(KunderapportVindu, ABadFilterOrDateIsSaidAndNothingRuns)
{
    type(child("filter"), "KUN:KundeId = 3) OR (1");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text,
              "Filteret inneholder feil og kan ikke brukes:|(1) AND (KUN:KundeId = 3) OR (1)");
    type(child("filter"), "");
    type(child("tilbetaltdato"), "32.13.2026");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Ugyldig dato: 32.13.2026 (skriv 31.12.2026)");
    EXPECT_EQ(child("tilbetaltdato")->text(), "32.13.2026"); // kept to be mended
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);
}
