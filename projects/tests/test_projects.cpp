// Projects, headless: the project-line operations with their messages, the register's tabs and
// ranges, the project form's totals and the line form's new line.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "projects/prjlinje.h"
#include "projects/prosjektform.h"
#include "projects/prosjektkartotek.h"

using namespace tavlo;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

class ProsjektTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_PROSJEKT = 0;
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }

    void addProject(const std::string& id, const std::string& navn,
                    const std::function<void(Record&)>& more = {})
    {
        auto& prj = ctx->access(Tbl::PROSJEKT);
        prj.OPEN();
        prj.rec().clear();
        prj.rec().set(PRJ::PROSJEKTID, id);
        prj.rec().set(PRJ::NAVN, navn);
        if (more)
            more(prj.rec());
        ASSERT_EQ(prj.INSERT(), LEVEL_BENIGN);
        prj.CLOSE();
    }
    int32_t addLine(const std::string& prosjekt, const char* inn, const char* ut,
                    int32_t dato = 80000)
    {
        PrjLinjeVerdier v;
        v.prosjektId = prosjekt;
        v.dato = dato;
        v.tekst = "Linje";
        v.inn = dec(inn);
        v.ut = dec(ut);
        return INSERTPRJLINJE(*ctx, v);
    }
    // The stored line, as another program reads it; PRJLINJEID 0 when there is none.
    Record line(int32_t id)
    {
        Context other(&errors);
        auto& pli = other.access(Tbl::PRJLINJE);
        pli.OPEN();
        pli.rec().set(PLI::PRJLINJEID, id);
        if (pli.TRYFETCH(PLI::KeyPrjLinjeId) != LEVEL_BENIGN)
            pli.rec().clear();
        Record r = pli.rec();
        pli.CLOSE();
        return r;
    }
    int lines()
    {
        Context other(&errors);
        auto& pli = other.access(Tbl::PRJLINJE);
        pli.OPEN();
        int n = 0;
        pli.SET(PLI::KeyPrjLinjeId);
        while (pli.NEXT() == LEVEL_BENIGN)
            ++n;
        pli.CLOSE();
        return n;
    }
    std::unique_ptr<ProsjektForm> form(int request, const std::string& id = {})
    {
        auto& prj = ctx->access(Tbl::PROSJEKT);
        prj.OPEN();
        if (!id.empty()) {
            prj.rec().set(PRJ::PROSJEKTID, id);
            EXPECT_EQ(prj.FETCH(PRJ::KeyProsjektId), LEVEL_BENIGN);
        }
        auto f = std::make_unique<ProsjektForm>(*ctx, request);
        EXPECT_EQ(f->start(), LEVEL_BENIGN);
        return f;
    }
    std::vector<std::string> shownIds(ProsjektKartotek& k)
    {
        std::vector<std::string> ids;
        PagedTableModel& m = k.browse().model();
        for (int row = 0; row < m.rowCount(); ++row) {
            EXPECT_EQ(m.loadRecord(row), LEVEL_BENIGN);
            ids.push_back(ctx->rec(Tbl::PROSJEKT).get(PRJ::PROSJEKTID));
        }
        return ids;
    }

    std::unique_ptr<Context> ctx;
};

