// Registers and forms through their windows, on the offscreen platform: the keys, menu and
// buttons of a list, what a form writes (or does not), and the waiting of one context's windows
// for its form while the windows of other contexts stay usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <set>

#include "data/context.h"
#include "data/lookups.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/widgetanswers.h"

using namespace tavlo;

namespace {

class RegisterTest : public tavlo::testing::DataFolderTest {
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
        for (auto& f : forms)
            delete f.data();
        QApplication::processEvents();
        other.reset();
        ctx.reset();
        DataFolderTest::TearDown();
    }

    // "Kunde 00001" … in number and name order alike, in one transaction.
    void store(int n)
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        ASSERT_EQ(kun.USEFILE(), LEVEL_BENIGN);
        StoreError err;
        ASSERT_TRUE(kun.file()->begin(err));
        for (int i = 1; i <= n; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "Kunde %05d", i);
            kun.rec().clear();
            kun.rec().set(KUN::NAVN, name);
            kun.rec().set(KUN::POSTNR, 1000 + i % 9000);
            ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
        }
        ASSERT_TRUE(kun.file()->commit(err));
        kun.CLOSE();
    }

    // The customer form: name and postal number.
    void customerForm(Context& c, BrowseClass::FormDone done)
    {
        auto* w = new FormWindow(std::make_unique<WindowManager>(c, "KUNDEFORM", Tbl::KUNDE),
                                 QStringLiteral("Kunde"));
        auto* layout = new QFormLayout(w->body());
        auto* navn = new QLineEdit;
        auto* postnr = new QLineEdit;
        layout->addRow(QStringLiteral("&Navn:"), navn);
        layout->addRow(QStringLiteral("&Postnr:"), postnr);
        w->bind(navn, KUN::NAVN.no, "@s50");
        w->bind(postnr, KUN::POSTNR.no, "@n04");
        w->setFirstField(navn);
        forms.push_back(w);
        w->start(std::move(done));
    }

    // A customer register in its own window over the context: tabs "Navn" and "Nummer".
    BrowseWidget* openRegister(Context& c)
    {
        auto view = std::make_unique<ViewManager>();
        view->INIT(c, Tbl::KUNDE);
        view->ADDSORTORDER(KUN::KeyNavn);
        view->ADDSORTORDER(KUN::KeyKundeId);
        auto browse = std::make_unique<BrowseClass>(
            c, std::move(view),
            std::vector<PagedTableModel::Column>{{KUN::KUNDEID.no, "Nr", "@n_8", {}},
                                                 {KUN::NAVN.no, "Navn", "@s50", {}}},
            std::vector<std::string>{"Navn", "Nummer"});
        browse->updateProcedure = [this](Context& fc, BrowseClass::FormDone done) {
            customerForm(fc, std::move(done));
        };
        auto* w = new BrowseWidget(std::move(browse));
        w->setAttribute(Qt::WA_DontShowOnScreen, false);
        w->resize(420, 400);
        contextwindows::open(c, w);
        w->show();
        w->start();
        windows.push_back(w);
        return w;
    }

    FormWindow* lastForm() const { return forms.empty() ? nullptr : forms.back().data(); }
    int id(BrowseWidget* w, int row) const
    {
        auto& m = w->browse().model();
        return m.data(m.index(row, 0)).toString().toInt();
    }
    QString name(BrowseWidget* w, int row) const
    {
        auto& m = w->browse().model();
        return m.data(m.index(row, 1)).toString();
    }
    QStringList names(BrowseWidget* w) const
    {
        QStringList out;
        for (int r = 0; r < w->browse().model().rowCount(); ++r)
            out << name(w, r);
        return out;
    }
    // The stored revision of a customer (0 when gone), as another station reads it.
    int64_t revision(int kundeid)
    {
        Context reader(&errors);
        auto& kun = reader.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, kundeid);
        int64_t rev = kun.TRYFETCH(KUN::KeyKundeId) == LEVEL_BENIGN ? kun.current().rev : 0;
        kun.CLOSE();
        return rev;
    }
    static void key(BrowseWidget* w, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(w->table(), Qt::Key(k), mods);
    }

    std::unique_ptr<Context> ctx, other;
    std::vector<QPointer<QWidget>> windows;
    std::vector<QPointer<FormWindow>> forms;
};

} // namespace

