// The system-parameter window on the offscreen platform: controls that follow other fields, the
// filter names, the layout buttons, what OK and Cancel leave behind, and that every text fits.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "data/tests/fixture.h"
#include "data/view/parameterbilde.h"
#include "framework/filemanager.h"
#include "framework/widgets/contextwindows.h"

using namespace tavlo;

namespace {

class ParameterWindowTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::STDMVATYPE, 1);
        par.rec().set(PAR::STDMVASATS, 25);
        par.rec().set(PAR::FAKTURATYPE, 1);
        par.rec().set(PAR::KONTONUMMER, "12345678901");
        EXPECT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
    }
    void TearDown() override
    {
        delete window.data();
        QApplication::processEvents();
        ctx.reset();
        DataFolderTest::TearDown();
    }

    ParameterWindow* open()
    {
        PARAMETERBILDE(*ctx);
        const auto open = contextwindows::windows(*ctx);
        window = open.isEmpty() ? nullptr : qobject_cast<ParameterWindow*>(open.back());
        return window;
    }
    template <class T = QLineEdit> T* control(const char* name) const
    {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    Record stored()
    {
        Record r(table(Tbl::PARAM));
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        EXPECT_EQ(par.NEXT(), LEVEL_BENIGN);
        r.copyFrom(par.rec());
        par.CLOSE();
        return r;
    }
    int restartMessages() const
    {
        int n = 0;
        for (const auto& m : answers.shown)
            n += m.text == ParameterForm::kRestartText && m.caption == "Advarsel";
        return n;
    }

    std::unique_ptr<Context> ctx;
    QPointer<ParameterWindow> window;
};

} // namespace

TEST_F(ParameterWindowTest, TheRateFollowsTheVatTypeAndTheLogoSizeThePercentage)
{
    ASSERT_TRUE(open());
    QLineEdit* rate = control("PAR:STDMVASATS");
    auto* types = control<QButtonGroup>("PAR:STDMVATYPE");
    ASSERT_TRUE(rate && types);
    EXPECT_TRUE(types->button(1)->isChecked());
    EXPECT_TRUE(rate->isEnabled());
    types->button(0)->click();
    EXPECT_FALSE(rate->isEnabled());
    types->button(2)->click();
    EXPECT_TRUE(rate->isEnabled());

    QLineEdit* percent = control("PAR:LOGO_RESIZE");
    QLineEdit* h = control("PAR:LOGO_H");
    QLineEdit* w = control("PAR:LOGO_W");
    EXPECT_TRUE(h->isEnabled() && w->isEnabled());
    percent->selectAll();
    QTest::keyClicks(percent, "50");
    EXPECT_FALSE(h->isEnabled() || w->isEnabled());
    percent->selectAll();
    QTest::keyClicks(percent, "0");
    EXPECT_TRUE(h->isEnabled() && w->isEnabled());

    // Saved with VAT type 0, the window opens with the rate disabled.
    types->button(0)->click();
    window->okButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(stored().get(PAR::STDMVATYPE), 0);
    ASSERT_TRUE(open());
    EXPECT_FALSE(control("PAR:STDMVASATS")->isEnabled());
}

