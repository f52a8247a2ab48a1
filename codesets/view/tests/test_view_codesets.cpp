// The code register, its forms and "Kodeverksvedlikehold" through their windows, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

#include "codesets/kodeverkform.h"
#include "codesets/tests/codes.h"
#include "codesets/view/codesets_view.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/tests/windowfixture.h"

using namespace tavlo;

namespace {

class CodeWindowsTest : public tavlo::testing::WithWindows<tavlo::testing::CodesTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        addCode(*ctx, 999, 101, "Postnummer");
        addCode(*ctx, 999, 103, "Kundegrupper", [](Record& r) { r.set(KOD::FAST, 2); });
        addCode(*ctx, 999, 105, "Fakturastatus");
        addCode(*ctx, 101, 1, "OSLO", [](Record& r) { r.set(KOD::FAST, 1); });
        addCode(*ctx, 101, 5003, "BERGEN");
        addCode(*ctx, 103, 1, "Privat");
        addCode(*ctx, 105, 1, "Betalt");
    }

    QWidget* top() const
    {
        auto all = contextwindows::windows(*ctx);
        return all.isEmpty() ? nullptr : all.back();
    }
    BrowseWidget* list(const char* name) const
    {
        return contextwindows::windows(*ctx).front()->findChild<BrowseWidget*>(name);
    }
    QPushButton* button(QWidget* w, const QString& text) const
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    void click(QWidget* w, const QString& text)
    {
        QTest::mouseClick(button(w, text), Qt::LeftButton);
    }
    QStringList rows(BrowseWidget* w, int column = 1) const
    {
        QStringList out;
        auto& m = w->browse().model();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, column)).toString();
        return out;
    }
    // Highlights a group of the left list by its row.
    void pickGroup(int row)
    {
        BrowseWidget* g = list("grupper");
        g->browse().model().setCurrentRow(row);
        QApplication::processEvents();
    }
    void pickCode(int row) { list("koder")->browse().model().setCurrentRow(row); }
    void shoot(QWidget* w, const char* file)
    {
        if (const char* dir = std::getenv("TAVLO_SCREENS"))
            w->grab().save(QString::fromUtf8(dir) + "/" + file);
    }
};

} // namespace

TEST_F(CodeWindowsTest, TheCodeListFollowsTheHighlightedGroup)
{
    desktop::KODEVERKKARTOTEK(*ctx);
    QWidget* w = top();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Kodeverk");
    EXPECT_EQ(rows(list("grupper")), QStringList({"Postnummer", "Kundegrupper", "Fakturastatus"}));
    EXPECT_EQ(rows(list("koder")), QStringList({"OSLO", "BERGEN"}));
    pickGroup(2);
    EXPECT_EQ(rows(list("koder")), QStringList({"Betalt"}));
    // On the name tab the codes follow too, in name order.
    pickGroup(0);
    list("koder")->tabBar()->setCurrentIndex(1);
    EXPECT_EQ(rows(list("koder")), QStringList({"BERGEN", "OSLO"}));
    QTest::keyClick(list("grupper")->table(), Qt::Key_Down);
    EXPECT_EQ(rows(list("koder")), QStringList({"Privat"}));

    // The lock of fixed codes and closed groups, the grey of codes not in use.
    auto mark = [](BrowseWidget* b, int row) {
        auto& m = b->browse().model();
        return m.data(m.index(row, 0), PagedTableModel::MarkRole).toInt();
    };
    EXPECT_EQ(mark(list("grupper"), 0), 0);
    EXPECT_EQ(mark(list("grupper"), 1), 1);
    pickGroup(0);
    list("koder")->tabBar()->setCurrentIndex(0);
    EXPECT_EQ(mark(list("koder"), 0), 1);
    EXPECT_EQ(mark(list("koder"), 1), 0);
    w->resize(640, 360);
    shoot(w, "kodeverk.png");
}

