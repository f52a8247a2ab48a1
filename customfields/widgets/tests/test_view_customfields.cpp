// Custom fields on a real form window, and the registers of definitions and saved filters,
// on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

#include "customfields/widgets/customfields_view.h"
#include "customfields/widgets/egendefinertefelt.h"
#include "customfields/widgets/tabregister.h"
#include "data/filterproc.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"

using namespace tavlo;

namespace {

class CustomFieldsViewTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        for (auto& w : windows)
            delete w.data();
        QApplication::processEvents();
        ctx.reset();
        DataFolderTest::TearDown();
    }

    void define(int32_t table, const std::string& name,
                const std::function<void(Record&)>& more = {})
    {
        Context c(&errors);
        auto& egn = c.access(Tbl::EGENDEF);
        egn.OPEN();
        egn.rec().clear();
        egn.rec().set(EGN::TABELLNR, table);
        egn.rec().set(EGN::FELTNAVN, name);
        egn.rec().set(EGN::LEDETEKST, name);
        egn.rec().set(EGN::FELTPOSW, 40);
        egn.rec().set(EGN::FELTPOSH, 12);
        if (more)
            more(egn.rec());
        ASSERT_EQ(egn.INSERT(), LEVEL_BENIGN);
        egn.CLOSE();
    }
    void code(int32_t group, int32_t nr, const std::string& text)
    {
        Context c(&errors);
        auto& kod = c.access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().clear();
        kod.rec().set(KOD::GRUPPE, group);
        kod.rec().set(KOD::NR, nr);
        kod.rec().set(KOD::TEKST, text);
        ASSERT_EQ(kod.INSERT(), LEVEL_BENIGN);
        kod.CLOSE();
    }
    // A change form over the first record of the table, with its "Ekstra" page.
    FormWindow* form(Tbl table, int32_t tableNo, int* count)
    {
        auto& f = ctx->access(table);
        f.OPEN();
        f.rec().clear();
        EXPECT_EQ(f.INSERT(), LEVEL_BENIGN);
        auto* w =
            new FormWindow(std::make_unique<WindowManager>(*ctx, "TESTFORM", table, ChangeRecord),
                           QStringLiteral("Test"));
        page = new QWidget(w->body());
        page->resize(600, 300);
        *count = OPPRETTEGENDEFINERTEFELT(*w, tableNo, page, texts, groups, 0, 0);
        w->start({});
        windows.push_back(w);
        return w;
    }
    template <typename T> T* control(int number) const
    {
        return page->findChild<T*>(QString::number(number));
    }
    TabRegister* open(TabRegister* w)
    {
        windows.push_back(w);
        w->show();
        return w;
    }
    QStringList column(TabRegister* w, int c) const
    {
        auto& m = w->list()->browse().model();
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, c)).toString();
        return out;
    }
    QPushButton* button(QWidget* w, const QString& text) const
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        return nullptr;
    }
    FormWindow* lastForm() const
    {
        const auto all = QApplication::topLevelWidgets();
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (auto* f = qobject_cast<FormWindow*>(*it); f && f->isVisible())
                return f;
        return nullptr;
    }

    std::unique_ptr<Context> ctx;
    std::array<std::string, 10> texts{};
    std::array<int32_t, 10> groups{};
    QWidget* page = nullptr;
    std::vector<QPointer<QWidget>> windows;
};

} // namespace

