// The window "Produktvedlikehold" offscreen: the file from the file dialog, the runs from their
// buttons with the count shown, and a refused import that leaves the window usable.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"
#include "products/view/products_view.h"

using namespace tavlo;

namespace {

class ProduktVedlikeholdVindu : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        addProduct(*ctx, "Øks");
        addProduct(*ctx, "Sag");
        desktop::PRODUKTVEDLIKEHOLD(*ctx);
        w = contextwindows::windows(*ctx).back();
    }
    void click(const char* text)
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button " << text;
    }
    QString counter() const { return w->findChild<QLabel*>("antall")->text(); }
    QWidget* w = nullptr;
};

TEST_F(ProduktVedlikeholdVindu, ExportAndImportRunFromTheButtonsAndCount)
{
    EXPECT_EQ(w->windowTitle(), "Produktvedlikehold");
    auto* file = w->findChild<QLineEdit*>("filnavn");
    EXPECT_EQ(file->text().toStdString(),
              (std::filesystem::current_path() / "PRODUKT.TXT").string());
    const std::string chosen = path("VARER.TXT");
    answers.files.push_back(chosen);
    QTest::mouseClick(w->findChild<QPushButton*>("velgFil"), Qt::LeftButton);
    EXPECT_EQ(answers.dialogsShown.back(), "Choose a File");
    EXPECT_EQ(file->text().toStdString(), chosen);

    click("&Eksporter");
    EXPECT_EQ(answers.shown.back().text, "Eksporten er fullført");
    EXPECT_EQ(counter(), "2");
    EXPECT_TRUE(std::filesystem::exists(chosen));

    answers.answer(BUTTON_YES);
    click("&Importer");
    EXPECT_EQ(answers.shown.back().text, "Importen er fullført");
    EXPECT_EQ(counter(), "2");

    // A damaged file: said, the count back at 0, the buttons usable again.
    std::ofstream(chosen, std::ios::app) << "\"x\"\r\n";
    answers.answer(BUTTON_YES);
    click("&Importer");
    EXPECT_NE(answers.shown.back().text.find("Linje 3"), std::string::npos);
    EXPECT_EQ(counter(), "0");
    for (auto* b : w->findChildren<QPushButton*>())
        EXPECT_TRUE(b->isEnabled());
}

} // namespace
