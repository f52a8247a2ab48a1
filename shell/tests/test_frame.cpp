// The frame: its caption, menus and status bar, and procedures started in contexts of their own.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>

#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "shell/frame.h"
#include "shell/procedures.h"
#include "shell/startup.h"

using namespace tavlo;
using namespace tavlo::tlma;

class FrameTest : public tavlo::testing::DataFolderTest {};

TEST_F(FrameTest, CaptionMenusShortcutsAndStatusBar)
{
    GLO::PREVIEW = 0;
    Frame normal(errors, false), archive(errors, true);
    EXPECT_EQ(normal.windowTitle(), "Tavlo 4.0e");
    EXPECT_EQ(archive.windowTitle(), "Tavlo 4.0e - ARKIV");
    QStringList menus;
    for (QAction* a : normal.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"&Fil", "R&ediger", "&Kartotek", "&Rapport", "&Vindu", "&Drift",
                                  "&Help"}));
    EXPECT_EQ(normal.findAction("&Kundekartotek")->shortcut(), QKeySequence("Ctrl+K"));
    EXPECT_EQ(normal.findAction("K&odeverk")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(normal.findAction("Faktura&statistikk")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(normal.findAction("E&xit")->statusTip(), "Exit this application");
    EXPECT_TRUE(normal.dateZone().endsWith(QDate::currentDate().toString("dd.MM.yyyy")));
    EXPECT_EQ(normal.timeZone().size(), 5);

    QAction* preview = normal.findAction("&Forhåndsvisning");
    EXPECT_FALSE(preview->isChecked());
    preview->setChecked(true);
    EXPECT_EQ(GLO::PREVIEW, 1);
    preview->setChecked(false);
    EXPECT_EQ(GLO::PREVIEW, 0);
}

TEST_F(FrameTest, TwoStartsOpenTwoIndependentWindowsAndLaterOnesSaySo)
{
    Frame frame(errors, false);
    frame.show();
    std::vector<Context*> contexts;
    frame.addProcedure("KUNDEKARTOTEK", [&](Context& c) {
        contexts.push_back(&c);
        auto* w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        contextwindows::show(c, w);
    });
    frame.findAction("&Kundekartotek")->trigger();
    frame.findAction("&Kundekartotek")->trigger();
    ASSERT_EQ(contexts.size(), 2u);
    EXPECT_NE(contexts[0], contexts[1]);
    EXPECT_EQ(frame.area()->subWindowList().size(), 2);
    EXPECT_EQ(contextwindows::runningContexts(), 2);

    frame.findAction("&Fakturakartotek")->trigger();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "FAKTURAKARTOTEK kommer i en senere versjon av Tavlo.");

    frame.close();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(frame.area()->subWindowList().isEmpty());
    EXPECT_EQ(contextwindows::runningContexts(), 0);
}

TEST_F(FrameTest, CalculatorMissingIsSaidPlainly)
{
    Frame frame(errors, false);
    QStringList started;
    frame.startProgram = [&](const QString& p) {
        started << p;
        return false; // none of them starts
    };
    QAction* calc = frame.findChild<QAction*>("toolbar:Kalkulator");
    ASSERT_NE(calc, nullptr);
    calc->trigger();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_NE(answers.shown[0].text.find("kalkulator"), std::string::npos);
}

TEST_F(FrameTest, TheMenuOpensTheRealRegistersInsideTheFrame)
{
    Frame frame(errors, false);
    addProcedures(frame);
    frame.show();
    frame.findAction("&Kundekartotek")->trigger();
    frame.findAction("&Produktkartotek")->trigger();
    QStringList shown;
    for (QMdiSubWindow* w : frame.area()->subWindowList())
        shown << w->widget()->objectName();
    EXPECT_EQ(shown, (QStringList{"KUNDEKARTOTEK", "PRODUKTKARTOTEK"}));
    EXPECT_TRUE(answers.shown.empty());
    frame.close();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(contextwindows::runningContexts(), 0);
}
