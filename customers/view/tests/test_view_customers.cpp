// The customer register through its window, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "customers/view/customers_view.h"
#include "data/slots.h"
#include "data/tests/fixture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/tests/windowfixture.h"

using namespace tavlo;

namespace {

class KundekartotekWindowTest : public tavlo::testing::WithWindows<tavlo::testing::DataFolderTest> {
  protected:
    void SetUp() override
    {
        WithWindows::SetUp();
        GLO::FAST_FILTERID_KUNDE = 0;
        addCode(*ctx, 101, 5003, "BERGEN");
        addCode(*ctx, 103, 2, "Storkunder");
    }
    void TearDown() override
    {
        GLO::FAST_FILTERID_KUNDE = 0;
        WithWindows::TearDown();
    }
    int add(const std::string& name, int32_t postnr, int32_t group)
    {
        const int id = addCustomer(*ctx, name);
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, id);
        EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::POSTNR, postnr);
        kun.rec().set(KUN::KUNDEGRUPPE, group);
        EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
        return id;
    }
    QWidget* window() const { return contextwindows::windows(*ctx).front(); }
    QWidget* top() const { return contextwindows::windows(*ctx).back(); }
    void addContact(int32_t kunde, const std::string& name, const std::string& telefon)
    {
        auto& kon = ctx->access(Tbl::KONTAKT);
        kon.OPEN();
        kon.rec().clear();
        kon.rec().set(KON::KUNDEID, kunde);
        kon.rec().set(KON::NAVN, name);
        kon.rec().set(KON::TELEFON, telefon);
        EXPECT_EQ(kon.INSERT(), LEVEL_BENIGN);
        kon.CLOSE();
    }
    BrowseWidget* list() const { return window()->findChild<BrowseWidget*>("kunder"); }
    QStringList column(int c) const
    {
        QStringList out;
        auto& m = list()->browse().model();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, c)).toString().trimmed();
        return out;
    }
    // What the list draws in a cell: the text its delegate puts in place of the model's.
    QString drawn(int row, int c) const { return drawn(list(), row, c); }
    static QString drawn(BrowseWidget* list, int row, int c)
    {
        // initStyleOption is protected; the delegate's own override still runs.
        struct Open : QStyledItemDelegate {
            using QStyledItemDelegate::initStyleOption;
        };
        auto* table = list->table();
        const QModelIndex index = table->model()->index(row, c);
        QStyleOptionViewItem o;
        o.initFrom(table);
        static_cast<Open*>(static_cast<QStyledItemDelegate*>(table->itemDelegateForIndex(index)))
            ->initStyleOption(&o, index);
        return o.text;
    }
};

} // namespace

TEST_F(KundekartotekWindowTest, OpensOnTheNameTabWithTheSearchAndMarksWithSpace)
{
    add("Hansen", 5003, 2);
    add("Andersen", 0, 0);
    GLQ::TAG_KUNDE.push_back({1, 1});
    desktop::KUNDEKARTOTEK(*ctx);
    QWidget* w = window();
    EXPECT_EQ(w->windowTitle(), "Kundekartotek");
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
    EXPECT_EQ(list()->tabBar()->currentIndex(), 1);
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    EXPECT_EQ(drawn(1, 3), "5003 BERGEN");
    EXPECT_EQ(drawn(1, 4), "Storkunder");
    EXPECT_EQ(drawn(0, 3), "");

    auto* navn = w->findChild<QLineEdit*>("navn");
    ASSERT_TRUE(navn);
    EXPECT_FALSE(navn->isHidden());
    navn->setText("sen");
    QTest::keyClick(navn, Qt::Key_Return);
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    // Leaving the field accepts it as Enter does.
    QApplication::setActiveWindow(w);
    navn->setFocus();
    navn->setText("HANS");
    list()->table()->setFocus();
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    // The group tab lists one group: no locator there.
    list()->tabBar()->setCurrentIndex(4);
    EXPECT_TRUE(list()->locator()->isHidden());
    list()->tabBar()->setCurrentIndex(0);
    EXPECT_FALSE(list()->locator()->isHidden());
    EXPECT_TRUE(navn->isHidden());
    EXPECT_EQ(column(1), (QStringList{"Hansen", "Andersen"}));

    list()->browse().model().setCurrentRow(1);
    QTest::keyClick(list()->table(), Qt::Key_Space);
    ASSERT_EQ(GLQ::TAG_KUNDE.size(), 1u);
    EXPECT_EQ(GLQ::TAG_KUNDE[0].id, 2);
    EXPECT_EQ(list()->browse().model().data(list()->browse().model().index(1, 0),
                                            PagedTableModel::MarkRole),
              1);
    QTest::keyClick(list()->table(), Qt::Key_Space);
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
}

