// The copy dialog and the project-link dialog through their windows, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "customers/view/customers_view.h"
#include "data/globals.h"
#include "data/parameters.h"
#include "data/slots.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/reportprogress.h"
#include "framework/widgets/tests/windowfixture.h"
#include "invoices/fakturakartotek.h"
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
    static QPushButton* buttonText(QWidget* w, const QString& text)
    {
        for (auto* b : w->findChildren<QPushButton*>())
            if (b->text() == text)
                return b;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
    // Types into a field as the user does, and leaves it with Enter.
    static void type(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    void shoot(QWidget* w, const char* file)
    {
        // The window's own resizing, and what it queues in turn.
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        if (const char* dir = std::getenv("TAVLO_SCREENS"))
            w->grab().save(QString::fromUtf8(dir) + "/" + file);
    }
    // The printout runs off timer events; its preview comes when the run is done.
    void waitForPreview()
    {
        for (int i = 0; i < 200 && (contextwindows::windows(*ctx).isEmpty() ||
                                    !dynamic_cast<PrintPreviewClass*>(top()));
             ++i)
            QTest::qWait(5);
    }
    Decimal stock(int32_t id)
    {
        Context other(&errors);
        auto& pro = other.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, id);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        const Decimal d = pro.rec().get(PRO::LAGERBEHOLDNING);
        pro.CLOSE();
        return d;
    }
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

TEST_F(DialogTest, AWholeInvoiceIsWrittenChangedAndSavedThroughItsWindows)
{
    GLO::STD_MVA_TYPE = 1;
    const int kunde = addCustomer(*ctx, "Kari Nordmann");
    const int skrue = addProduct(*ctx, "Skrue", [](Record& r) {
        r.set(PRO::ENHETSPRIS, *Decimal::parse("10"));
        r.set(PRO::MVAPLIKTIG, 1);
        r.set(PRO::MVASATS, 25);
        r.set(PRO::ENHETSBENEVNING, "stk");
        r.set(PRO::STDFAKTURALINJEANTALL, *Decimal::parse("1"));
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("10"));
    });
    auto& fak = ctx->access(Tbl::FAKTURA);
    fak.OPEN();
    GlobalRequest = InsertRecord;
    std::vector<int> done;
    desktop::FAKTURAFORM(*ctx, 0, [&](int r, RowRef) { done.push_back(r); });
    QWidget* form = top();
    ASSERT_EQ(form->objectName(), "FAKTURAFORM");
    EXPECT_EQ(child(form, "fakturanr")->text().trimmed(), "2"); // after the invoice of SetUp
    // The customer picked in the customer register, opened for choosing with F4.
    procedures::KUNDEKARTOTEK.fill(desktop::KUNDEKARTOTEK);
    QTest::keyClick(child(form, "kundeid"), Qt::Key_F4);
    QWidget* register_ = top();
    ASSERT_EQ(register_->objectName(), "KUNDEKARTOTEK");
    register_->findChild<BrowseWidget*>("kunder")->browse().model().setCurrentRow(0);
    QTest::mouseClick(child<QPushButton>(register_, "velg"), Qt::LeftButton);
    QApplication::processEvents();
    procedures::KUNDEKARTOTEK.clear();
    ASSERT_EQ(top(), form);
    EXPECT_EQ(child(form, "kundeid")->text().trimmed(), QString::number(kunde));
    EXPECT_EQ(child(form, "kundenavn")->text(), "Kari Nordmann");

    QTest::mouseClick(buttonText(form, "Ny fakturalinje"), Qt::LeftButton);
    QWidget* linje = top();
    ASSERT_EQ(linje->objectName(), "FAKTURALINJEFORM");
    type(child(linje, "produktid"), QString::number(skrue));
    EXPECT_EQ(child(linje, "produktnavn")->text(), "Skrue");
    type(child(linje, "antall"), "3");
    EXPECT_EQ(child(linje, "sum")->text().trimmed(), "30,00");
    // A quantity that does not fit is said, and the line keeps the last good one.
    type(child(linje, "antall"), "123456789012345");
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().text.rfind("Ugyldig verdi", 0), 0u);
    EXPECT_EQ(qobject_cast<FormWindow*>(linje)->form().record().get(FLI::ANTALL),
              *Decimal::parse("3"));
    type(child(linje, "antall"), "3");
    shoot(linje, "fakturalinjeform.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    ASSERT_EQ(top(), linje); // stays for the next line
    type(child(linje, "produktnavn"), "Frakt");
    type(child(linje, "enhetspris"), "100");
    type(child(linje, "antall"), "1");
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    type(child(linje, "produktnavn"), "Takk for handelen");
    answers.answer(BUTTON_YES); // "Overskrift?"
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->cancelButton(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(top(), form);
    EXPECT_EQ(stock(skrue), *Decimal::parse("7"));
    EXPECT_EQ(child<BrowseWidget>(form, "linjer")->browse().model().rowCount(), 3);
    EXPECT_EQ(child(form, "sum")->text().trimmed(), "130,00");
    EXPECT_EQ(child(form, "mva")->text().trimmed(), "7,50");
    EXPECT_EQ(child(form, "totalsum")->text().trimmed(), "137,50");
    EXPECT_EQ(child(form, "totalsum")->palette().color(QPalette::Text), QColor(0, 0, 128));
    shoot(form, "fakturaform.png");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(done, std::vector<int>{RequestCompleted});
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());

    // Reopened: the first line's quantity from 3 to 5 takes 2 more from stock.
    fak.rec().set(FAK::FAKTURAID, 2);
    ASSERT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    EXPECT_EQ(fak.rec().get(FAK::TOTALSUM), *Decimal::parse("137.50"));
    GlobalRequest = ChangeRecord;
    desktop::FAKTURAFORM(*ctx, 0, [&](int r, RowRef) { done.push_back(r); });
    form = top();
    auto* lines = child<BrowseWidget>(form, "linjer");
    lines->browse().model().setCurrentRow(0);
    ASSERT_TRUE(lines->browse().activate(ChangeRecord));
    linje = top();
    EXPECT_EQ(linje->windowTitle(), "Fakturalinje");
    type(child(linje, "antall"), "5");
    QTest::mouseClick(qobject_cast<FormWindow*>(linje)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(top(), form);
    EXPECT_EQ(stock(skrue), *Decimal::parse("5"));
    EXPECT_EQ(child(form, "totalsum")->text().trimmed(), "162,50");
    QTest::mouseClick(qobject_cast<FormWindow*>(form)->okButton(), Qt::LeftButton);
    QApplication::processEvents();
    fak.rec().set(FAK::FAKTURAID, 2);
    ASSERT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    EXPECT_EQ(fak.rec().get(FAK::TOTALSUM), *Decimal::parse("162.50"));
    fak.CLOSE();
    GLO::STD_MVA_TYPE = 0;
}

TEST_F(DialogTest, TheInvoiceIsPreviewedAndMarkedPrintedOnlyWhenPrinted)
{
    auto status = [&] {
        Context other(&errors);
        auto& fak = other.access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().set(FAK::FAKTURAID, 1);
        EXPECT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        const int32_t s = fak.rec().get(FAK::UTSKRIFTSTATUS);
        fak.CLOSE();
        return s;
    };
    {
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
        par.rec().set(PAR::FAKTURATYPE, 3); // two documents: a giro page and the invoice
        standardOppsett(par.rec());
        par.rec().set(PAR::NAVN, "Snekker Hansen AS");
        par.rec().set(PAR::KONTONUMMER, "12345678903");
        ASSERT_EQ(par.UPDATE(), LEVEL_BENIGN);
        par.CLOSE();
    }
    desktop::VELGFAKTURARAPPORT(*ctx, 1);
    waitForPreview();
    auto* preview = dynamic_cast<PrintPreviewClass*>(top());
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->pageCount(), 2);
    EXPECT_EQ(preview->pagesToPrint(), "1-2");
    auto* side = child<QSpinBox>(preview, "side");
    EXPECT_TRUE(side->isEnabled());
    EXPECT_EQ(side->toolTip(), "Enter a page number from 1 to 2");
    auto* zoom = child<QComboBox>(preview, "zoom");
    ASSERT_EQ(zoom->count(), 7);
    EXPECT_EQ(zoom->itemText(0), "Tile pages");
    preview->setZoom(75);
    EXPECT_EQ(zoom->currentText(), "75% Zoom");
    preview->setZoom(120); // no such choice: a free zoom
    EXPECT_EQ(preview->zoom(), 120);
    preview->setPage(2);
    EXPECT_EQ(side->value(), 2);
    preview->setPage(1);
    preview->setZoom(-1);
    shoot(preview, "forhandsvisning.png");
    preview->close();
    QApplication::processEvents();
    EXPECT_EQ(status(), 0); // closed without printing

    desktop::VELGFAKTURARAPPORT(*ctx, 1);
    waitForPreview();
    preview = dynamic_cast<PrintPreviewClass*>(top());
    ASSERT_TRUE(preview);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir + "/utskrift.pdf"));
    ASSERT_TRUE(preview->printOn(printer));
    preview->close();
    QApplication::processEvents();
    EXPECT_EQ(status(), 2);
    EXPECT_TRUE(std::filesystem::exists(dir + "/utskrift.pdf"));
}

