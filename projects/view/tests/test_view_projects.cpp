// The project register and forms through their windows, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/tests/windowfixture.h"
#include "projects/prjlinje.h"
#include "projects/view/projects_view.h"

using namespace tavlo;

namespace {

class ProsjektWindowTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        GLO::FAST_FILTERID_PROSJEKT = 0;
        addCode(*ctx, 109, 1, "Intern");
        addCode(*ctx, 110, 1, "Aktiv");
    }
    void addProject(const std::string& id, const std::string& navn)
    {
        auto& prj = ctx->access(Tbl::PROSJEKT);
        prj.OPEN();
        prj.rec().clear();
        prj.rec().set(PRJ::PROSJEKTID, id);
        prj.rec().set(PRJ::NAVN, navn);
        prj.rec().set(PRJ::TYPE, 1);
        prj.rec().set(PRJ::STATUS, 1);
        prj.rec().set(PRJ::STARTDATO, date::fromYmd(2026, 11, 2));
        ASSERT_EQ(prj.INSERT(), LEVEL_BENIGN);
        prj.CLOSE();
    }
    void addLine(const std::string& id, const char* inn, const char* ut, int32_t faktura = 0)
    {
        PrjLinjeVerdier v;
        v.prosjektId = id;
        v.dato = date::fromYmd(2026, 11, 20);
        v.tekst = "Materialer";
        v.inn = *Decimal::parse(inn);
        v.ut = *Decimal::parse(ut);
        v.fakturaId = faktura;
        ASSERT_GT(INSERTPRJLINJE(*ctx, v), 0);
        answers.shown.clear();
    }
    QWidget* window() const { return contextwindows::windows(*ctx).front(); }
    QWidget* top() const { return contextwindows::windows(*ctx).back(); }
    BrowseWidget* list() const { return window()->findChild<BrowseWidget*>("prosjekter"); }
    template <class T = QLineEdit> static T* child(QWidget* w, const char* name)
    {
        auto* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    void shoot(QWidget* w, const char* file)
    {
        QApplication::processEvents();
        if (const char* dir = std::getenv("TAVLO_SCREENS"))
            w->grab().save(QString::fromUtf8(dir) + "/" + file);
    }
};

} // namespace

TEST_F(ProsjektWindowTest, TheRegisterShowsItsTabsAndTheRangeOfTheTabInUse)
{
    addProject("HYTTE-1", "Hytta på fjellet");
    addProject("GARASJE", "Ny garasje");
    desktop::PROSJEKTKARTOTEK(*ctx);
    EXPECT_EQ(window()->windowTitle(), "Prosjektkartotek");
    QTabBar* tabs = list()->tabBar();
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        names << tabs->tabText(i);
    EXPECT_EQ(names, (QStringList{"Prosjektid", "Startdato", "Type", "Navn", "Status", "Kunde"}));
    EXPECT_EQ(tabs->currentIndex(), 3);
    auto& m = list()->browse().model();
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.data(m.index(0, 3)).toString(), "Hytta på fjellet");
    EXPECT_EQ(m.data(m.index(0, 2)).toString(), "Intern");
    EXPECT_EQ(m.data(m.index(0, 4)).toString(), "Aktiv");
    EXPECT_TRUE(child(window(), "type")->isHidden());
    tabs->setCurrentIndex(2);
    EXPECT_FALSE(child(window(), "type")->isHidden());
    EXPECT_TRUE(child(window(), "kunde")->isHidden());
    tabs->setCurrentIndex(3);
    shoot(window(), "prosjektkartotek.png");
}

