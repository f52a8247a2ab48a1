// The billing bases' windows offscreen: a basis written through its form and line form, the
// register's marks, and a generation run from the register.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <cstdlib>

#include "billing/tests/billingdata.h"
#include "billing/view/billing_view.h"
#include "data/globals.h"
#include "data/slots.h"
#include "framework/filemanager.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/tests/windowfixture.h"

using namespace tavlo;

namespace {

class BillingWindowTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        GLQ::TAG_GRUNNLAG.clear();
        GLQ::TAG_FAKTURA.clear();
    }
    void TearDown() override
    {
        GLQ::TAG_GRUNNLAG.clear();
        GLQ::TAG_FAKTURA.clear();
        WithWindows::TearDown();
    }
    QWidget* top() const { return contextwindows::windows(*ctx).back(); }
    template <class T = QLineEdit> static T* child(QWidget* w, const char* name)
    {
        auto* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    static QPushButton* buttonText(QWidget* w, const QString& text)
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
    static void type(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    void shoot(QWidget* w, const char* file)
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        if (const char* dir = std::getenv("TAVLO_SCREENS"))
            w->grab().save(QString::fromUtf8(dir) + "/" + file);
    }
};

} // namespace

TEST_F(BillingWindowTest, ABasisIsWrittenWithItsLinesThroughItsWindows)
{
    GLO::STD_MVA_TYPE = 1;
    const int kunde = addCustomer(*ctx, "Hansen AS");
    auto& gru = ctx->access(Tbl::GRUNNLAG);
    gru.OPEN();
    gru.rec().clear();
    gru.rec().set(GRU::KUNDEID, kunde); // as the customer's list primes it
    GlobalRequest = InsertRecord;
    std::vector<int> done;
    desktop::GRUNNLAGFORM(*ctx, kunde, [&](int r, RowRef) { done.push_back(r); });
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "GRUNNLAGFORM");
    EXPECT_EQ(child(form, "kundenavn")->text(), "Hansen AS");
    EXPECT_FALSE(child(form, "kundeid")->isEnabled());
    EXPECT_FALSE(child(form, "grunnlagid")->isReadOnly()); // a new basis's number may be typed
    type(child(form, "tekst"), "Serviceavtale");

    QTest::mouseClick(buttonText(form, "Ny fakturalinje"), Qt::LeftButton);
    QWidget* linje = top();
    ASSERT_EQ(linje->objectName(), "GRUNLAGLINJEFORM");
    type(child(linje, "produktnavn"), "Service");
    type(child(linje, "enhetspris"), "500");
    type(child(linje, "antall"), "2");
    child<QCheckBox>(linje, "mvapliktig")->click();
    type(child(linje, "mvasats"), "25");
    EXPECT_EQ(child(linje, "sum")->text().trimmed(), "1.000,00");
    shoot(linje, "grunnlaglinjeform.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->cancelButton(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(top(), form);
    EXPECT_EQ(child(form, "totalsum")->text().trimmed(), "1.250,00");
    EXPECT_TRUE(child(form, "grunnlagid")->isReadOnly()); // a line holds the number now
    shoot(form, "grunnlagform.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(done, std::vector<int>{RequestCompleted});
    gru.rec().set(GRU::GRUNNLAGID, 1);
    ASSERT_EQ(gru.FETCH(GRU::KeyGrunnlagId), LEVEL_BENIGN);
    EXPECT_EQ(gru.rec().get(GRU::TEKST), "Serviceavtale");
    EXPECT_EQ(gru.rec().get(GRU::TOTALSUM), *Decimal::parse("1250"));
    gru.CLOSE();
    GLO::STD_MVA_TYPE = 0;
}

TEST_F(BillingWindowTest, TheRegisterMarksBasesAndGeneratesTheirInvoices)
{
    for (const char* k : {"Hansen AS", "Olsen & Bas", "Berg"})
        tavlo::testing::addGrunnlag(*ctx, k, 1, {{0, "1", "100", "100"}});
    GLQ::TAG_GRUNNLAG.push_back({2, 1}); // an earlier opening's
    desktop::GRUNNLAGKARTOTEK(*ctx, {});
    QWidget* w = top();
    ASSERT_EQ(w->objectName(), "GRUNNLAGKARTOTEK");
    EXPECT_TRUE(GLQ::TAG_GRUNNLAG.empty());
    auto* list = w->findChild<BrowseWidget*>("grunnlag");
    ASSERT_TRUE(list);
    PagedTableModel& m = list->browse().model();
    ASSERT_EQ(m.rowCount(), 3);
    for (int row : {2, 0}) {
        m.setCurrentRow(row);
        QTest::keyClick(list->table(), Qt::Key_Space);
    }
    ASSERT_EQ(GLQ::TAG_GRUNNLAG.size(), 2u);
    EXPECT_EQ(GLQ::TAG_GRUNNLAG[0].id, 1);
    shoot(w, "grunnlagkartotek.png");

    QTest::mouseClick(child<QPushButton>(w, "GENERERBUTTON"), Qt::LeftButton);
    QWidget* g = top();
    ASSERT_EQ(g->objectName(), "GENERERNYEFAKTURAER");
    EXPECT_FALSE(child(g, "grunnlagid")->isEnabled()); // only per customer
    EXPECT_TRUE(child<QCheckBox>(g, "markerfakturaer")->isChecked());
    type(child(g, "fakturadato"), "01.12.2026");
    child<QCheckBox>(g, "markerfakturaer")->setChecked(false);
    shoot(g, "genererfakturaer.png");
    QTest::mouseClick(child<QPushButton>(g, "GENERERBUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(answers.shown.back().text, "2 fakturaer er Generert");
    EXPECT_EQ(child<QLabel>(g, "fremdrift")->text(), "2/2");
    EXPECT_EQ(top(), g); // without marking, the window stays for another run
    QTest::mouseClick(child<QPushButton>(g, "avbryt"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(top(), w);

    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    fak.SET(FAK::KeyFakturaId);
    std::vector<std::string> kunder;
    while (fak.NEXT() == LEVEL_BENIGN) {
        kunder.push_back(fak.rec().get(FAK::KUNDENAVN));
        EXPECT_EQ(fak.rec().get(FAK::FAKTURADATO), 82518); // 01.12.2026
    }
    fak.CLOSE();
    EXPECT_EQ(kunder, (std::vector<std::string>{"Hansen AS", "Berg"}));
    EXPECT_EQ(GLQ::TAG_GRUNNLAG.size(), 2u); // the marks stay
}

TEST_F(BillingWindowTest, NothingMarkedOpensNoGenerationWindow)
{
    bool closed = false;
    desktop::GENERERNYEFAKTURAER(*ctx, 1, [&] { closed = true; });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
    EXPECT_EQ(answers.shown.back().text, "Ingen kunder markert");
}