TEST_F(DialogTest, AReportRunShowsItsProgressAndCancelStopsIt)
{
    std::vector<std::pair<bool, int64_t>> ends;
    ReportRun run;
    run.text = QStringLiteral("Genererer fakturaer");
    run.deferMs = 0;
    run.next = [] { return ProcessClass::Record::Taken; };
    run.percent = [] { return 40; };
    run.done = [&](bool completed, int64_t records) { ends.emplace_back(completed, records); };
    runReport(*ctx, std::move(run));
    QWidget* w = top();
    ASSERT_EQ(w->objectName(), "ReportProgress");
    EXPECT_EQ(w->windowTitle(), "Vent...");
    QTest::qWait(20);
    EXPECT_EQ(child<QLabel>(w, "prosent")->text(), "40% Complete");
    QTest::mouseClick(child<QPushButton>(w, "avbryt"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_FALSE(ends[0].first);
    EXPECT_GT(ends[0].second, 0);

    // A run that ends within the defer time is never shown.
    ReportRun quick;
    int left = 3;
    quick.next = [&] {
        return left-- > 0 ? ProcessClass::Record::Taken : ProcessClass::Record::End;
    };
    quick.done = [&](bool completed, int64_t records) { ends.emplace_back(completed, records); };
    runReport(*ctx, std::move(quick));
    QTest::qWait(20);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_TRUE(ends[1].first);
    EXPECT_EQ(ends[1].second, 3);
    EXPECT_TRUE(contextwindows::windows(*ctx).isEmpty());
}

TEST_F(DialogTest, TheRegisterMarksShowsStateAndOpensTheCopyAndTheForm)
{
    GLQ::TAG_FAKTURA.clear();
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        for (const char* navn : {"Hansen AS", "Olsen & Bas"}) {
            fak.rec().clear();
            fak.rec().set(FAK::KUNDENAVN, navn);
            fak.rec().set(FAK::FAKTURADATO, 82500);
            fak.rec().set(FAK::FORFALLSDATO, 82514);
            fak.rec().set(FAK::FAKTURASTATUS, 1);
            fak.rec().set(FAK::UTSKRIFTSTATUS, 1);
            fak.rec().set(FAK::TOTALSUM, *Decimal::parse("1250"));
            ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
        }
        // A paid credit note, printed, in its status's red.
        fak.rec().clear();
        fak.rec().set(FAK::KUNDENAVN, "Berg Rør");
        fak.rec().set(FAK::FAKTURADATO, 82400);
        fak.rec().set(FAK::FORFALLSDATO, 82414);
        fak.rec().set(FAK::BETALTDATO, 82414);
        fak.rec().set(FAK::FAKTURASTATUS, 2);
        fak.rec().set(FAK::KREDITNOTA, 1);
        fak.rec().set(FAK::UTSKRIFTSTATUS, 2);
        fak.rec().set(FAK::TOTALSUM, *Decimal::parse("-480"));
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
        fak.CLOSE();
        auto& kod = ctx->access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().set(KOD::GRUPPE, 105);
        kod.rec().set(KOD::NR, 2);
        ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
        kod.rec().set(KOD::LONG2, 0x0000B0); // 0xBBGGRR
        ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
        kod.CLOSE();
    }
    desktop::FAKTURAKARTOTEK(*ctx, "");
    QWidget* w = top();
    ASSERT_EQ(w->objectName(), "FAKTURAKARTOTEK");
    auto* list = w->findChild<BrowseWidget*>("fakturaer");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->tabBar()->tabText(list->tabBar()->currentIndex()), "Fakturadato");
    PagedTableModel& m = list->browse().model();
    ASSERT_EQ(m.rowCount(), 4);
    m.setCurrentRow(0);
    QTest::keyClick(list->table(), Qt::Key_Space);
    EXPECT_EQ(GLQ::TAG_FAKTURA.size(), 1u);
    QTest::mouseClick(child<QPushButton>(w, "MERKALLEBUTTON"), Qt::LeftButton);
    EXPECT_EQ(GLQ::TAG_FAKTURA.size(), 4u);
    EXPECT_TRUE(m.data(m.index(0, 0), PagedTableModel::MarkRole).toInt() &
                FakturaKartotek::MarkTagged);
    shoot(w, "fakturakartotek.png");
    QTest::mouseClick(child<QPushButton>(w, "MERKINGENBUTTON"), Qt::LeftButton);
    EXPECT_TRUE(GLQ::TAG_FAKTURA.empty());

    // Kopier faktura... opens the copy dialog over the highlighted invoice.
    for (QAction* a : w->findChildren<QAction*>())
        if (a->text() == "Kopier &faktura...") {
            a->trigger();
            break;
        }
    ASSERT_EQ(top()->objectName(), "KOPIERFAKTURA");
    top()->close();
    QApplication::processEvents();
    ASSERT_TRUE(list->browse().activate(ChangeRecord));
    EXPECT_EQ(top()->objectName(), "FAKTURAFORM");
}

