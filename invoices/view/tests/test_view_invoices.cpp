// The copy dialog and the project-link dialog through their windows, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"
#include "invoices/tests/statuses.h"
#include "invoices/view/invoices_view.h"

using namespace tavlo;

namespace {

class DialogTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        tavlo::testing::addInvoiceStatuses(*ctx);
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::TOTALSUM, Decimal::fromInt(100));
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
        fak.CLOSE();
    }
    QWidget* top() const { return contextwindows::windows(*ctx).back(); }
    template <class T = QLineEdit> static T* child(QWidget* w, const char* name)
    {
        auto* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
};

} // namespace

TEST_F(DialogTest, TheCopyDialogProposesTheCreditNotesStatusAndTellsTheNewNumber)
{
    std::vector<int32_t> done;
    desktop::KOPIERFAKTURA(*ctx, 1, true, [&](int32_t id) { done.push_back(id); });
    QWidget* w = top();
    EXPECT_EQ(w->windowTitle(), "Kopier faktura/Lag kreditnota");
    EXPECT_EQ(child(w, "fakturastatus")->text(), "2");
    EXPECT_EQ(child<QLabel>(w, "fakturastatustekst")->text(), "Kreditnota");
    EXPECT_TRUE(child<QCheckBox>(w, "kopierfakturalinjer")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(w, "oppdaterdatoer")->isChecked());
    QTest::mouseClick(child<QPushButton>(w, "KOPIERFAKTURABUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(done, std::vector<int32_t>{2});
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
    EXPECT_EQ(answers.shown.back().text, "Faktura/Kreditnota nr 2 er nå opprettet");

    // Closed without copying: the caller hears 0, once.
    desktop::KOPIERFAKTURA(*ctx, 1, false, [&](int32_t id) { done.push_back(id); });
    EXPECT_EQ(child(top(), "fakturastatus")->text(), "1");
    QTest::mouseClick(child<QPushButton>(top(), "avbryt"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(done, (std::vector<int32_t>{2, 0}));
}

TEST_F(DialogTest, TheLinkDialogStaysUntilDateAndTextAreThere)
{
    std::vector<std::pair<bool, PrjLinkInfo>> done;
    PrjLinkInfo info;
    info.mvaType = 2;
    desktop::GETPRJLINKINFO(*ctx, info,
                            [&](bool ok, const PrjLinkInfo& i) { done.emplace_back(ok, i); });
    QWidget* w = top();
    EXPECT_EQ(w->windowTitle(), "Opprett prosjektlinje med kobling");
    QTest::mouseClick(child<QPushButton>(w, "MAKEPRJLINKBUTTON"), Qt::LeftButton);
    EXPECT_EQ(answers.shown.back().text, "Dato er ikke utfylt");
    child(w, "prjlinjedato")->setText("24.12.2026");
    QTest::mouseClick(child<QPushButton>(w, "MAKEPRJLINKBUTTON"), Qt::LeftButton);
    EXPECT_EQ(answers.shown.back().text, "Tekst er ikke utfylt");
    EXPECT_TRUE(done.empty());
    child(w, "prjlinjetekst")->setText("Julebord");
    child<QCheckBox>(w, "kreditnota")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(w, "MAKEPRJLINKBUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_TRUE(done[0].first);
    EXPECT_EQ(done[0].second.tekst, "Julebord");
    EXPECT_TRUE(done[0].second.kreditnota);
    EXPECT_EQ(done[0].second.mvaType, 2);
    EXPECT_NE(done[0].second.dato, 0);

    // "&Avbryt": the values as they were given.
    info.tekst = "Uendret";
    desktop::GETPRJLINKINFO(*ctx, info,
                            [&](bool ok, const PrjLinkInfo& i) { done.emplace_back(ok, i); });
    child(top(), "prjlinjetekst")->setText("Endret");
    QTest::mouseClick(child<QPushButton>(top(), "avbryt"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(done.size(), 2u);
    EXPECT_FALSE(done[1].first);
    EXPECT_EQ(done[1].second.tekst, "Uendret");
}