TEST_F(ProsjektTest, TheLineOperationsWriteTheLineAndSayWhatTheyDid)
{
    const int32_t id = addLine("P-1", "100.005", "0.004");
    ASSERT_GT(id, 0);
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(answers.shown.back().text, "Prosjektlinje er opprettet");
    Record r = line(id);
    EXPECT_EQ(r.get(PLI::PROSJEKTID), "P-1");
    // Two decimals by the one rounding rule, half away from zero.
    EXPECT_EQ(r.get(PLI::INN), dec("100.01"));
    EXPECT_EQ(r.get(PLI::UT), dec("0"));
    EXPECT_EQ(ctx->rec(Tbl::PRJLINJE).get(PLI::PRJLINJEID), id);

    PrjLinjeVerdier v;
    v.prosjektId = "P-2";
    v.fakturaId = 7;
    v.tekst = "Ny tekst";
    v.inn = dec("5");
    v.div = "notat";
    EXPECT_EQ(UPDATEPRJLINJE(*ctx, id, v), 1);
    EXPECT_EQ(answers.shown.back().text, "Prosjektlinje er oppdatert");
    r = line(id);
    EXPECT_EQ(r.get(PLI::PROSJEKTID), "P-2");
    EXPECT_EQ(r.get(PLI::FAKTURAID), 7);
    EXPECT_EQ(r.get(PLI::DIV), "notat");

    EXPECT_EQ(UPDATEPRJLINJE_BELOP(*ctx, id, dec("12.345"), dec("-3")), 1);
    EXPECT_EQ(answers.shown.back().text, "Beløp på prosjektlinje er oppdatert");
    r = line(id);
    EXPECT_EQ(r.get(PLI::INN), dec("12.35"));
    EXPECT_EQ(r.get(PLI::UT), dec("-3"));
    EXPECT_EQ(r.get(PLI::TEKST), "Ny tekst");

    answers.answer(BUTTON_YES);
    EXPECT_EQ(DELETEPRJLINJE(*ctx, id), 1);
    EXPECT_EQ(answers.shown.back().text, "Prosjektlinje er Slettet");
    EXPECT_EQ(lines(), 0);
    // Each operation closed the table again.
    EXPECT_FALSE(ctx->access(Tbl::PRJLINJE).ISOPENED());
}

TEST_F(ProsjektTest, AMissingLineIsOneLookupMessageAndNothingIsMade)
{
    EXPECT_EQ(UPDATEPRJLINJE_BELOP(*ctx, 42, dec("1"), dec("0")), 0);
    PrjLinjeVerdier verdier;
    verdier.prosjektId = "P";
    EXPECT_EQ(UPDATEPRJLINJE(*ctx, 42, verdier), 0);
    EXPECT_EQ(DELETEPRJLINJE(*ctx, 42), 0);
    ASSERT_EQ(answers.shown.size(), 3u);
    for (const auto& m : answers.shown) {
        EXPECT_EQ(m.caption, "Feil");
        EXPECT_EQ(m.text, "Det oppstod feil under oppslag på prosjektlinje.");
    }
    EXPECT_EQ(lines(), 0);
}

TEST_F(ProsjektTest, ADeclinedDeleteKeepsTheLineAndSaysTheDeleteFailed)
{
    const int32_t id = addLine("P-1", "1", "0");
    answers.shown.clear();
    answers.answer(BUTTON_NO);
    EXPECT_EQ(DELETEPRJLINJE(*ctx, id), 0);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].caption, "Bekreft Sletting");
    EXPECT_EQ(answers.shown[1].caption, "Feil");
    EXPECT_EQ(answers.shown[1].text, "Det oppstod feil under sletting av prosjektlinje.");
    EXPECT_EQ(line(id).get(PLI::PRJLINJEID), id);
}

TEST_F(ProsjektTest, AProjectIdLongerThanALineHoldsIsRefusedNotCut)
{
    EXPECT_EQ(addLine(std::string(30, 'A'), "1", "0"), 0);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_NE(answers.shown[0].text.find("lengre enn 20 tegn"), std::string::npos);
    EXPECT_EQ(lines(), 0);
    // Twenty characters fit, with Norwegian letters counted as one each.
    const std::string twenty = "ÆØÅæøå" + std::string(14, 'x');
    const int32_t id = addLine(twenty, "1", "0");
    ASSERT_GT(id, 0);
    EXPECT_EQ(line(id).get(PLI::PROSJEKTID), twenty);
}

TEST_F(ProsjektTest, InsertingALineLeavesTheProjectsStoredTotalsAlone)
{
    addProject("P-1", "Hytta");
    addLine("P-1", "1000", "250");
    auto f = form(ChangeRecord, "P-1");
    EXPECT_EQ(f->record().get(PRJ::TOTALTINN), Decimal());
    f->summer();
    EXPECT_EQ(f->record().get(PRJ::TOTALTINN), dec("1000"));
    EXPECT_EQ(f->record().get(PRJ::TOTALTUT), dec("250"));
    EXPECT_EQ(f->record().get(PRJ::TOTALTDIFF), dec("750"));
    EXPECT_FALSE(f->totaltNegativ());
    f->record().set(PRJ::BUDSJETTINN, dec("500"));
    f->record().set(PRJ::BUDSJETTUT, dec("800"));
    f->differanser();
    EXPECT_EQ(f->record().get(PRJ::BUDSJETTDIFF), dec("-300"));
    EXPECT_TRUE(f->budsjettNegativ());
    f->ok();
    auto& prj = ctx->access(Tbl::PROSJEKT);
    prj.rec().set(PRJ::PROSJEKTID, "P-1");
    ASSERT_EQ(prj.FETCH(PRJ::KeyProsjektId), LEVEL_BENIGN);
    EXPECT_EQ(prj.rec().get(PRJ::TOTALTDIFF), dec("750"));
    EXPECT_EQ(prj.rec().get(PRJ::BUDSJETTDIFF), dec("-300"));
}