TEST_F(KundekartotekWindowTest, TheFilterButtonsShowTheDescriptionAndTheRefusal)
{
    add("Hansen", 5003, 2);
    add("Andersen", 0, 0);
    desktop::KUNDEKARTOTEK(*ctx);
    QWidget* w = window();
    auto* description = w->findChild<QLineEdit*>("beskrivelse");
    ASSERT_TRUE(description);

    answers.filterBuilder = [](int, std::string& e) {
        e = "KUN:PostNr = 5003";
        return true;
    };
    QTest::mouseClick(w->findChild<QPushButton*>("avgrensning"), Qt::LeftButton);
    EXPECT_EQ(description->text(), "KUN:PostNr = 5003");
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    answers.filterBuilder = [](int, std::string& e) {
        e = "KUN:PostNr = = 5003";
        return true;
    };
    QTest::mouseClick(w->findChild<QPushButton*>("avgrensning"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    QTest::mouseClick(w->findChild<QPushButton*>("merkAlle"), Qt::LeftButton);
    EXPECT_EQ(GLQ::TAG_KUNDE.size(), 1u);
    QTest::mouseClick(w->findChild<QPushButton*>("fjernAvgrensning"), Qt::LeftButton);
    EXPECT_EQ(description->text(), "");
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    QTest::mouseClick(w->findChild<QPushButton*>("fjernAvmerkinger"), Qt::LeftButton);
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
}

TEST_F(KundekartotekWindowTest, TheFormMarksTheMainContactInRedAndHidesAnEmptyExtraTab)
{
    const int id = add("Hansen", 5003, 2);
    addContact(id, "Kari", "");
    addContact(id, "Ola", "");
    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    fak.rec().clear();
    fak.rec().set(FAK::KUNDEID, id);
    fak.rec().set(FAK::FAKTURASTATUS, 7);
    fak.rec().set(FAK::TOTALSUM, Decimal::fromCents(123450));
    ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    fak.CLOSE();
    desktop::KUNDEKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "KundeForm");
    EXPECT_EQ(form->windowTitle(), "Endre/vise kunde");
    EXPECT_EQ(form->findChild<QLabel*>("postnrtekst")->text(), "BERGEN");
    EXPECT_EQ(form->findChild<QLabel*>("kundegruppetekst")->text(), "Storkunder");
    auto* tabs = form->findChild<QTabWidget*>("faner");
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        names << tabs->tabText(i);
    EXPECT_FALSE(names.contains("Ekstra"));
    EXPECT_TRUE(names.contains("Faktura"));
    QApplication::processEvents();
    auto* fakturaer = form->findChild<BrowseWidget*>("fakturaer");
    EXPECT_EQ(drawn(fakturaer, 0, 4), "???");
    EXPECT_EQ(form->findChild<QLineEdit*>("totalsumfakturaer")->text().trimmed(), "1.234,50");

    auto* kontakter = form->findChild<BrowseWidget*>("kontakter");
    ASSERT_TRUE(kontakter);
    QApplication::processEvents(); // the list takes as many rows as it has room for
    auto& m = kontakter->browse().model();
    ASSERT_EQ(m.rowCount(), 2);
    m.setCurrentRow(1);
    auto* mark = form->findChild<QPushButton*>("hovedkontakt");
    QTest::mouseClick(mark, Qt::LeftButton);
    EXPECT_EQ(m.data(m.index(1, 0), PagedTableModel::MarkRole), 1);
    EXPECT_EQ(m.data(m.index(0, 0), PagedTableModel::MarkRole), 0);
    QTest::mouseClick(mark, Qt::LeftButton);
    EXPECT_EQ(m.data(m.index(1, 0), PagedTableModel::MarkRole), 0);
    QTest::mouseClick(mark, Qt::LeftButton);

    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    auto& kun = ctx->access(Tbl::KUNDE);
    kun.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    EXPECT_NE(kun.rec().get(KUN::HOVEDKONTAKT), 0);
    EXPECT_TRUE(answers.shown.empty());

    // Deleting the main contact leaves the customer without one, not with one that is gone.
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    form = top();
    QApplication::processEvents();
    kontakter = form->findChild<BrowseWidget*>("kontakter");
    kontakter->browse().model().setCurrentRow(1);
    answers.answer(BUTTON_YES);
    ASSERT_TRUE(kontakter->browse().activate(DeleteRecord));
    EXPECT_EQ(kontakter->browse().model().rowCount(), 1);
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    kun.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::HOVEDKONTAKT), 0);
}