TEST_F(RegisterTest, PagesThroughTenThousandRowsWithTheKeysHoldingOnePage)
{
    store(10000);
    BrowseWidget* w = openRegister(*ctx);
    auto& model = w->browse().model();
    const int page = model.pageSize();
    ASSERT_GT(page, 5);
    ASSERT_LT(page, 40);
    EXPECT_EQ(model.rowCount(), page);
    EXPECT_EQ(w->table()->verticalScrollBar()->isVisible(), false);

    std::vector<int> seen;
    for (int r = 0; r < model.rowCount(); ++r)
        seen.push_back(id(w, r));
    int presses = 0;
    while (presses++ < 2000) {
        const int before = id(w, model.rowCount() - 1);
        key(w, Qt::Key_PageDown);
        ASSERT_LE(model.rowCount(), page);
        for (int r = 0; r < model.rowCount(); ++r)
            if (id(w, r) > seen.back())
                seen.push_back(id(w, r));
        if (id(w, model.rowCount() - 1) == before)
            break;
    }
    ASSERT_EQ(seen.size(), 10000u);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(seen[i], i + 1);
    EXPECT_EQ(model.currentRow(), model.rowCount() - 1);
    // Down at the bottom of the view stays; Up at the top of the page reads one row back.
    key(w, Qt::Key_Down);
    EXPECT_EQ(id(w, model.currentRow()), 10000);
    key(w, Qt::Key_Home);
    EXPECT_EQ(id(w, 0), 1);
    key(w, Qt::Key_End);
    EXPECT_EQ(id(w, model.rowCount() - 1), 10000);
    for (int i = 0; i < page; ++i)
        key(w, Qt::Key_Up);
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(id(w, 0), 10000 - page);
    key(w, Qt::Key_Up);
    EXPECT_EQ(id(w, 0), 10000 - page - 1);

    // The locator finds a name on the name tab and a number on the number tab.
    QTest::keyClicks(w->locator(), "Kunde 0500");
    EXPECT_EQ(id(w, model.currentRow()), 5000);
    w->tabBar()->setCurrentIndex(1);
    EXPECT_TRUE(w->locator()->text().isEmpty());
    EXPECT_EQ(id(w, 0), 1);
    QTest::keyClicks(w->locator(), "777");
    EXPECT_EQ(id(w, model.currentRow()), 777);
}

TEST_F(RegisterTest, KeysMenuAndDoubleClickStartTheirRequests)
{
    store(30);
    BrowseWidget* w = openRegister(*ctx);
    BrowseClass& b = w->browse();

    auto menu = [w] {
        std::unique_ptr<QMenu> m(w->popupMenu());
        QStringList texts;
        for (QAction* a : m->actions())
            texts << a->text();
        return texts;
    };
    EXPECT_EQ(menu(), QStringList({"&Insert", "&Change", "&Delete", "&View"}));
    b.buttons.print = true;
    b.printProcedure = [] {};
    b.buttons.remove = false;
    EXPECT_EQ(menu(), QStringList({"&Insert", "&Change", "&View", "&Print"}));
    b.buttons.remove = true;

    const std::vector<std::pair<int, Qt::KeyboardModifiers>> keys = {
        {Qt::Key_Insert, Qt::NoModifier},
        {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Return, Qt::ShiftModifier}};
    const int expected[] = {InsertRecord, ChangeRecord, ViewRecord};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        key(w, keys[i].first, keys[i].second);
        ASSERT_NE(lastForm(), nullptr);
        EXPECT_EQ(lastForm()->form().originalRequest(), expected[i]);
        EXPECT_TRUE(b.formOpen());
        EXPECT_FALSE(b.activate(ChangeRecord)); // one form of a list at a time
        lastForm()->close();
        EXPECT_FALSE(b.formOpen());
        QApplication::processEvents();
    }
    const QModelIndex row = b.model().index(2, 1);
    const QPoint at = w->table()->visualRect(row).center();
    QTest::mouseClick(w->table()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w->table()->viewport(), Qt::LeftButton, {}, at);
    ASSERT_NE(lastForm(), nullptr);
    EXPECT_EQ(lastForm()->form().originalRequest(), ChangeRecord);
    EXPECT_EQ(lastForm()->form().record().get(KUN::NAVN), "Kunde 00003");
    lastForm()->close();
    // Nothing was asked: every form was left unchanged.
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(RegisterTest, UnchangedFormsWriteNothingAndAskNothing)
{
    store(30);
    BrowseWidget* w = openRegister(*ctx);
    const int64_t rev = revision(1);

    key(w, Qt::Key_Return, Qt::ControlModifier);
    FormWindow* f = lastForm();
    ASSERT_NE(f, nullptr);
    auto* navn = f->body()->findChild<QLineEdit*>();
    EXPECT_EQ(navn->text(), "Kunde 00001");
    EXPECT_TRUE(navn->hasFocus() || !QApplication::focusWidget());
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(forms.back().isNull());
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(revision(1), rev);

    // Cancel on an insert form the user left alone: no question, the number given back.
    key(w, Qt::Key_Insert);
    f = lastForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->form().record().get(KUN::KUNDEID), 31);
    QTest::mouseClick(f->cancelButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(revision(31), 0);
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_EQ(w->browse().model().rowCount(), w->browse().model().pageSize());
}

