// The window "Kundevedlikehold" offscreen: the file is chosen through the dialog, exported and
// read back in from the buttons, the counter shows the lines handled, and a No changes nothing.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "customers/view/customers_view.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"

using namespace tavlo;

namespace {

class KundevedlikeholdVindu : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        addCustomer(*ctx, "Blåbær AS", 2);
        addCustomer(*ctx, "Ørret og Ål", 1);
        desktop::KUNDEVEDLIKEHOLD(*ctx);
        w = contextwindows::windows(*ctx).back();
    }
    void click(const QString& text)
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    QString counter() const { return w->findChild<QLabel*>("antall")->text(); }
    std::vector<std::string> names(Tbl t, KeyRef key, TextField field)
    {
        std::vector<std::string> out;
        auto& m = ctx->access(t);
        m.OPEN();
        m.SET(key);
        while (m.NEXT() == LEVEL_BENIGN)
            out.push_back(m.rec().get(field) + " " + std::to_string(m.rec().num(0)));
        m.CLOSE();
        return out;
    }
    QPointer<QWidget> w;
};

} // namespace

TEST_F(KundevedlikeholdVindu, ExportThenImportFromTheButtons)
{
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), "Kundevedlikehold");
    EXPECT_EQ(w->objectName(), "KUNDEVEDLIKEHOLD");
    auto* file = w->findChild<QLineEdit*>("filnavn");
    EXPECT_EQ(file->text().toStdString(), (std::filesystem::current_path() / "KUNDE.TXT").string());

    const std::string name = path("KUNDE.TXT");
    answers.files.push_back(name);
    QTest::mouseClick(w->findChild<QPushButton*>("velgFil"), Qt::LeftButton);
    EXPECT_EQ(answers.dialogsShown.back(), "Choose a File");
    EXPECT_EQ(file->text().toStdString(), name);

    click("&Eksporter");
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().text, "Eksporten er fullført");
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(counter(), "5"); // two customers, three contacts
    EXPECT_EQ(GLO::KUNDEIMPORTPTH, name);
    for (auto* b : w->findChildren<QPushButton*>())
        EXPECT_TRUE(b->isEnabled());

    // Over the file already there: No (the default) leaves it as it is.
    const std::string before = bytesOf("KUNDE.TXT");
    std::filesystem::resize_file(name, 0);
    click("&Eksporter");
    EXPECT_EQ(answers.shown.back().text,
              "Filen " + name + " finnes fra før. Vil du overskrive filen");
    EXPECT_EQ(answers.shown.back().defaultButton, BUTTON_NO);
    EXPECT_EQ(bytesOf("KUNDE.TXT"), "");
    answers.answer(BUTTON_YES);
    click("&Eksporter");
    EXPECT_EQ(bytesOf("KUNDE.TXT"), before);

    // Declined import: nothing added.
    click("&Importer");
    EXPECT_EQ(answers.shown.back().text,
              "Nye Kunder og Kontaktpersoner vil bli lagt til. Vil du fortsette");
    EXPECT_EQ(names(Tbl::KUNDE, KUN::KeyKundeId, KUN::NAVN).size(), 2u);

    answers.answer(BUTTON_YES);
    click("&Importer");
    EXPECT_EQ(answers.shown.back().text, "Importen er fullført");
    EXPECT_EQ(counter(), "5");
    const std::vector<std::string> customers = {"Blåbær AS 1", "Ørret og Ål 2", "Blåbær AS 3",
                                                "Ørret og Ål 4"};
    EXPECT_EQ(names(Tbl::KUNDE, KUN::KeyKundeId, KUN::NAVN), customers);
    EXPECT_EQ(names(Tbl::KONTAKT, KON::KeyKontaktId, KON::NAVN).size(), 6u);

    click("Avslutt");
    QApplication::processEvents();
    EXPECT_FALSE(w);
}

TEST_F(KundevedlikeholdVindu, AMissingFileIsSaidAndTheCounterStaysAtNought)
{
    w->findChild<QLineEdit*>("filnavn")->setText(QString::fromStdString(path("INGEN.TXT")));
    answers.answer(BUTTON_YES);
    click("&Importer");
    EXPECT_EQ(answers.shown.back().text, "Finner ikke filen " + path("INGEN.TXT"));
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(counter(), "0");
    EXPECT_EQ(names(Tbl::KUNDE, KUN::KeyKundeId, KUN::NAVN).size(), 2u);
}

TEST_F(KundevedlikeholdVindu, APathLongerThanTheOldLimitIsKeptWhole)
{
    const std::string name = path(std::string(140, 'k') + ".TXT");
    answers.files.push_back(name);
    QTest::mouseClick(w->findChild<QPushButton*>("velgFil"), Qt::LeftButton);
    click("&Eksporter");
    EXPECT_EQ(answers.shown.back().text, "Eksporten er fullført");
    EXPECT_TRUE(std::filesystem::exists(name));
}
