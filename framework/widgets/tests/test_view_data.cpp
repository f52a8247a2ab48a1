// The data module's windows offscreen: emptying chosen tables, the backup's status window and
// the saved place of a register's window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "data/datafolder.h"
#include "data/tests/fixture.h"
#include "data/view/data_view.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"

using namespace tavlo;

namespace {

class DataWindowsTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    // Records of a table, as another program reads them.
    int count(Tbl t)
    {
        Context c(&errors);
        auto& fm = c.access(t);
        fm.OPEN();
        int n = 0;
        fm.SET(KeyRef{0});
        while (fm.NEXT() == LEVEL_BENIGN)
            ++n;
        fm.CLOSE();
        return n;
    }
};

} // namespace

TEST_F(DataWindowsTest, EmptyingOnlyProductsLeavesCustomersAndInvoices)
{
    addCustomer(*ctx, "Hansen AS", 1, 2);
    {
        auto& pro = ctx->access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, "Skrue");
        ASSERT_EQ(pro.INSERT(), LEVEL_BENIGN);
        pro.CLOSE();
    }
    desktop::LAGFILER(*ctx);
    QWidget* w = contextwindows::windows(*ctx).back();
    EXPECT_EQ(w->windowTitle(), "Slett data - klargkjør for ny drift");
    EXPECT_TRUE(w->findChild<QLineEdit*>("datafolder")->isReadOnly());
    auto boxes = w->findChildren<QCheckBox*>();
    ASSERT_EQ(boxes.size(), 8);
    for (auto* b : boxes)
        b->setChecked(b->text() == "&Produktkartotek");

    QPushButton* start = nullptr;
    for (auto* b : w->findChildren<QPushButton*>())
        if (b->text() == "Start sletting av data")
            start = b;
    ASSERT_NE(start, nullptr);
    // No to the question changes nothing.
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(count(Tbl::PRODUKT), 1);
    answers.answer(BUTTON_YES);
    QTest::mouseClick(start, Qt::LeftButton);
    EXPECT_EQ(answers.shown.back().text, "Tømming/sletting av datafiler er fullført");
    EXPECT_EQ(count(Tbl::PRODUKT), 0);
    EXPECT_EQ(count(Tbl::KUNDE), 1);
    EXPECT_EQ(count(Tbl::KONTAKT), 1);
    EXPECT_EQ(count(Tbl::FAKTURA), 2);
    EXPECT_EQ(contextwindows::windows(*ctx).back(), w); // stays open
    EXPECT_TRUE(start->isEnabled());
    if (const char* shots = std::getenv("TAVLO_SCREENS"))
        w->grab().save(QString::fromUtf8(shots) + "/lagfiler.png");
}

TEST_F(DataWindowsTest, BackupShowsItsStatusWindowAndSaysWhenTheFolderFails)
{
    std::string message;
    ASSERT_TRUE(createDataFolder(dir, message)) << message;
    addCustomer(*ctx, "Hansen AS");
    // A file where the folder should be: nothing can be written there.
    const std::string blocked = path("opptatt");
    std::ofstream(blocked) << "x";
    desktop::BACKUP(*ctx, {blocked + "/kopi", {}});
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(answers.shown.back().text.rfind("Det oppsto feil under sikkerhetskopieringen.", 0),
              0u);
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());

    // To a folder that takes it, the window "Vent..." is up while the files are copied.
    const std::string target = path("kopi");
    std::filesystem::create_directory(target);
    QStringList seen;
    QTimer::singleShot(0, [&seen] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                seen << top->windowTitle();
    });
    const BackupResult result = desktop::BACKUP(*ctx, {target, {}});
    EXPECT_TRUE(result.failed.empty()) << result.failed.front();
    EXPECT_TRUE(seen.contains("Vent...")) << seen.join(",").toStdString();
    EXPECT_EQ(answers.shown.back().text, "Sikkerhetskopieringen er fullført");
    EXPECT_TRUE(std::filesystem::exists(target + "/KUNDE.TPS"));
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
}

TEST_F(DataWindowsTest, ARegisterOpensWhereItWasSaved)
{
    QWidget first;
    first.setGeometry(50, 60, 300, 200);
    desktop::restoreWindowPosition(*ctx, &first, "KUNDEKARTOTEK");
    EXPECT_EQ(first.size(), QSize(300, 200)); // never saved: as designed
    first.move(120, 90);
    first.resize(410, 330);
    ASSERT_EQ(desktop::saveWindowPosition(*ctx, &first, "kundekartotek  "), LEVEL_BENIGN);

    QWidget second;
    second.setGeometry(0, 0, 100, 100);
    desktop::restoreWindowPosition(*ctx, &second, "KUNDEKARTOTEK");
    EXPECT_EQ(second.size(), QSize(410, 330));
    EXPECT_EQ(second.pos(), first.pos());
}