TEST_F(CustomFieldsViewTest, NoDefinitionsNoControls)
{
    int count = -1;
    form(Tbl::KUNDE, 1, &count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(page->findChildren<QWidget*>().isEmpty());
}

TEST_F(CustomFieldsViewTest, ALookedUpWholeNumberShowsItsCodeAndPicksWithF4)
{
    code(103, 1, "Privat");
    code(103, 2, "Bedrift");
    define(1, "Heltall 3", [](Record& r) {
        r.set(EGN::FELTPOSX, 60);
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
        r.set(EGN::OPPSLAGPOSW, 80);
    });
    {
        Context c(&errors);
        auto& kun = c.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::NAVN, "Før");
        kun.rec().set(KUN::HELTALL3, 2);
        ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN); // the form edits the first one, number 1
        kun.CLOSE();
    }
    int count = 0;
    FormWindow* w = form(Tbl::KUNDE, 1, &count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(groups[2], 103);
    auto* spin = control<QSpinBox>(203);
    auto* text = control<QLineEdit>(303);
    ASSERT_NE(spin, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(control<QLabel>(103), nullptr);
    EXPECT_EQ(spin->maximum(), 2147483647);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->focusPolicy(), Qt::NoFocus);
    // To the right of the value, 3 units apart, as high as it; sizes in units of the font.
    const QFontMetrics fm(page->font());
    EXPECT_EQ(spin->geometry(), toPixels({68, 20, 40, 12}, fm));
    EXPECT_EQ(text->geometry(), toPixels({111, 20, 80, 12}, fm));

    // F4 picks from group 103: the second code is taken, its text shown.
    EXPECT_EQ(text->text(), "");
    answers.picks = {1, 0};
    QTest::keyClick(spin, Qt::Key_F4);
    EXPECT_EQ(answers.listsShown.size(), 1u);
    EXPECT_EQ(spin->value(), 2);
    EXPECT_EQ(w->form().record().get(KUN::HELTALL3), 2);
    EXPECT_EQ(text->text(), "Bedrift");
    EXPECT_EQ(texts[2], "Bedrift");
    // The right button on the box's entry line is a lookup as well.
    QTest::mouseClick(spin->findChild<QLineEdit*>(), Qt::RightButton);
    EXPECT_EQ(answers.listsShown.size(), 2u);
    EXPECT_EQ(text->text(), "Privat");
    // A number typed and accepted shows its text; one the group lacks shows none.
    spin->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(spin, "2");
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(text->text(), "Bedrift");
    spin->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(spin, "7");
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(w->form().record().get(KUN::HELTALL3), 7);
    EXPECT_EQ(text->text(), "");
    w->close();
}

TEST_F(CustomFieldsViewTest, DecimalsTextsAndCheckBoxesBindToTheirFields)
{
    define(3, "Desimaltall 2", [](Record& r) { r.set(EGN::FELTFORMAT, "@n-12.`2"); });
    define(3, "Tekst 1", [](Record& r) {
        r.set(EGN::AVKRYSSNINGSFELT, 1);
        r.set(EGN::FELTFORMAT, "@n3");
        r.set(EGN::LEDETEKSTPOSX, 200);
    });
    define(3, "Heltall 1", [](Record& r) {
        r.set(EGN::AVKRYSSNINGSFELT, 1);
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
    });
    int count = 0;
    FormWindow* w = form(Tbl::GRUNNLAG, 5, &count); // billing bases take the invoices' fields
    EXPECT_EQ(count, 3);
    auto* decimal = control<QLineEdit>(212);
    ASSERT_NE(decimal, nullptr);
    EXPECT_EQ(decimal->alignment() & Qt::AlignRight, Qt::AlignRight);
    decimal->setText("1234,5");
    auto* textBox = control<QCheckBox>(216);
    auto* numberBox = control<QCheckBox>(201);
    ASSERT_NE(textBox, nullptr);
    ASSERT_NE(numberBox, nullptr);
    EXPECT_EQ(textBox->text(), "Tekst 1");
    // A check box has no prompt and no lookup.
    EXPECT_EQ(control<QLabel>(116), nullptr);
    EXPECT_EQ(control<QLineEdit>(301), nullptr);
    EXPECT_EQ(groups[0], 0);
    textBox->setChecked(true);
    numberBox->setChecked(true);
    ASSERT_TRUE(w->commitFields());
    const Record& r = w->form().record();
    EXPECT_EQ(r.get(GRU::DESIMALTALL2).toCents(), 123450);
    EXPECT_EQ(r.get(GRU::TEKST1), "1");
    EXPECT_EQ(r.get(GRU::HELTALL1), 1);
    textBox->setChecked(false);
    EXPECT_EQ(r.get(GRU::TEKST1), "");
    w->close();
}

