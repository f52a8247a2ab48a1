// The frame: its caption, menus and status bar, and procedures started in contexts of their own
// through their slots.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <set>

#include "data/slots.h"
#include "data/tests/fixture.h"
#include "framework/iniclass.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/slotcommand.h"
#include "shell/frame.h"
#include "shell/startup.h"

using namespace tavlo;
using namespace tavlo::tlma;

class FrameTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        settings.Init(path("tlma.INI"));
    }
    void TearDown() override
    {
        // A test that failed half-way leaves no module started and no slot filled for the next.
        killModules();
        for (SlotBase* s : SlotBase::all())
            s->clear();
        settings.Kill();
        DataFolderTest::TearDown();
    }
    INIClass settings;
};

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
    ASSERT_TRUE(normal.findAction("&Innbetalinger fra bank (OCR)..."));
    EXPECT_EQ(normal.findAction("&Innbetalinger fra bank (OCR)...")->statusTip(),
              "Les OCR-fil med KID-innbetalinger");
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
    procedures::KUNDEKARTOTEK.fill([&](Context& c, Chosen) {
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
    initModules(errors, &settings);
    Frame frame(errors, false);
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
    killModules();
}

namespace {

// The procedures whose modules come later: no module fills them yet. A module that comes takes
// its procedures off the list, or the test below fails.
const std::set<std::string> kLater = {};

std::set<std::string> proceduresNamed(const QList<QObject*>& commands)
{
    std::set<std::string> names;
    for (QObject* o : commands)
        if (const QVariant p = o->property(kProcedureProperty); p.isValid())
            names.insert(p.toString().toStdString());
    return names;
}

} // namespace

TEST_F(FrameTest, EveryCommandsProcedureIsFilledAfterStartUpOrComesLater)
{
    initModules(errors, &settings);
    Frame frame(errors, false);
    frame.show();

    // The menu items that start something and the toolbar's buttons but the calculator each
    // start a procedure through its slot.
    for (const char* title : {"&Kartotek", "&Rapport", "&Drift"}) {
        for (QAction* menu : frame.menuBar()->actions()) {
            if (menu->text() != title)
                continue;
            for (QAction* a : menu->menu()->actions())
                EXPECT_TRUE(a->property(kProcedureProperty).isValid()) << a->text().toStdString();
        }
    }
    for (QAction* a : frame.findChild<QToolBar*>()->actions())
        EXPECT_EQ(a->property(kProcedureProperty).isValid(), a->text() != "Kalkulator")
            << a->text().toStdString();

    // The customer register and a new customer's form, with their buttons and menu items.
    frame.findAction("&Kundekartotek")->trigger();
    ASSERT_EQ(frame.area()->subWindowList().size(), 1);
    QTest::mouseClick(
        frame.area()->subWindowList().front()->widget()->findChild<QPushButton*>("ny"),
        Qt::LeftButton);
    ASSERT_EQ(frame.area()->subWindowList().size(), 2);

    const std::set<std::string> started = proceduresNamed(frame.findChildren<QObject*>());
    for (const char* name : {"KUNDEKARTOTEK", "FAKTURAKARTOTEK", "LAGFILER", "GENERERNYEFAKTURAER",
                             "FAKTURAFORM", "GRUNNLAGFORM", "VELGFAKTURARAPPORT"})
        EXPECT_EQ(started.count(name), 1u) << name << " not found on a command";
    for (const std::string& name : started) {
        const SlotBase* slot = SlotBase::find(name);
        ASSERT_NE(slot, nullptr) << name << " has no slot";
        EXPECT_TRUE(slot->filled() || kLater.count(name)) << name << " is neither there nor later";
    }
    for (const SlotBase* slot : SlotBase::all())
        EXPECT_NE(slot->filled(), kLater.count(slot->name()) == 1)
            << slot->name()
            << (slot->filled() ? " is filled, yet on the later list"
                               : " is empty, yet not on the later list");
    EXPECT_TRUE(answers.shown.empty());

    frame.close();
    QApplication::processEvents();
    QApplication::processEvents();
    killModules();
    for (const SlotBase* slot : SlotBase::all())
        EXPECT_FALSE(slot->filled()) << slot->name() << " outlives its module";
}