TEST_F(ProsjektTest, TotalsCountOnlyTheProjectsOwnLinesAndAreZeroWithoutLines)
{
    addProject("P-1", "Hytta", [](Record& r) { r.set(PRJ::TOTALTINN, *Decimal::parse("9")); });
    addProject("P-2", "Garasjen");
    addProject("P-3", "Tomt");
    addLine("P-1", "10", "1", 80000);
    addLine("P-1", "20", "2", 80100);
    addLine("P-2", "400", "0", 80050);
    addLine("P-3x", "7", "0", 80050); // an id that only begins like one
    auto f = form(ChangeRecord, "P-1");
    f->summer();
    EXPECT_EQ(f->record().get(PRJ::TOTALTINN), dec("30"));
    EXPECT_EQ(f->record().get(PRJ::TOTALTUT), dec("3"));
    f.reset();
    ctx->access(Tbl::PROSJEKT).CLOSE();
    auto g = form(ChangeRecord, "P-3");
    g->summer();
    EXPECT_EQ(g->record().get(PRJ::TOTALTINN), Decimal());
    EXPECT_EQ(g->record().get(PRJ::TOTALTDIFF), Decimal());
}

TEST_F(ProsjektTest, TheLineListShowsTheProjectsLinesWithTheirInvoiceMarks)
{
    addProject("P-1", "Hytta");
    addLine("P-1", "10", "0", 80000);
    PrjLinjeVerdier v{"P-1", 5, 0, 80001, 0, "Faktura", dec("1"), dec("0"), {}};
    INSERTPRJLINJE(*ctx, v);
    v.fakLinjeId = 9;
    v.dato = 80002;
    INSERTPRJLINJE(*ctx, v);
    addLine("P-2", "10", "0", 80000);
    auto f = form(ChangeRecord, "P-1");
    auto list = f->linjer();
    list->setTab(0);
    PagedTableModel& m = list->model();
    ASSERT_EQ(m.rowCount(), 3);
    std::vector<int> marks;
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(m.loadRecord(row), LEVEL_BENIGN);
        marks.push_back(m.rowMark(ctx->rec(Tbl::PRJLINJE)));
    }
    // Newest first, as the key runs.
    EXPECT_EQ(marks,
              (std::vector<int>{ProsjektForm::MarkFakturalinje, ProsjektForm::MarkFaktura, 0}));
    EXPECT_EQ(m.data(m.index(2, 0)).toString(), ""); // the icon's column
    EXPECT_EQ(m.data(m.index(2, 4)).toString(), ""); // "Ut" of 0 is blank
    EXPECT_EQ(m.data(m.index(2, 3)).toString(), "10,00");
}

TEST_F(ProsjektTest, ANewLineIsDatedTodayAndBelongsToTheOpenProject)
{
    addProject("P-1", "Hytta");
    auto f = form(ChangeRecord, "P-1");
    ctx->access(Tbl::PRJLINJE).OPEN();
    PrjLinjeForm line(*ctx, InsertRecord);
    ASSERT_EQ(line.init(), LEVEL_BENIGN);
    EXPECT_EQ(line.caption(), "Ny prosjektlinje");
    EXPECT_EQ(line.record().get(PLI::PROSJEKTID), "P-1");
    EXPECT_EQ(line.record().get(PLI::DATO), date::today());
    EXPECT_EQ(line.settings().cancelAction, CANCEL_QUERY);
    line.record().set(PLI::INN, dec("5"));
    line.ok();
    f->summer();
    EXPECT_EQ(f->record().get(PRJ::TOTALTINN), dec("5"));
    ctx->access(Tbl::PRJLINJE).CLOSE();
}