TEST_F(CodeWindowsTest, AClosedGroupTakesNoNewCodesAndLosesNoneButItsCodesChange)
{
    desktop::KODEVERKKARTOTEK(*ctx);
    QWidget* w = top();
    pickGroup(1);
    ASSERT_EQ(rows(list("koder")), QStringList({"Privat"}));

    click(w, "Ny kodeverkspost");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Asvarsel");
    EXPECT_EQ(answers.shown[0].text, "Du kan ikke legge til kodeverksposten i denne gruppen");
    EXPECT_EQ(top(), w); // no form
    click(w, "Slett kodeverkspost");
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].text, "Denne kodeverksposten kan ikke slettes");
    EXPECT_EQ(codes().size(), 7u);

    click(w, "Endre/vise kodeverkspost");
    auto* form = qobject_cast<FormWindow*>(top());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Endre/vise kodeverkspost");
    auto* tekst = form->findChild<QLineEdit*>("tekst");
    EXPECT_FALSE(tekst->isReadOnly());
    tekst->setText("Privatkunde");
    QTest::mouseClick(form->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(top(), w);
    EXPECT_EQ(codes().at({103, 1}).get(KOD::TEKST), "Privatkunde");
    EXPECT_EQ(rows(list("koder")), QStringList({"Privatkunde"}));
}

