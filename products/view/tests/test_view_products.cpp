// The product register and form through their windows, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/tests/windowfixture.h"
#include "products/view/products_view.h"

using namespace tavlo;

namespace {

class ProduktWindowTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        GLO::FAST_FILTERID_PRODUKT = 0;
        GLO::STD_MVA_TYPE = 1;
    }
    void TearDown() override
    {
        GLO::STD_MVA_TYPE = 0;
        WithWindows::TearDown();
    }
    int add(const std::string& name, const std::function<void(Record&)>& more = {})
    {
        return addProduct(*ctx, name, more);
    }
    Record stored(int32_t id)
    {
        auto& pro = ctx->access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, id);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        Record r = pro.rec();
        pro.CLOSE();
        return r;
    }
    QWidget* window() const { return contextwindows::windows(*ctx).front(); }
    QWidget* top() const { return contextwindows::windows(*ctx).back(); }
    BrowseWidget* list() const { return window()->findChild<BrowseWidget*>("produkter"); }
    QPushButton* button(QWidget* w, const char* name) const
    {
        auto* b = w->findChild<QPushButton*>(name);
        EXPECT_TRUE(b) << name;
        return b;
    }
    static QStringList tabNames(QWidget* form)
    {
        auto* tabs = form->findChild<QTabWidget*>("faner");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i);
        return names;
    }
};

} // namespace

TEST_F(ProduktWindowTest, SelectModeEndsWithTheWholeProductInTheBuffer)
{
    add("Hammer", [](Record& r) {
        r.set(PRO::BESKRIVELSE, "Snekkerhammer, 500 g");
        r.set(PRO::ENHETSPRIS, Decimal::fromInt(249));
    });
    add("Sag");
    std::vector<int> responses;
    desktop::PRODUKTKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    EXPECT_EQ(window()->windowTitle(), "Produktkartotek");
    EXPECT_EQ(list()->tabBar()->currentIndex(), 1);
    QPushButton* velg = button(window(), "velg");
    EXPECT_FALSE(velg->isHidden());
    ctx->rec(Tbl::PRODUKT).clear();
    list()->browse().model().setCurrentRow(0);
    QTest::mouseClick(velg, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(responses, std::vector<int>{RequestCompleted});
    const Record& r = ctx->rec(Tbl::PRODUKT);
    EXPECT_EQ(r.get(PRO::NAVN), "Hammer");
    EXPECT_EQ(r.get(PRO::BESKRIVELSE), "Snekkerhammer, 500 g");
    EXPECT_EQ(r.get(PRO::ENHETSPRIS), Decimal::fromInt(249));
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());

    // Closed without a choice: the caller hears it once.
    desktop::PRODUKTKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    window()->close();
    QApplication::processEvents();
    EXPECT_EQ(responses, (std::vector<int>{RequestCompleted, RequestCancelled}));

    // From the menu there is nothing to select.
    desktop::PRODUKTKARTOTEK(*ctx);
    EXPECT_TRUE(button(window(), "velg")->isHidden());
}

TEST_F(ProduktWindowTest, TheFormNormalisesTheDiscountAndOpensStockWithStockControl)
{
    desktop::PRODUKTKARTOTEK(*ctx);
    QTest::mouseClick(button(window(), "nytt"), Qt::LeftButton);
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "ProduktForm");
    EXPECT_EQ(form->windowTitle(), "Nytt produkt");
    EXPECT_EQ(tabNames(form), (QStringList{"Økonomi", "Lager", "Beskrivelse", "Div"}));
    EXPECT_EQ(form->findChild<QLabel*>("mvatype")->text(), "(Eksklusiv MVA)");
    EXPECT_TRUE(form->findChild<QGroupBox*>("mvagruppe")->isEnabled());
    auto* lager = form->findChild<QGroupBox*>("lagergruppe");
    EXPECT_FALSE(lager->isEnabled());
    form->findChild<QCheckBox*>("lagerstyring")->click();
    EXPECT_TRUE(lager->isEnabled());

    // The number the insert gave opens for editing only on the lookup key.
    auto* nr = form->findChild<QLineEdit*>("produktnr");
    EXPECT_TRUE(nr->isReadOnly());
    QTest::keyClick(nr, Qt::Key_F4);
    EXPECT_FALSE(nr->isReadOnly());

    form->findChild<QLineEdit*>("navn")->setText("Skrutrekker");
    form->findChild<QLineEdit*>("enhetsbenevning")->setText("stk");
    form->findChild<QLineEdit*>("maksrabatt")->setText("150");
    form->findChild<QPlainTextEdit*>("beskrivelse")->setPlainText("Stjerne, PH2");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(contextwindows::windows(*ctx).size(), 1);
    const Record r = stored(1);
    EXPECT_EQ(r.get(PRO::NAVN), "Skrutrekker");
    EXPECT_EQ(r.get(PRO::MAXFAKTURALINJERABATT), "100,00");
    EXPECT_EQ(r.get(PRO::LAGERSTYRING), 1);
    EXPECT_EQ(r.get(PRO::BESKRIVELSE), "Stjerne, PH2");
    auto& m = list()->browse().model();
    ASSERT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.data(m.index(0, 7)).toString(), "stk");
    EXPECT_EQ(m.data(m.index(0, 6)).toString(), "0,00");
}

TEST_F(ProduktWindowTest, WithoutVatTheVatFieldsAreClosedAndDefinedFieldsShowOnExtra)
{
    GLO::STD_MVA_TYPE = 0;
    {
        auto& egn = ctx->access(Tbl::EGENDEF);
        egn.OPEN();
        egn.rec().clear();
        egn.rec().set(EGN::TABELLNR, 2);
        egn.rec().set(EGN::FELTNAVN, "Tekst 1");
        egn.rec().set(EGN::LEDETEKST, "Leverandør");
        egn.rec().set(EGN::FELTPOSW, 80);
        egn.rec().set(EGN::FELTPOSH, 12);
        ASSERT_EQ(egn.INSERT(), LEVEL_BENIGN);
        egn.CLOSE();
    }
    add("Hammer");
    desktop::PRODUKTKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QWidget* form = top();
    EXPECT_EQ(form->windowTitle(), "Endre/vise produkt");
    EXPECT_EQ(form->findChild<QLabel*>("mvatype")->text(), "(Ingen MVA)");
    EXPECT_FALSE(form->findChild<QGroupBox*>("mvagruppe")->isEnabled());
    EXPECT_EQ(tabNames(form), (QStringList{"Økonomi", "Lager", "Beskrivelse", "Div", "Ekstra"}));
    auto* leverandor = form->findChild<QWidget*>("ekstra")->findChild<QLineEdit*>("216");
    ASSERT_TRUE(leverandor);
    leverandor->setText("Biltema");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(stored(1).get(PRO::TEKST1), "Biltema");
}
