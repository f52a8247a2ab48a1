// The window "Fakturarapport" offscreen: its lookups fill the limits, a filter that cannot be
// used stops the run, a good selection opens the list in the preview and the window stays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>

#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/tests/listevindu.h"
#include "invoices/tests/statuses.h"
#include "invoices/view/invoices_view.h"

using namespace tavlo;

namespace {

class RapportVindu : public tavlo::testing::ListevinduTest {
  protected:
    void SetUp() override
    {
        ListevinduTest::SetUp();
        tavlo::testing::addInvoiceStatuses(*ctx);
        kunde = addCustomer(*ctx, "Kari Nordmann", 0, 2);
        addCustomer(*ctx, "Ola Hansen", 0, 1);
        apne(desktop::AVGRENSNINGERFAKTURARAPPORT);
    }

    int kunde = 0;
};

} // namespace

TEST_F(RapportVindu, LookupsFillTheLimitsAndTheListOpensInThePreview)
{
    ASSERT_EQ(w->objectName(), "AVGRENSNINGERFAKTURARAPPORT");
    EXPECT_EQ(w->windowTitle(), "Fakturarapport");
    EXPECT_TRUE(child<QRadioButton>("sortering1")->isChecked());
    if (const char* dir = std::getenv("TAVLO_SCREENS")) {
        QApplication::processEvents();
        w->grab().save(QString::fromUtf8(dir) + "/fakturarapport.png");
    }

    type(child("kundeid"), QString::number(kunde));
    EXPECT_EQ(child("kundenavn")->text(), "Kari Nordmann");
    type(child("fakturastatus"), "2");
    EXPECT_EQ(child<QLabel>("fakturastatustekst")->text(), "Kreditnota");
    type(child("fakturastatus"), "");
    // The saved filters of the invoices, picked with F4.
    addFilter(*ctx, 3, 1, "Store", "FAK:KundeId > 0", "Med kunde");
    answers.picks.push_back(0);
    QTest::keyClick(child("filter"), Qt::Key_F4);
    EXPECT_EQ(child("filter")->text(), "FAK:KundeId > 0");

    // The credit-note choice, and the button that lets go of it.
    child<QRadioButton>("ingenkreditnotaer")->click();
    QTest::mouseClick(child<QPushButton>("fjernkreditnota"), Qt::LeftButton);
    EXPECT_FALSE(child<QRadioButton>("ingenkreditnotaer")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("barekreditnotaer")->isChecked());

    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    PrintPreviewClass* p = preview();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pageCount(), 1);
    if (const char* dir = std::getenv("TAVLO_SCREENS")) {
        p->resize(1000, 760);
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        p->grab().save(QString::fromUtf8(dir) + "/fakturarapport-forhandsvisning.png");
    }
    EXPECT_TRUE(answers.shown.empty());
    // The window stays for another run, once the preview is closed.
    EXPECT_TRUE(contextwindows::windows(*ctx).contains(w));
    EXPECT_TRUE(child<QPushButton>("PRINTBUTTON")->isEnabledTo(w));
}

TEST_F(RapportVindu, ABadFilterOrDateIsSaidAndNothingRuns)
{
    type(child("filter"), "FAK:KundeId = 3) OR (1");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text,
              "Filteret inneholder feil og kan ikke brukes:|(1) AND (FAK:KundeId = 3) OR (1)");
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);

    type(child("filter"), "");
    type(child("tilbetaltdato"), "32.13.2026");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Ugyldig dato: 32.13.2026 (skriv 31.12.2026)");
    EXPECT_EQ(child("tilbetaltdato")->text(), "32.13.2026"); // kept, to be mended

    // Paid invoices only, and there are none: "Ingen poster", no preview.
    type(child("tilbetaltdato"), "");
    child<QCheckBox>("betaltblank")->setChecked(false);
    type(child("frabetaltdato"), "01.01.2026");
    QTest::mouseClick(child<QPushButton>("PRINTBUTTON"), Qt::LeftButton);
    for (int i = 0; i < 100 && answers.shown.size() < 3; ++i)
        QTest::qWait(5);
    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[2].text, "Det er ingen poster tilgjenngelig for prosessering.");
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);
    EXPECT_TRUE(child<QPushButton>("PRINTBUTTON")->isEnabled());
}