TEST_F(DialogTest, TheBatchUpdatesRunFromTheRegisterAndItShowsTheirResult)
{
    GLQ::TAG_FAKTURA.clear();
    desktop::FAKTURAKARTOTEK(*ctx, "");
    QWidget* kartotek = top();
    auto* list = kartotek->findChild<BrowseWidget*>("fakturaer");
    ASSERT_TRUE(list);
    auto menu = [&](const char* text) {
        for (QAction* a : kartotek->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8(text)) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << text;
    };

    // Nothing marked: the warning, and the window stays for another try.
    menu("Oppdater faktura&status");
    QWidget* w = top();
    ASSERT_EQ(w->objectName(), "OPPDATERFAKTURASTATUS");
    EXPECT_TRUE(child<QCheckBox>(w, "oppdaterdatoer")->isChecked());
    type(child(w, "fakturastatus"), "2");
    EXPECT_EQ(child<QLabel>(w, "fakturastatustekst")->text(), "Kreditnota");
    shoot(w, "oppdaterfakturastatus.png");
    QTest::mouseClick(child<QPushButton>(w, "OPPDATERFAKTURABUTTON"), Qt::LeftButton);
    EXPECT_EQ(answers.shown.back().text, "Ingen fakturaer er merket for oppdatering");
    EXPECT_EQ(top(), w);
    EXPECT_FALSE(kartotek->isEnabled()); // it waits for the window
    QTest::mouseClick(child<QPushButton>(w, "avbryt"), Qt::LeftButton);
    QApplication::processEvents();

    QTest::mouseClick(child<QPushButton>(kartotek, "MERKALLEBUTTON"), Qt::LeftButton);
    menu("Oppdater faktura&status");
    w = top();
    type(child(w, "fakturastatus"), "2");
    child<QCheckBox>(w, "oppdaterdatoer")->setChecked(false);
    QTest::mouseClick(child<QPushButton>(w, "OPPDATERFAKTURABUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(answers.shown.back().text, "Markerte fakturaer er nå opprettet");
    EXPECT_EQ(top(), kartotek);
    PagedTableModel& m = list->browse().model();
    ASSERT_EQ(m.rowCount(), 1);
    EXPECT_EQ(m.data(m.index(0, 10)).toString(), "Kreditnota");

    // The paid date: the date field is off while the due date is used.
    menu("Oppdater &betaltdato");
    w = top();
    ASSERT_EQ(w->objectName(), "OPPDATERBETALTDATO");
    QLineEdit* dato = child(w, "betaltdato");
    EXPECT_EQ(dato->text().toStdString(), picture::formatDate("@d06.B", date::today()));
    child<QCheckBox>(w, "brukforfallsdato")->setChecked(true);
    EXPECT_FALSE(dato->isEnabled());
    child<QCheckBox>(w, "brukforfallsdato")->setChecked(false);
    type(dato, "24.12.2026");
    shoot(w, "oppdaterbetaltdato.png");
    QTest::mouseClick(child<QPushButton>(w, "OPPDATERFAKTURABUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(top(), kartotek);
    ASSERT_EQ(m.loadRecord(0), LEVEL_BENIGN);
    EXPECT_EQ(ctx->rec(Tbl::FAKTURA).get(FAK::BETALTDATO), *date::parse("24.12.2026"));
    EXPECT_EQ(ctx->rec(Tbl::FAKTURA).get(FAK::UTSKRIFTSTATUS), 2);
}

// "Fakturavedlikehold" from the register: the marked invoices go to the archive but the
// highest, the register shows what is left, and the import tab brings them back.
TEST_F(DialogTest, MaintenanceArchivesTheMarkedInvoicesAndImportsThemBack)
{
    for (int i = 0; i < 2; ++i) {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURADATO, 82000 + i);
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
        fak.CLOSE();
    }
    GLQ::TAG_FAKTURA.clear();
    desktop::FAKTURAKARTOTEK(*ctx, "");
    QWidget* kartotek = top();
    auto* list = kartotek->findChild<BrowseWidget*>("fakturaer");
    ASSERT_TRUE(list);
    auto menu = [&] {
        for (QAction* a : kartotek->findChildren<QAction*>())
            if (a->text() == QString::fromUtf8("Faktura&vedlikehold...")) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << "no maintenance item";
    };
    QTest::mouseClick(child<QPushButton>(kartotek, "MERKALLEBUTTON"), Qt::LeftButton);
    menu();
    QWidget* w = top();
    ASSERT_EQ(w->objectName(), "FAKTURAVEDLIKEHOLD");
    EXPECT_EQ(w->windowTitle(), "Fakturavedlikehold");
    auto* tabs = w->findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->tabText(0), "Eksport");
    EXPECT_EQ(tabs->tabText(1), "Import");
    shoot(w, "fakturavedlikehold.png");
    answers.shown.clear();
    QTest::mouseClick(child<QPushButton>(w, "EKSPORTERBUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text.rfind("Faktura 3 arkiveres ikke", 0), 0u);
    EXPECT_EQ(answers.shown[1].text,
              "Merkede fakturaer med tilhørende fakturalinjer er nå arkivert");
    EXPECT_EQ(top(), kartotek);
    PagedTableModel& m = list->browse().model();
    ASSERT_EQ(m.rowCount(), 1);
    ASSERT_EQ(GLQ::TAG_FAKTURA.size(), 1u);
    EXPECT_EQ(GLQ::TAG_FAKTURA.front().id, 3);

    menu();
    w = top();
    w->findChild<QTabWidget*>()->setCurrentIndex(1);
    type(child(w, "fradato"), "01.07.2025"); // the second invoice only: the first has no date
    QTest::mouseClick(child<QPushButton>(w, "IMPORTERBUTTON"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(top(), kartotek);
    EXPECT_EQ(m.rowCount(), 2);
}
