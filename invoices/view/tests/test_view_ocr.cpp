// "Innbetalinger fra bank (OCR)" through its window, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <fstream>

#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/tests/windowfixture.h"
#include "invoices/giro.h"
#include "invoices/tests/ocrfil.h"
#include "invoices/view/invoices_view.h"

using namespace tavlo;

namespace {

class OcrVinduTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        auto& fak = ctx->access(Tbl::FAKTURA);
        ASSERT_EQ(fak.OPEN(), LEVEL_BENIGN);
        ASSERT_EQ(fak.USEFILE(), LEVEL_BENIGN);
        Record r(table(Tbl::FAKTURA));
        r.set(FAK::FAKTURAID, 7);
        r.set(FAK::TOTALSUM, Decimal::fromInt(1000));
        RowRef ref;
        StoreError err;
        ASSERT_TRUE(fak.file()->insert(r, ref, err)) << err.text;
        fak.CLOSE();
    }
    template <class T> T* child(QWidget* w, const char* name)
    {
        T* c = w->findChild<T*>(QString::fromUtf8(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    std::string skriv(const char* navn, const std::vector<std::string>& poster)
    {
        std::ofstream(path(navn), std::ios::binary) << tavlo::testing::ocrFil(poster);
        return path(navn);
    }
};

} // namespace

TEST_F(OcrVinduTest, TheChosenFileIsReadAndWhatNeedsLookingAtIsListed)
{
    using tavlo::testing::ocrPoster;
    const std::string fil = skriv("OCR.TXT", ocrPoster({{60000, kid(7, true)}, {5000, "0000531"}}));
    bool lukket = false;
    desktop::OCRINNBETALINGER(*ctx, [&] { lukket = true; });
    QWidget* w = contextwindows::windows(*ctx).back();
    ASSERT_EQ(w->objectName(), "OCRINNBETALINGER");
    EXPECT_EQ(w->windowTitle(), "Innbetalinger fra bank (OCR)");

    // The file through the program's file dialog.
    answers.files.push_back(fil);
    QTest::mouseClick(child<QPushButton>(w, "velgFil"), Qt::LeftButton);
    EXPECT_EQ(child<QLineEdit>(w, "filnavn")->text().toStdString(), fil);
    QTest::mouseClick(child<QPushButton>(w, "lesinn"), Qt::LeftButton);
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_EQ(child<QLabel>(w, "Innbetalinger lest")->text(), "2");
    EXPECT_EQ(child<QLabel>(w, "Delvis betalt")->text(), "1");
    EXPECT_EQ(child<QLabel>(w, "Ukjent KID")->text(), "1");
    EXPECT_EQ(child<QLabel>(w, "Totalt beløp")->text(), "650,00");
    auto* liste = child<QTableWidget>(w, "oppfolging");
    ASSERT_EQ(liste->rowCount(), 2);
    EXPECT_EQ(liste->horizontalHeaderItem(4)->text(), "Utfall");
    EXPECT_EQ(liste->item(0, 1)->text(), "7");
    EXPECT_EQ(liste->item(0, 4)->text(), "Delvis betalt, gjenstår 400,00");
    EXPECT_EQ(liste->item(1, 0)->text(), "0000531");
    EXPECT_EQ(liste->item(1, 4)->text(), "Ukjent KID");
    if (const char* dir = std::getenv("TAVLO_SCREENS")) {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        w->grab().save(QString::fromUtf8(dir) + "/ocrinnbetalinger.png");
    }

    // A damaged file says why in a "Feil" box, and what the last read did stays shown.
    auto skadet = ocrPoster({{40000, kid(7, true)}}, "99991042764", 3);
    skadet[2].replace(40, 1, "x");
    child<QLineEdit>(w, "filnavn")->setText(QString::fromStdString(skriv("SKADET.TXT", skadet)));
    QTest::mouseClick(child<QPushButton>(w, "lesinn"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(answers.shown[0].text.rfind("Linje 3: ", 0), 0u) << answers.shown[0].text;
    EXPECT_EQ(liste->rowCount(), 2);
    EXPECT_EQ(child<QLabel>(w, "Delvis betalt")->text(), "1");

    QTest::mouseClick(child<QPushButton>(w, "lukk"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(lukket);
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
}