TEST_F(ProsjektWindowTest, SelectModeEndsWithTheChosenProjectInTheBuffer)
{
    addProject("HYTTE-1", "Hytta på fjellet");
    addProject("GARASJE", "Ny garasje");
    std::vector<int> responses;
    desktop::PROSJEKTKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    QPushButton* velg = child<QPushButton>(window(), "velg");
    EXPECT_FALSE(velg->isHidden());
    list()->browse().model().setCurrentRow(1);
    QTest::mouseClick(velg, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(responses, std::vector<int>{RequestCompleted});
    EXPECT_EQ(ctx->rec(Tbl::PROSJEKT).get(PRJ::PROSJEKTID), "GARASJE");
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
}

TEST_F(ProsjektWindowTest, TheFormShowsTheLinesTotalsAndNegativeDifferencesInDarkRed)
{
    addProject("HYTTE-1", "Hytta på fjellet");
    addLine("HYTTE-1", "1000", "0", 12);
    addLine("HYTTE-1", "0", "250");
    desktop::PROSJEKTKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "ProsjektForm");
    EXPECT_EQ(form->windowTitle(), "Endre/vise prosjekt");
    auto* faner = child<QTabWidget>(form, "faner");
    QStringList names;
    for (int i = 0; i < faner->count(); ++i)
        names << faner->tabText(i);
    EXPECT_EQ(names, (QStringList{"Regnskap", "Resultat", "Div"}));
    EXPECT_EQ(child<QLabel>(form, "typetekst")->text(), "Intern");
    EXPECT_EQ(child(form, "totaltinn")->text().trimmed(), "1.000,00");
    EXPECT_EQ(child(form, "totaltut")->text().trimmed(), "250,00");
    EXPECT_EQ(child<BrowseWidget>(form, "linjer")->browse().model().rowCount(), 2);
    shoot(form, "prosjektform.png");

    faner->setCurrentIndex(1);
    EXPECT_EQ(child(form, "totaltdiff")->text().trimmed(), "750,00");
    QLineEdit* budInn = child(form, "budsjettinn");
    budInn->setText("500");
    child(form, "budsjettut")->setText("800");
    QMetaObject::invokeMethod(child(form, "budsjettut"), "editingFinished");
    EXPECT_EQ(child(form, "budsjettdiff")->text().trimmed(), "-300,00");
    EXPECT_EQ(child(form, "budsjettdiff")->palette().color(QPalette::Text), QColor(128, 0, 0));
    EXPECT_NE(child(form, "totaltdiff")->palette().color(QPalette::Text), QColor(128, 0, 0));
    shoot(form, "prosjektform-resultat.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);
    auto& prj = ctx->access(Tbl::PROSJEKT_ALIAS);
    prj.OPEN();
    prj.rec().set(PRJA::PROSJEKTID, "HYTTE-1");
    ASSERT_EQ(prj.FETCH(PRJA::KeyProsjektId), LEVEL_BENIGN);
    EXPECT_EQ(prj.rec().get(PRJA::TOTALTDIFF), *Decimal::parse("750"));
    EXPECT_EQ(prj.rec().get(PRJA::BUDSJETTDIFF), *Decimal::parse("-300"));
    prj.CLOSE();
}

TEST_F(ProsjektWindowTest, ANewLineFromTheFormIsDatedTodayAndCountsAtOnce)
{
    addProject("HYTTE-1", "Hytta på fjellet");
    desktop::PROSJEKTKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QWidget* form = top();
    auto* linjer = child<BrowseWidget>(form, "linjer");
    ASSERT_TRUE(linjer->browse().activate(InsertRecord));
    QWidget* linje = top();
    ASSERT_EQ(linje->objectName(), "PrjLinjeForm");
    EXPECT_EQ(linje->windowTitle(), "Ny prosjektlinje");
    EXPECT_EQ(child(linje, "dato")->text().trimmed().toStdString(),
              picture::formatDate("@d06.B", date::today()));
    child(linje, "tekst")->setText("Timer");
    child(linje, "inn")->setText("1.500,50");
    shoot(linje, "prjlinjeform.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(top(), form);
    EXPECT_EQ(child(form, "totaltinn")->text().trimmed(), "1.500,50");
    EXPECT_EQ(linjer->browse().model().rowCount(), 1);
}

TEST_F(ProsjektWindowTest, ANewProjectWithoutAnIdTakesNoLines)
{
    desktop::PROSJEKTKARTOTEK(*ctx);
    QTest::mouseClick(child<QPushButton>(window(), "nytt"), Qt::LeftButton);
    QWidget* form = top();
    EXPECT_EQ(form->windowTitle(), "Nytt prosjekt");
    EXPECT_EQ(child(form, "prosjektid")->maxLength(), 20);
    child<BrowseWidget>(form, "linjer")->browse().activate(InsertRecord);
    EXPECT_EQ(top(), form);
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().text, "Skriv inn en prosjekt-ID før prosjektlinjene.");
}