TEST_F(ProsjektTest, AProjectNeedsAnIdItsLinesCanHold)
{
    auto f = form(InsertRecord);
    EXPECT_FALSE(f->kanLeggeTilLinjer());
    f->ok();
    EXPECT_EQ(answers.shown.back().text, "Prosjektet må ha en prosjekt-ID.");
    f->record().set(PRJ::PROSJEKTID, std::string(21, 'P'));
    EXPECT_FALSE(f->kanLeggeTilLinjer());
    f->ok();
    EXPECT_NE(answers.shown.back().text.find("lengre enn 20 tegn"), std::string::npos);
    Context other(&errors);
    auto& prj = other.access(Tbl::PROSJEKT);
    prj.OPEN();
    prj.SET(PRJ::KeyProsjektId);
    EXPECT_NE(prj.NEXT(), LEVEL_BENIGN);
    prj.CLOSE();
}

TEST_F(ProsjektTest, ANewProjectLeftUnsavedTakesItsLinesAlong)
{
    addProject("P-1", "Hytta");
    addLine("P-1", "1", "0");
    auto f = form(InsertRecord);
    f->record().set(PRJ::PROSJEKTID, "P-9");
    ASSERT_TRUE(f->kanLeggeTilLinjer());
    addLine("P-9", "2", "0");
    answers.answer(BUTTON_NO); // "Lagre post?": no
    f->cancel();
    EXPECT_EQ(lines(), 1);
}

TEST_F(ProsjektTest, TheRegisterLimitsItsTabsToATypeAStatusOrACustomer)
{
    addCode(*ctx, 109, 1, "Intern");
    addCode(*ctx, 110, 2, "Aktiv");
    const int kunde = addCustomer(*ctx, "Ola Nordmann");
    addProject("A", "Bravo", [](Record& r) {
        r.set(PRJ::TYPE, 1);
        r.set(PRJ::STARTDATO, 3);
    });
    addProject("B", "Alfa", [](Record& r) {
        r.set(PRJ::STATUS, 2);
        r.set(PRJ::STARTDATO, 2);
    });
    addProject("C", "Charlie", [&](Record& r) { r.set(PRJ::KUNDEID, kunde); });
    ProsjektKartotek k(*ctx);
    k.open();
    EXPECT_EQ(k.browse().tab(), ProsjektKartotek::TabNavn);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"B", "A", "C"}));
    k.setTab(ProsjektKartotek::TabStartdato);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"C", "B", "A"}));
    k.setRange(ProsjektKartotek::RangeType, 1);
    k.setTab(ProsjektKartotek::TabType);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"A"}));
    EXPECT_EQ(k.rangeTekst(ProsjektKartotek::RangeType), "Intern");
    k.setRange(ProsjektKartotek::RangeStatus, 2);
    k.setTab(ProsjektKartotek::TabStatus);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"B"}));
    k.setRange(ProsjektKartotek::RangeKunde, kunde);
    k.setTab(ProsjektKartotek::TabKunde);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"C"}));
    EXPECT_EQ(k.rangeTekst(ProsjektKartotek::RangeKunde), "Ola Nordmann");
    PagedTableModel& m = k.browse().model();
    EXPECT_EQ(m.data(m.index(0, 5)).toString(), "Ola Nordmann");
    k.setTab(ProsjektKartotek::TabType);
    EXPECT_EQ(m.data(m.index(0, 2)).toString(), "Intern");
}

TEST_F(ProsjektTest, TheRegistersFilterAppliesToEveryTab)
{
    addProject("A", "Bravo");
    addProject("B", "Alfa");
    addFilter(*ctx, 13, 1, "Bare B", "PRJ:ProsjektId = 'B'", "Bare B");
    GLO::FAST_FILTERID_PROSJEKT = 1;
    ProsjektKartotek k(*ctx);
    k.open();
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"B"}));
    k.setTab(ProsjektKartotek::TabProsjektid);
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"B"}));
    k.filter().fjern();
    EXPECT_EQ(shownIds(k), (std::vector<std::string>{"A", "B"}));
    GLO::FAST_FILTERID_PROSJEKT = 0;
}

} // namespace