// The EHF tab: the company's number and registrations are stored in the record's spare fields,
// and the customers' field chosen gets its labelled control on the customer form.
TEST_F(ParameterWindowTest, TheEhfTabStoresTheNumbersAndGivesCustomersTheirField)
{
    ASSERT_TRUE(open());
    QLineEdit* orgnr = control("PAR:CSTRING1");
    auto* mva = control<QCheckBox>("PAR:LONG1");
    auto* felt = control<QButtonGroup>("PAR:LONG3");
    ASSERT_TRUE(orgnr && mva && felt);
    QTest::keyClicks(orgnr, "987 654 325");
    mva->click();
    felt->button(3)->click();
    window->okButton()->click();
    QApplication::processEvents();
    const Record r = stored();
    EXPECT_EQ(r.get(PAR::CSTRING1), "987 654 325");
    EXPECT_EQ(r.get(PAR::LONG1), 1);
    EXPECT_EQ(r.get(PAR::LONG2), 0);
    EXPECT_EQ(r.get(PAR::LONG3), 3);
    auto& egn = ctx->access(Tbl::EGENDEF);
    egn.OPEN();
    egn.SET(EGN::KeyEgenDefId);
    ASSERT_EQ(egn.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(egn.rec().get(EGN::TABELLNR), 1);
    EXPECT_EQ(egn.rec().get(EGN::FELTNAVN), "Tekst 3");
    EXPECT_EQ(egn.rec().get(EGN::LEDETEKST), "Organisasjonsnr.:");
    egn.CLOSE();
}

TEST_F(ParameterWindowTest, FilterNamesFollowTheNumbersAsTheyAreTypedOrPicked)
{
    addFilter(*ctx, 1, 4, "Kunder i Bergen", "(KUN:PostNr >= 5000)", "");
    addFilter(*ctx, 2, 4, "Varer på lager", "(PRO:Lagerbeholdning > 0)", "");
    ASSERT_TRUE(open());
    QLineEdit* kunde = control("PAR:FASTFILTERIDKUNDE");
    QLabel* name = window->filterNameLabel(0);
    EXPECT_EQ(name->text(), "");
    QTest::keyClicks(kunde, "4");
    EXPECT_EQ(name->text(), "Kunder i Bergen");
    QTest::keyClick(kunde, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), "");

    // F4 picks among the product register's filters only.
    QLineEdit* produkt = control("PAR:FASTFILTERIDPRODUKT");
    produkt->setFocus();
    answers.picks.push_back(0);
    QTest::keyClick(produkt, Qt::Key_F4);
    EXPECT_EQ(produkt->text().trimmed(), "4");
    EXPECT_EQ(window->filterNameLabel(1)->text(), "Varer på lager");
    EXPECT_EQ(window->filterNameLabel(0)->text(), "");
    kunde->setFocus();
    answers.picks.push_back(0);
    QTest::keyClick(kunde, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(window->filterNameLabel(0)->text(), "Kunder i Bergen");
}

TEST_F(ParameterWindowTest, TheRestartMessageComesOnEveryCloseSavedOrNot)
{
    ASSERT_TRUE(open());
    window->cancelButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(restartMessages(), 1);
    EXPECT_EQ(answers.shown.size(), 1u); // nothing changed: no question about saving

    ASSERT_TRUE(open());
    QLineEdit* konto = control("PAR:KONTONUMMER");
    EXPECT_EQ(konto->text(), "1234.56.78901");
    konto->selectAll();
    QTest::keyClicks(konto, "9876.54.32109");
    EXPECT_EQ(control("PAR:KONTONUMMER_OCR")->text(), "9876.54.32109");
    window->okButton()->click();
    QApplication::processEvents();
    EXPECT_EQ(restartMessages(), 2);
    EXPECT_EQ(stored().get(PAR::KONTONUMMER), "98765432109");

    ASSERT_TRUE(open());
    control("PAR:NAVN")->setText("Endret AS");
    answers.answer(BUTTON_NO); // "Lagre post": leave without saving
    window->close();
    QApplication::processEvents();
    EXPECT_EQ(restartMessages(), 3);
    EXPECT_EQ(stored().get(PAR::NAVN), "");
}

TEST_F(ParameterWindowTest, LayoutButtonsSaveWhatIsShownAndShowWhatIsLoaded)
{
    ASSERT_TRUE(open());
    control("PAR:KUNDENR_X")->setText("4200");
    control("PAR:KUNDENR_JUSTERING")->setText("Høyre");
    control<QCheckBox>("PAR:INVERTERFAKTURALINJEHEADER")->setChecked(true);
    answers.fonts.push_back("Arial,12,0,700");
    QLineEdit* font = control("PAR:KUNDENR_FONT");
    auto* dots = control<QAbstractButton>("PAR:KUNDENR_FONT_VELG");
    ASSERT_TRUE(dots);
    dots->click();
    EXPECT_EQ(font->text(), "Arial,12,0,700");

    answers.files.push_back(path("topp.fak"));
    control<QPushButton>("Lagre")->click();
    EXPECT_EQ(answers.shown.back().caption, "Info");

    control("PAR:KUNDENR_X")->setText("1");
    font->setText("");
    control<QCheckBox>("PAR:INVERTERFAKTURALINJEHEADER")->setChecked(false);
    answers.files.push_back(path("topp.fak"));
    control<QPushButton>("Hent")->click();
    EXPECT_EQ(control("PAR:KUNDENR_X")->text().trimmed(), "4200");
    EXPECT_EQ(font->text(), "Arial,12,0,700");
    EXPECT_EQ(control("PAR:KUNDENR_JUSTERING")->text(), "Høyre");
    EXPECT_TRUE(control<QCheckBox>("PAR:INVERTERFAKTURALINJEHEADER")->isChecked());
}

// Every tab at the window's own size: no prompt, heading or button text is cut. With
// TAVLO_SCREENS set, each tab is saved there as a picture to look at.
TEST_F(ParameterWindowTest, EveryTextFitsOnEveryTab)
{
    ASSERT_TRUE(open());
    window->adjustSize();
    const QString screens = qEnvironmentVariable("TAVLO_SCREENS");
    QTabWidget* tabs = window->tabs();
    ASSERT_EQ(tabs->count(), 6);
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        QApplication::processEvents();
        for (auto* label : tabs->currentWidget()->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << tabs->tabText(t).toStdString() << ": " << label->text().toStdString();
            }
        }
        for (auto* button : tabs->currentWidget()->findChildren<QAbstractButton*>()) {
            if (button->isVisible()) {
                EXPECT_GE(button->width(), button->sizeHint().width())
                    << tabs->tabText(t).toStdString() << ": " << button->text().toStdString();
            }
        }
        if (!screens.isEmpty())
            window->grab().save(screens + "/parametere-" + QString::number(t + 1) + "-" +
                                tabs->tabText(t).toLower().replace("ø", "o") + ".png");
    }
}
