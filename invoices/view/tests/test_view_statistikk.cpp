// The window Fakturastatistikk, offscreen: the year steps, the chart follows the window's size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"
#include "invoices/tests/statistikkdata.h"
#include "invoices/view/fakturastatistikk.h"
#include "invoices/view/invoices_view.h"

using namespace tavlo;
using tavlo::desktop::StatistikkVindu;

namespace {

class StatistikkTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    StatistikkVindu* open(int aar)
    {
        tavlo::testing::statistikkdata(*ctx);
        auto* w = new StatistikkVindu(*ctx);
        contextwindows::show(*ctx, w);
        w->start(aar);
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        return w;
    }
    static QAction* action(QWidget* w, const QString& text)
    {
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text() == text)
                return a;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
};

TEST_F(StatistikkTest, ButtonsMenuAndTheYearFieldStepTheYear)
{
    StatistikkVindu* w = open(2024);
    auto* aar = w->findChild<QLineEdit*>("aar");
    auto* totalt = w->findChild<QLabel*>("totalt");
    ASSERT_TRUE(aar && totalt);
    EXPECT_EQ(aar->text(), "2024");
    EXPECT_EQ(totalt->text(), "1.875,00");
    EXPECT_EQ(w->findChild<QTableWidget*>("antall")->rowCount(), 3);
    EXPECT_EQ(w->findChild<QTableWidget*>("belop")->item(2, 1)->text(), "Konsulenttime");
    EXPECT_EQ(w->findChild<QTableWidget*>("belop")->item(2, 4)->text(), "-100,00");

    w->findChild<QPushButton*>("neste")->click();
    EXPECT_EQ(aar->text(), "2025");
    EXPECT_EQ(totalt->text(), "888,00");
    action(w, "Vis data for &forrige år")->trigger();
    action(w, "Vis data for &forrige år")->trigger();
    EXPECT_EQ(aar->text(), "2023");
    EXPECT_EQ(totalt->text(), "999,00");
    w->findChild<QPushButton*>("forrige")->click();
    EXPECT_EQ(w->regler().aar(), 2022);

    aar->setFocus();
    aar->selectAll();
    QTest::keyClicks(aar, "2024");
    QTest::keyClick(aar, Qt::Key_Return);
    EXPECT_EQ(w->regler().aar(), 2024);
    EXPECT_EQ(totalt->text(), "1.875,00");
    EXPECT_TRUE(answers.shown.empty());

    // A year that is none is said and changes nothing.
    aar->selectAll();
    QTest::keyClicks(aar, "20x");
    QTest::keyClick(aar, Qt::Key_Return);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(w->regler().aar(), 2024);
    EXPECT_EQ(aar->text(), "2024");
}

TEST_F(StatistikkTest, TheChartFollowsTheWindowsSizeDownToItsMinimum)
{
    StatistikkVindu* w = open(2024);
    EXPECT_EQ(w->minimumSize(), QSize(300, 200));
    EXPECT_EQ(w->windowTitle(), "Fakturastatistikk");
    auto* faner = w->findChild<QTabWidget*>("faner");
    ASSERT_EQ(faner->count(), 3);
    EXPECT_EQ(faner->tabText(0), "Total Omsetning");
    EXPECT_EQ(faner->tabText(2), QString::fromUtf8("Produktfordelt omsetning - beløp"));

    auto* diagram = w->diagram();
    const Stolpediagram liten = diagram->diagram();
    const int lavere = liten.stolper[0].hoyde;
    EXPECT_GT(lavere, 0);
    EXPECT_EQ(liten.stolper[1].hoyde, 0); // February: nothing
    // January's turnover is the largest: its bar reaches 3 below the chart's top.
    EXPECT_EQ(liten.stolper[0].y, 3);

    w->resize(w->width() + 200, w->height() + 200);
    QApplication::processEvents();
    const Stolpediagram stor = diagram->diagram();
    EXPECT_GT(stor.stolper[0].hoyde, lavere + 150);
    EXPECT_GT(stor.stolpebredde, liten.stolpebredde);
    // March in proportion to January, within the rounding.
    EXPECT_NEAR(stor.stolper[2].hoyde * 10.0, stor.stolper[0].hoyde, 10);

    w->resize(10, 10);
    QApplication::processEvents();
    EXPECT_GE(w->width(), 300);
    EXPECT_GE(w->height(), 200);
    if (const char* dir = std::getenv("TAVLO_SCREENS")) {
        // A fuller year for the picture.
        const int64_t belop[] = {0,     84000, 61000,  97000,  112000, 45000,
                                 23000, 88000, 131000, 104000, 76000,  0};
        for (int m = 1; m < 11; ++m)
            tavlo::testing::leggInnFaktura(*ctx, date::fromYmd(2024, m + 1, 10), belop[m] * 100,
                                           false, {{0, 100, belop[m] * 80}});
        w->start(2024);
        w->resize(760, 460);
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        w->grab().save(QString::fromUtf8(dir) + "/fakturastatistikk.png");
    }
}

} // namespace