TEST_F(CustomFieldsViewTest, ACodeGroupOnADecimalOrTextKeepsItsOwnEntry)
{
    // Only whole numbers are codes; the others keep what they hold, beside an empty code text.
    define(1, "Desimaltall 1", [](Record& r) {
        r.set(EGN::FELTFORMAT, "@n-12.`2");
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
        r.set(EGN::OPPSLAGPOSW, 40);
    });
    define(1, "Tekst 2", [](Record& r) {
        r.set(EGN::FELTPOSY, 30);
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
        r.set(EGN::OPPSLAGPOSW, 40);
    });
    int count = 0;
    FormWindow* w = form(Tbl::KUNDE, 1, &count);
    EXPECT_EQ(count, 2);
    w->form().record().set(KUN::DESIMALTALL1, Decimal::fromCents(250));
    w->form().record().set(KUN::TEKST2, "Vestland");
    w->showFields();
    auto* decimal = control<QLineEdit>(211);
    auto* text = control<QLineEdit>(217);
    ASSERT_NE(decimal, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(decimal->text().trimmed(), "2,50");
    EXPECT_EQ(text->text().trimmed(), "Vestland");
    ASSERT_NE(control<QLineEdit>(311), nullptr);
    EXPECT_EQ(control<QLineEdit>(311)->text(), "");
    EXPECT_EQ(groups, (std::array<int32_t, 10>{}));
    decimal->setText("3");
    text->setText("Nordland");
    ASSERT_TRUE(w->commitFields());
    EXPECT_EQ(w->form().record().get(KUN::DESIMALTALL1), Decimal::fromInt(3));
    EXPECT_EQ(w->form().record().get(KUN::TEKST2), "Nordland");
    w->close();
}

TEST_F(CustomFieldsViewTest, DefinitionRegisterListsATabsTableAndTheFormEnablesByItsRules)
{
    define(1, "Heltall 1", [](Record& r) { r.set(EGN::LEDETEKST, "Kundens"); });
    define(3, "Tekst 2", [](Record& r) { r.set(EGN::LEDETEKST, "Fakturaens"); });
    TabRegister* w = open(egenDefBrowse(*ctx));
    EXPECT_EQ(w->windowTitle(), "Egendefinerte felter");
    QTabBar* tabs = w->list()->tabBar();
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(2), "Faktura/Grunnlag");
    EXPECT_EQ(column(w, 0), QStringList({"Kundens"}));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(column(w, 1), QStringList({"Tekst 2"}));
    tabs->setCurrentIndex(3);
    EXPECT_TRUE(column(w, 0).isEmpty());
    EXPECT_FALSE(button(w, "Endre/vise egendefinert felt")->isEnabled());

    // A new definition under "Prosjekt".
    QTest::mouseClick(button(w, "Nytt egendefinert felt"), Qt::LeftButton);
    FormWindow* f = lastForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Nytt egendefinert felt");
    EXPECT_EQ(f->okButton()->text(), "Lagre post");
    auto* format = f->body()->findChild<QLineEdit*>("FELTFORMAT");
    auto* width = f->body()->findChild<QLineEdit*>("OPPSLAGPOSW");
    auto* group = f->body()->findChild<QLineEdit*>("OPPSLAGKODEVERKGR");
    auto* promptX = f->body()->findChild<QLineEdit*>("LEDETEKSTPOSX");
    ASSERT_TRUE(format && width && group && promptX);
    auto boxes = f->body()->findChildren<QCheckBox*>();
    EXPECT_TRUE(format->isEnabled());
    EXPECT_FALSE(group->isEnabled()); // no lookup width yet
    width->setText("80");
    emit width->editingFinished();
    EXPECT_TRUE(group->isEnabled());
    boxes[0]->setChecked(true); // "&Avkryssningsfelt"
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(width->isEnabled());
    EXPECT_FALSE(group->isEnabled());
    EXPECT_FALSE(promptX->isEnabled());
    f->body()->findChild<QComboBox*>()->setCurrentIndex(19);
    f->body()->findChild<QLineEdit*>("LEDETEKST")->setText("Prosjektets");
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(column(w, 0), QStringList({"Prosjektets"}));
    EXPECT_EQ(column(w, 1), QStringList({"Tekst 5"}));
    EXPECT_EQ(ctx->rec(Tbl::EGENDEF).get(EGN::TABELLNR), 13);

    // Changing it opens on its values, the check box's rule applied at once.
    QTest::mouseClick(button(w, "Endre/vise egendefinert felt"), Qt::LeftButton);
    f = lastForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Endre/vise egendefinert felt");
    EXPECT_EQ(f->body()->findChild<QComboBox*>()->currentText(), "Tekst 5");
    EXPECT_FALSE(f->body()->findChild<QLineEdit*>("FELTFORMAT")->isEnabled());
    f->close();
    QApplication::processEvents();
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(CustomFieldsViewTest, FilterRegisterSavesUnderItsTabAndBuildsOnTheText)
{
    addFilter(*ctx, 1, 2, "Oslo", "(KUN:PostNr < 1000)", "Kunder i Oslo");
    TabRegister* w = open(filterBrowse(*ctx));
    EXPECT_EQ(w->windowTitle(), "Filter");
    QTabBar* tabs = w->list()->tabBar();
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->tabText(3), "Grunnlag");
    EXPECT_EQ(column(w, 1), QStringList({"Oslo"}));
    // The highlighted filter's texts below the list.
    EXPECT_EQ(w->findChild<QPlainTextEdit*>("filter")->toPlainText(), "(KUN:PostNr < 1000)");
    EXPECT_EQ(w->findChild<QPlainTextEdit*>("beskrivelse")->toPlainText(), "Kunder i Oslo");
    EXPECT_EQ(button(w, "&Ny")->toolTip(), "Nytt egendefinert felt");

    tabs->setCurrentIndex(3);
    EXPECT_TRUE(column(w, 1).isEmpty());
    EXPECT_EQ(w->findChild<QPlainTextEdit*>("filter")->toPlainText(), "");
    QTest::mouseClick(button(w, "&Ny"), Qt::LeftButton);
    FormWindow* f = lastForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Nytt standardfilter");
    EXPECT_EQ(f->okButton()->text(), "Lagre post");
    auto edits = f->body()->findChildren<QLineEdit*>();
    edits[0]->setText("4");
    edits[1]->setText("Månedlige");
    auto* text = f->body()->findChildren<QPlainTextEdit*>()[0];
    text->setPlainText("(GRU:MVAType = 1)");
    int builtFor = 0;
    answers.filterBuilder = [&](int tableNo, std::string& expression) {
        builtFor = tableNo;
        expression += " AND (GRU:Sum > 0)";
        return true;
    };
    text->setFocus();
    QTest::keyClick(text, Qt::Key_F4);
    EXPECT_EQ(builtFor, 5);
    EXPECT_EQ(text->toPlainText(), "(GRU:MVAType = 1) AND (GRU:Sum > 0)");
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(column(w, 1), QStringList({"Månedlige"}));

    std::string filter, description;
    EXPECT_EQ(SETFILTER(*ctx, 5, 4, filter, description), 1);
    EXPECT_EQ(filter, "(GRU:MVAType = 1) AND (GRU:Sum > 0)");
    EXPECT_EQ(SETFILTER(*ctx, 1, 4, filter, description), 0);
}

TEST_F(CustomFieldsViewTest, EntryProceduresOpenTheirRegistersAndReturnAtOnce)
{
    for (auto [procedure, caption] :
         {std::pair{&EGENDEFBROWSE, "Egendefinerte felter"}, std::pair{&FILTERBROWSE, "Filter"}}) {
        contextwindows::startInContext(procedure, &errors);
        ASSERT_EQ(contextwindows::runningContexts(), 1) << caption;
        QPointer<TabRegister> w;
        for (QWidget* t : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<TabRegister*>(t); r && r->windowTitle() == caption)
                w = r;
        ASSERT_FALSE(w.isNull()) << caption;
        w->close();
        QApplication::processEvents();
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(contextwindows::runningContexts(), 0);
    }
}