TEST_F(RegisterTest, TypedValuesAreWrittenAndShownAndBadOnesRefused)
{
    store(5);
    BrowseWidget* w = openRegister(*ctx);
    key(w, Qt::Key_Insert);
    FormWindow* f = lastForm();
    ASSERT_NE(f, nullptr);
    auto edits = f->body()->findChildren<QLineEdit*>();
    edits[0]->setText("Aas Bygg");
    edits[1]->setText("12345"); // no postal number
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Ugyldig verdi: 12345");
    EXPECT_FALSE(forms.back().isNull());
    EXPECT_NE(revision(6), 0); // reserved, not yet written with the name

    edits[1]->setText("0150");
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(forms.back().isNull());
    // The inserted record is current in the list, where the name order puts it.
    auto& m = w->browse().model();
    EXPECT_EQ(name(w, m.currentRow()), "Aas Bygg");
    EXPECT_EQ(id(w, m.currentRow()), 6);

    // A change shows in the list when the form has ended.
    key(w, Qt::Key_Return, Qt::ControlModifier);
    f = lastForm();
    f->body()->findChild<QLineEdit*>()->setText("Aas Bygg og Anlegg");
    QTest::mouseClick(f->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(name(w, m.currentRow()), "Aas Bygg og Anlegg");
}

TEST_F(RegisterTest, ADeclinedDeleteLeavesTheListAndAViewCannotWrite)
{
    store(30);
    BrowseWidget* w = openRegister(*ctx);
    key(w, Qt::Key_Down);
    const QStringList before = names(w);
    answers.answer(BUTTON_NO);
    key(w, Qt::Key_Delete);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Bekreft Sletting");
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(names(w), before);
    EXPECT_NE(revision(2), 0);
    QApplication::processEvents();
    EXPECT_TRUE(forms.back().isNull() || !forms.back()->isVisible());

    answers.answer(BUTTON_YES);
    key(w, Qt::Key_Delete);
    EXPECT_EQ(revision(2), 0);
    EXPECT_EQ(name(w, w->browse().model().currentRow()), "Kunde 00003");

    // The view request: read-only fields, only "Lukk", nothing written whatever is typed.
    const int64_t rev = revision(3);
    answers.shown.clear();
    key(w, Qt::Key_Return, Qt::ShiftModifier);
    FormWindow* f = lastForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->okButton(), nullptr);
    EXPECT_EQ(f->saveButton(), nullptr);
    EXPECT_EQ(f->cancelButton()->text(), "Lukk");
    auto* navn = f->body()->findChild<QLineEdit*>();
    EXPECT_TRUE(navn->isReadOnly());
    QTest::keyClicks(navn, "X");
    navn->setText("Endret likevel");
    QTest::keyClick(f, Qt::Key_H, Qt::ControlModifier);
    f->close();
    QApplication::processEvents();
    EXPECT_EQ(revision(3), rev);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(RegisterTest, AFormHoldsUpOnlyTheWindowsOfItsOwnContext)
{
    store(10);
    other = std::make_unique<Context>(&errors);
    BrowseWidget* a = openRegister(*ctx);
    BrowseWidget* b = openRegister(*other);

    key(a, Qt::Key_Return, Qt::ControlModifier);
    QPointer<FormWindow> fa = lastForm();
    EXPECT_FALSE(a->isEnabled());
    EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(contextwindows::active(fa));

    key(b, Qt::Key_Down);
    key(b, Qt::Key_Return, Qt::ControlModifier);
    QPointer<FormWindow> fb = lastForm();
    EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(fa->isEnabled());

    // The first form ends first, while the second stays open: no loop to unwind in order.
    fa->body()->findChild<QLineEdit*>()->setText("Kunde 00001 AS");
    QTest::mouseClick(fa->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(fa.isNull());
    EXPECT_TRUE(a->isEnabled());
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(name(a, a->browse().model().currentRow()), "Kunde 00001 AS");

    fb->body()->findChild<QLineEdit*>()->setText("Kunde 00002 AS");
    answers.answer(BUTTON_NO); // "Lagre post": leave without saving
    fb->close();
    QApplication::processEvents();
    EXPECT_TRUE(fb.isNull());
    EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(name(b, b->browse().model().currentRow()), "Kunde 00002");
}

TEST_F(RegisterTest, EachStartOfAProcedureGetsAContextEndingWithItsLastWindow)
{
    store(10);
    std::vector<BrowseWidget*> opened;
    auto procedure = [&](Context& c) { opened.push_back(openRegister(c)); };
    contextwindows::startInContext(procedure, &errors);
    contextwindows::startInContext(procedure, &errors);
    contextwindows::startInContext([](Context&) {}, &errors); // opened nothing: ended at once
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(contextwindows::runningContexts(), 2);
    BrowseWidget *a = opened[0], *b = opened[1];
    EXPECT_NE(&a->browse().context(), &b->browse().context());

    // Two copies of one register keep their own places and forms.
    key(b, Qt::Key_End);
    auto& bm = b->browse().model();
    ASSERT_EQ(bm.loadRecord(bm.currentRow()), LEVEL_BENIGN);
    EXPECT_EQ(id(a, a->browse().model().currentRow()), 1);
    key(a, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(lastForm()->form().record().get(KUN::NAVN), "Kunde 00001");
    EXPECT_EQ(b->browse().context().rec(Tbl::KUNDE).get(KUN::NAVN), "Kunde 00010");
    EXPECT_TRUE(b->isEnabled());
    lastForm()->close();
    QApplication::processEvents();

    delete a;
    EXPECT_EQ(contextwindows::runningContexts(), 1);
    delete b;
    EXPECT_EQ(contextwindows::runningContexts(), 0);
}

TEST_F(RegisterTest, SelectModeEndsWithTheChosenRecordInTheBuffer)
{
    store(10);
    BrowseWidget* w = openRegister(*ctx);
    BrowseClass& b = w->browse();
    b.selectMode = true;
    int closed = 0;
    b.closeRegister = [&](int response) { closed = response; };
    key(w, Qt::Key_Down);
    key(w, Qt::Key_Down);
    key(w, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(closed, RequestCompleted);
    EXPECT_EQ(ctx->rec(Tbl::KUNDE).get(KUN::NAVN), "Kunde 00003");
    EXPECT_TRUE(forms.empty());
}

TEST_F(RegisterTest, LookupKeysOpenTheListWhichStaysInsideTheFrame)
{
    QWidget window;
    auto* field = new QLineEdit(&window);
    int opened = 0;
    installLookup(field, [&] { ++opened; });
    window.show();
    QTest::keyClick(field, Qt::Key_F4);
    QTest::keyClick(field, Qt::Key_F4, Qt::ShiftModifier);
    QTest::mouseClick(field, Qt::RightButton);
    QTest::mouseClick(field, Qt::RightButton, Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_F5);
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_EQ(opened, 4);

    const QFontMetrics fm(field->font());
    const QRect frame(0, 0, 800, 600);
    const QPoint below = lookupPosition(QRect(100, 100, 120, 20), QSize(200, 150), frame, fm);
    EXPECT_EQ(below, QPoint(100 + fm.averageCharWidth() / 2, 100 + 13 * fm.height() / 8));
    // At the frame's right and bottom edges the list moves left and up into it.
    const QPoint corner = lookupPosition(QRect(750, 580, 40, 20), QSize(200, 150), frame, fm);
    EXPECT_EQ(corner, QPoint(600, 450));
}

TEST_F(RegisterTest, APickListWithNothingToOfferNeverOpens)
{
    WidgetAnswers widgets;
    ErrorClass withWidgets(&widgets);
    Context c(&withWidgets);
    for (int nr = 1; nr <= 3; ++nr)
        addCode(c, 103, nr, "Gruppe " + std::to_string(nr),
                [](Record& r) { r.set(KOD::IKKEIBRUK, 1); });
    bool appeared = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QWidget* m = QApplication::activeModalWidget())
            appeared = m->close();
    });
    watch.start(5);
    EXPECT_EQ(HENTKODA(c, 103, 2), 2);
    watch.stop();
    EXPECT_FALSE(appeared);
}