TEST_F(CodeWindowsTest, AFixedCodeKeepsItsNumberAndTextAndStays)
{
    desktop::KODEVERKKARTOTEK(*ctx);
    QWidget* w = top();
    pickCode(0);
    click(w, "Slett kodeverkspost");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Asvarsel");
    EXPECT_EQ(answers.shown[0].text, "Denne kodeverksposten kan ikke slettes");

    click(w, "Endre/vise kodeverkspost");
    auto* form = qobject_cast<FormWindow*>(top());
    ASSERT_NE(form, nullptr);
    for (const char* name : {"nr", "tekst"}) {
        auto* e = form->findChild<QLineEdit*>(name);
        EXPECT_TRUE(e->isReadOnly()) << name;
        EXPECT_EQ(e->palette().color(QPalette::Base), e->palette().color(QPalette::Button));
    }
    EXPECT_EQ(form->okButton()->text(), "Lagre kodeverkspost");
    EXPECT_EQ(form->cancelButton()->text(), "Avbryt");
    form->findChild<QCheckBox*>("ikkeibruk")->click();
    form->findChild<QPlainTextEdit*>("div")->setPlainText("Hovedstaden");
    shoot(form, "kodeverkform.png");
    QTest::mouseClick(form->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    const Record oslo = codes().at({101, 1});
    EXPECT_EQ(oslo.get(KOD::TEKST), "OSLO");
    EXPECT_EQ(oslo.get(KOD::IKKEIBRUK), 1);
    EXPECT_EQ(oslo.memo(KOD::DIV.no), "Hovedstaden");
    auto& m = list("koder")->browse().model();
    EXPECT_EQ(m.data(m.index(0, 0), PagedTableModel::MarkRole).toInt(), 3);

    // An ordinary code of the same group goes, after the confirmation.
    pickCode(1);
    answers.answer(BUTTON_YES);
    click(w, "Slett kodeverkspost");
    QApplication::processEvents();
    EXPECT_EQ(codes().count({101, 5003}), 0u);
    EXPECT_EQ(rows(list("koder")), QStringList({"OSLO"}));
}

TEST_F(CodeWindowsTest, ANewInvoiceStatusTakesItsGroupColourAndPlacement)
{
    desktop::KODEVERKKARTOTEK(*ctx);
    QWidget* w = top();
    pickGroup(2);
    click(w, "Ny kodeverkspost");
    auto* form = qobject_cast<FormWindow*>(top());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Ny kodeverkspost");
    EXPECT_EQ(form->findChild<QLineEdit*>("gruppe")->text().trimmed(), "105");
    form->findChild<QLineEdit*>("nr")->setText("2");
    form->findChild<QLineEdit*>("tekst")->setText("Purret");
    answers.colours.push_back(0x0000ff);
    QTest::mouseClick(form->findChild<QPushButton*>("velgFarge"), Qt::LeftButton);
    EXPECT_EQ(answers.dialogsShown.back(), "Velg farge");
    EXPECT_EQ(form->findChild<QLabel*>("farge")->palette().color(QPalette::Window),
              QColor(255, 0, 0));
    for (auto* r : form->findChildren<QRadioButton*>())
        if (r->text() == "&Etter fast fakturatekst")
            r->click();
    form->findChild<QCheckBox*>("kreditnota")->click();
    form->findChild<QLineEdit*>("betalingsbetingelse")->setText("14");
    shoot(form, "fakturastatus.png");
    QTest::mouseClick(form->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    Record r = codes().at({105, 2});
    EXPECT_EQ(r.get(KOD::TEKST), "Purret");
    EXPECT_EQ(r.get(KOD::LONG2), 0x0000ff);
    EXPECT_EQ(r.get(KOD::LONG1), PLASSERING_ETTER);
    EXPECT_EQ(r.get(KOD::LONG3), 14);
    EXPECT_EQ(r.get(KOD::BYTE1), 1);
    EXPECT_EQ(rows(list("koder")), QStringList({"Betalt", "Purret"}));

    // Back to the default colour and no placement.
    pickCode(1);
    click(w, "Endre/vise kodeverkspost");
    form = qobject_cast<FormWindow*>(top());
    ASSERT_NE(form, nullptr);
    auto radios = form->findChildren<QRadioButton*>();
    EXPECT_TRUE(std::any_of(radios.begin(), radios.end(), [](auto* b) { return b->isChecked(); }));
    QTest::mouseClick(form->findChild<QPushButton*>("standardFarge"), Qt::LeftButton);
    QTest::mouseClick(form->findChild<QPushButton*>("ingenPlassering"), Qt::LeftButton);
    EXPECT_TRUE(std::none_of(radios.begin(), radios.end(), [](auto* b) { return b->isChecked(); }));
    QTest::mouseClick(form->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    r = codes().at({105, 2});
    EXPECT_EQ(r.get(KOD::LONG2), kStandardFarge);
    EXPECT_EQ(r.get(KOD::LONG1), PLASSERING_INGEN);

    // Shift+Enter shows the code and lets nothing be changed.
    QTest::keyClick(list("koder")->table(), Qt::Key_Return, Qt::ShiftModifier);
    form = qobject_cast<FormWindow*>(top());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "View Record");
    EXPECT_EQ(form->okButton(), nullptr);
    EXPECT_TRUE(form->findChild<QLineEdit*>("tekst")->isReadOnly());
    EXPECT_FALSE(form->findChild<QPushButton*>("velgFarge")->isEnabled());
    EXPECT_FALSE(form->findChild<QPushButton*>("ingenPlassering")->isEnabled());
    form->close();
}

TEST_F(CodeWindowsTest, ExportAndImportRunFromTheButtonsAndCount)
{
    desktop::IMPORTEKSPORTKODEVERK(*ctx);
    QWidget* w = top();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Kodeverksvedlikehold");
    const std::string file = path("KODER.TXT");
    answers.files.push_back(file);
    QTest::mouseClick(w->findChild<QPushButton*>("velgFil"), Qt::LeftButton);
    EXPECT_EQ(answers.dialogsShown.back(), "Choose a File");
    EXPECT_EQ(w->findChild<QLineEdit*>("filnavn")->text().toStdString(), file);

    click(w, "&Eksporter");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(answers.shown.back().text, "Eksporten er fullført");
    EXPECT_EQ(w->findChild<QLabel*>("antall")->text(), "7");
    for (auto* b : w->findChildren<QPushButton*>())
        EXPECT_TRUE(b->isEnabled());

    // Only group 101 back, over a changed text.
    {
        auto& kod = ctx->access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().set(KOD::GRUPPE, 101);
        kod.rec().set(KOD::NR, 5003);
        ASSERT_EQ(kod.TRYFETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
        kod.rec().set(KOD::TEKST, "BJØRGVIN");
        ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
        kod.CLOSE();
    }
    w->findChild<QCheckBox*>("overskriv")->setChecked(true);
    w->findChild<QSpinBox*>("grense0")->setValue(101);
    w->findChild<QSpinBox*>("grense1")->setValue(101);
    answers.answer(BUTTON_YES); // overwrite and add
    answers.answer(BUTTON_YES); // the file's header
    click(w, "&Importer");
    EXPECT_EQ(answers.shown.back().text, "Importen er fullført");
    EXPECT_EQ(w->findChild<QLabel*>("antall")->text(), "2");
    EXPECT_EQ(codes().at({101, 5003}).get(KOD::TEKST), "BERGEN");
    w->resize(w->sizeHint());
    shoot(w, "kodeverksvedlikehold.png");
}
