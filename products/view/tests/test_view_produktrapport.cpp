// The window "Produktrapport" offscreen: the group's text beside its code, the limits reach the
// list, a bad filter is said and nothing runs, and the window stays after a run.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/tests/listevindu.h"
#include "products/view/products_view.h"

using namespace tavlo;

namespace {

class ProduktrapportVindu : public tavlo::testing::ListevinduTest {
  protected:
    void SetUp() override
    {
        ListevinduTest::SetUp();
        addCode(*ctx, 102, 3, "Jernvare");
        addProduct(*ctx, "Øks", [](Record& r) {
            r.set(PRO::PRODUKTGRUPPE, 3);
            r.set(PRO::MVAPLIKTIG, 1);
        });
        apne(desktop::AVGRENSNINGERPRODUKTRAPPORT);
    }
};

} // namespace

TEST_F(ProduktrapportVindu, TheLimitsReachTheListAndTheWindowStays)
{
    ASSERT_EQ(w->objectName(), "AVGRENSNINGERPRODUKTRAPPORT");
    EXPECT_EQ(w->windowTitle(), "Produktrapport");
    EXPECT_TRUE(child<QRadioButton>("sortering1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("mva0")->isChecked());
    type(child("produktgruppe"), "3");
    EXPECT_EQ(child<QLabel>("produktgruppetekst")->text(), "Jernvare");

    // Only products not VAT-liable: none, so "Ingen poster" and no preview.
    child<QRadioButton>("mva2")->click();
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    for (int i = 0; i < 100 && answers.shown.empty(); ++i)
        QTest::qWait(5);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det er ingen poster tilgjenngelig for prosessering.");

    child<QRadioButton>("mva1")->click();
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    PrintPreviewClass* p = preview();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pageCount(), 1);
    EXPECT_EQ(answers.shown.size(), 1u);
    EXPECT_TRUE(contextwindows::windows(*ctx).contains(w));
    EXPECT_TRUE(child<QPushButton>("PRINTBUTTON")->isEnabledTo(w));
}

TEST_F(ProduktrapportVindu, ABadFilterOrGroupIsSaidAndNothingRuns)
{
    type(child("filter"), "PRO:ProduktId = 3) OR (1");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text,
              "Filteret inneholder feil og kan ikke brukes:|(1) AND (PRO:ProduktId = 3) OR (1)");
    type(child("filter"), "");
    type(child("produktgruppe"), "tre");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Ugyldig produktgruppe: tre");
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);
}