TEST_F(KundekartotekWindowTest, TheContactFormCopiesTheCustomersNumber)
{
    const int id = add("Hansen", 0, 0);
    auto& kun = ctx->access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    kun.rec().set(KUN::TELEFON, "55 12 34 56");
    ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
    addContact(id, "Kari", "22 22 22 22");
    desktop::KUNDEKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    auto* kontakter = top()->findChild<BrowseWidget*>("kontakter");
    kontakter->browse().model().setCurrentRow(0);
    ASSERT_TRUE(kontakter->browse().activate(ChangeRecord));
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "KONTAKTFORM");
    EXPECT_EQ(form->windowTitle(), "Endre/vise kontaktperson  (Hansen)");
    auto* telefon = form->findChild<QLineEdit*>("telefon");
    EXPECT_EQ(telefon->text(), "22 22 22 22");
    answers.answer(BUTTON_YES);
    QTest::mouseClick(form->findChild<QPushButton*>("kopiertelefon"), Qt::LeftButton);
    EXPECT_EQ(telefon->text(), "55 12 34 56");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Vil du overskrive allerede angitt telefonnummer?");
}

TEST_F(KundekartotekWindowTest, TheExtraTabHoldsTheCustomersDefinedFields)
{
    {
        auto& egn = ctx->access(Tbl::EGENDEF);
        egn.OPEN();
        egn.rec().clear();
        egn.rec().set(EGN::TABELLNR, 1);
        egn.rec().set(EGN::FELTNAVN, "Heltall 1");
        egn.rec().set(EGN::LEDETEKST, "Antall ansatte");
        egn.rec().set(EGN::FELTPOSW, 40);
        egn.rec().set(EGN::FELTPOSH, 12);
        ASSERT_EQ(egn.INSERT(), LEVEL_BENIGN);
        egn.CLOSE();
    }
    add("Hansen", 0, 0);
    desktop::KUNDEKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    auto* tabs = top()->findChild<QTabWidget*>("faner");
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        names << tabs->tabText(i);
    EXPECT_EQ(names,
              (QStringList{"Kontakter", "Økonomi", "Faktura", "Grunnlag", "Ekstra", "Notater"}));
    EXPECT_TRUE(top()->findChild<QWidget*>("ekstra")->findChild<QWidget*>("201"));
}

TEST_F(KundekartotekWindowTest, SelectModeEndsWithTheChosenCustomerAndLaterCommandsSaySo)
{
    add("Hansen", 5003, 2);
    add("Andersen", 0, 0);
    std::vector<int> responses;
    desktop::KUNDEKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    auto* velg = window()->findChild<QPushButton*>("velg");
    ASSERT_TRUE(velg);
    EXPECT_FALSE(velg->isHidden());
    list()->browse().model().setCurrentRow(1);
    QTest::mouseClick(velg, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(responses, std::vector<int>{RequestCompleted});
    EXPECT_EQ(ctx->rec(Tbl::KUNDE).get(KUN::NAVN), "Hansen");
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());

    desktop::KUNDEKARTOTEK(*ctx, [&](int response) { responses.push_back(response); });
    window()->close();
    QApplication::processEvents();
    EXPECT_EQ(responses, (std::vector<int>{RequestCompleted, RequestCancelled}));

    // Opened from the menu: nothing to select; invoice generation comes later.
    desktop::KUNDEKARTOTEK(*ctx);
    EXPECT_TRUE(window()->findChild<QPushButton*>("velg")->isHidden());
    QTest::mouseClick(window()->findChild<QPushButton*>("generer"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "GENERERNYEFAKTURAER kommer i en senere versjon av Tavlo.");
}

TEST_F(KundekartotekWindowTest, TheFormsInvoiceButtonsSayTheyComeLaterOrOpenTheFilledForm)
{
    const int32_t id = add("Hansen", 0, 0);
    desktop::KUNDEKARTOTEK(*ctx);
    list()->browse().model().setCurrentRow(0);
    auto button = [this](const char* text) {
        for (auto* b : top()->findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text))
                return b;
        return static_cast<QPushButton*>(nullptr);
    };
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QTest::mouseClick(button("Slett faktura"), Qt::LeftButton);
    QTest::mouseClick(button("Nytt grunnlag"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text, "FAKTURAFORM kommer i en senere versjon av Tavlo.");
    EXPECT_EQ(answers.shown[1].text, "GRUNNLAGFORM kommer i en senere versjon av Tavlo.");
    top()->close();
    QApplication::processEvents();

    // The invoice module has come: the form opened now starts it for this customer.
    std::vector<int32_t> kunder;
    procedures::FAKTURAFORM.fill([&](Context&, int32_t kunde, FormDone done) {
        kunder.push_back(kunde);
        done(RequestCancelled, {});
    });
    ASSERT_TRUE(list()->browse().activate(ChangeRecord));
    QTest::mouseClick(button("Ny faktura"), Qt::LeftButton);
    procedures::FAKTURAFORM.clear();
    EXPECT_EQ(kunder, std::vector<int32_t>{id});
    EXPECT_EQ(answers.shown.size(), 2u);
}
