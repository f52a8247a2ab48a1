#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <set>

#include "data/tests/fixture.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

extern char** environ;

namespace {

class FileManagerTest : public DataFolderTest {
  protected:
    int addCustomer(Context& ctx, const std::string& name, int group = 0)
    {
        auto& kun = ctx.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().clear();
        kun.rec().set(KUN::NAVN, name);
        kun.rec().set(KUN::KUNDEGRUPPE, group);
        EXPECT_EQ(kun.INSERT(), LEVEL_BENIGN) << name;
        int id = kun.rec().get(KUN::KUNDEID);
        kun.CLOSE();
        return id;
    }

    std::vector<std::string> walk(Context& ctx, Tbl t, KeyRef key, TextField f, bool back = false)
    {
        auto& fm = ctx.access(t);
        std::vector<std::string> out;
        fm.SET(key);
        while ((back ? fm.PREVIOUS() : fm.NEXT()) == LEVEL_BENIGN)
            out.push_back(fm.rec().get(f));
        return out;
    }
};

} // namespace

TEST_F(FileManagerTest, KeysCompareWithoutCaseInNorwegianOrder)
{
    Context ctx(&errors);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    for (const char* n : {"Åse", "ola", "Zed", "ærlig", "Øyvind", "OLA", "Émile", "anders"})
        addCustomer(ctx, n);
    EXPECT_EQ(walk(ctx, Tbl::KUNDE, KUN::KeyNavn, KUN::NAVN),
              (std::vector<std::string>{"anders", "Émile", "ola", "OLA", "Zed", "ærlig", "Øyvind",
                                        "Åse"}));
    EXPECT_EQ(walk(ctx, Tbl::KUNDE, KUN::KeyNavn, KUN::NAVN, true).front(), "Åse");

    // Names differing only in case are equal under the key: FETCH finds the first one added.
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "OLA");
    ASSERT_EQ(kun.FETCH(KUN::KeyNavn), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "ola");

    // A locator: the first name at or after what was typed.
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "p");
    kun.SETAT(KUN::KeyNavn);
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "Zed");
    kun.rec().set(KUN::NAVN, "p");
    kun.SETAT(KUN::KeyNavn);
    ASSERT_EQ(kun.PREVIOUS(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "OLA");

    // Two-component key: group first, then name.
    addCustomer(ctx, "Bjørn", 2);
    addCustomer(ctx, "Arne", 2);
    addCustomer(ctx, "Cecilie", 1);
    auto byGroup = walk(ctx, Tbl::KUNDE, KUN::KeyKundeGruppe_Navn, KUN::NAVN, true);
    EXPECT_EQ(std::vector<std::string>(byGroup.begin(), byGroup.begin() + 3),
              (std::vector<std::string>{"Bjørn", "Arne", "Cecilie"}));
    kun.CLOSE();
}

TEST_F(FileManagerTest, DescendingAndNotIndexedKeys)
{
    Context ctx(&errors);
    auto& fak = ctx.access(Tbl::FAKTURA);
    fak.OPEN();
    for (int day : {1000, 3000, 2000}) {
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURADATO, day);
        fak.rec().set(FAK::KUNDENAVN, "d" + std::to_string(day));
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    }
    EXPECT_EQ(walk(ctx, Tbl::FAKTURA, FAK::KeyFakturaDato2, FAK::KUNDENAVN),
              (std::vector<std::string>{"d3000", "d2000", "d1000"}));

    auto& pli = ctx.access(Tbl::PRJLINJE);
    pli.OPEN();
    for (auto [prj, day] : {std::pair{"A", 5}, {"B", 1}, {"A", 9}, {"B", 7}}) {
        pli.rec().clear();
        pli.rec().set(PLI::PROSJEKTID, prj);
        pli.rec().set(PLI::DATO, day);
        pli.rec().set(PLI::TEKST, std::string(prj) + std::to_string(day));
        ASSERT_EQ(pli.INSERT(), LEVEL_BENIGN);
    }
    EXPECT_EQ(walk(ctx, Tbl::PRJLINJE, PLI::KeyProsjektId_Dato, PLI::TEKST),
              (std::vector<std::string>{"B7", "B1", "A9", "A5"}));
    EXPECT_EQ(walk(ctx, Tbl::PRJLINJE, PLI::KeyProsjektId_Dato, PLI::TEKST, true),
              (std::vector<std::string>{"A5", "A9", "B1", "B7"}));
    // The project id of a line keeps 20 characters; the invoice's keeps 50.
    pli.rec().set(PLI::PROSJEKTID, std::string(60, 'x'));
    EXPECT_EQ(pli.rec().get(PLI::PROSJEKTID).size(), 20u);
    fak.rec().set(FAK::PROSJEKTID, std::string(60, 'x'));
    EXPECT_EQ(fak.rec().get(FAK::PROSJEKTID).size(), 50u);

    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.OPEN();
    for (auto [name, group] : {std::pair{"Uten gruppe", 0}, {"Skrue", 3}, {"Mutter", 2}}) {
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, name);
        pro.rec().set(PRO::PRODUKTGRUPPE, group);
        ASSERT_EQ(pro.INSERT(), LEVEL_BENIGN);
    }
    EXPECT_EQ(walk(ctx, Tbl::PRODUKT, PRO::KeyProduktGruppe, PRO::NAVN),
              (std::vector<std::string>{"Mutter", "Skrue"}));
    EXPECT_EQ(walk(ctx, Tbl::PRODUKT, PRO::KeyNavn, PRO::NAVN).size(), 3u);
    // Only the numbers, in the order a walk has them, by the file's own query and by pages.
    for (bool paged : {false, true}) {
        std::vector<int64_t> ids;
        StoreError err;
        TableFile* f = fak.file();
        ASSERT_TRUE(
            paged ? f->TableFile::numbers(FAK::KeyFakturaDato2.no, FAK::FAKTURAID.no, ids, err)
                  : f->numbers(FAK::KeyFakturaDato2.no, FAK::FAKTURAID.no, ids, err));
        EXPECT_EQ(ids, (std::vector<int64_t>{2, 3, 1}));
        ids.clear();
        f = pro.file();
        ASSERT_TRUE(
            paged ? f->TableFile::numbers(PRO::KeyProduktGruppe.no, PRO::PRODUKTID.no, ids, err)
                  : f->numbers(PRO::KeyProduktGruppe.no, PRO::PRODUKTID.no, ids, err));
        EXPECT_EQ(ids, (std::vector<int64_t>{3, 2}));

        // Several fields a record, from a bound and under a condition.
        auto walked = [&](TableFile* file, int key, const Bound& from, std::vector<int> fields,
                          const SqlCondition* c) {
            std::vector<int64_t> out;
            StoreError e;
            EXPECT_TRUE(paged ? file->TableFile::walkNumbers(key, from, fields, c, out, e)
                              : file->walkNumbers(key, from, fields, c, out, e));
            return out;
        };
        const SqlCondition upTo2500 = fieldBetween(fak.decl(), FAK::FAKTURADATO.no, 1500, 2500);
        EXPECT_EQ(walked(fak.file(), FAK::KeyFakturaDato2.no, Bound{},
                         {FAK::FAKTURAID.no, FAK::FAKTURADATO.no}, nullptr),
                  (std::vector<int64_t>{2, 3000, 3, 2000, 1, 1000}));
        EXPECT_EQ(
            walked(fak.file(), FAK::KeyFakturaDato.no, Bound{}, {FAK::FAKTURAID.no}, &upTo2500),
            (std::vector<int64_t>{3}));
        Record group3(pro.decl());
        group3.set(PRO::PRODUKTGRUPPE, 3);
        EXPECT_EQ(walked(pro.file(), PRO::KeyProduktGruppe.no, Bound{Bound::AT, &group3, 0},
                         {PRO::PRODUKTID.no, PRO::PRODUKTGRUPPE.no}, nullptr),
                  (std::vector<int64_t>{2, 3}));
    }
    pro.rec().clear();
    EXPECT_EQ(pro.TRYFETCH(PRO::KeyProduktGruppe), LEVEL_NOTIFY); // group 0 is not in the key
    pro.rec().set(PRO::PRODUKTGRUPPE, 3);
    EXPECT_EQ(pro.FETCH(PRO::KeyProduktGruppe), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::NAVN), "Skrue");
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(FileManagerTest, DuplicateKeysAreRefusedAndNamed)
{
    Context ctx(&errors);
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    kod.rec().clear();
    kod.rec().set(KOD::GRUPPE, 101);
    kod.rec().set(KOD::NR, 5000);
    kod.rec().set(KOD::TEKST, "Steinkjer");
    ASSERT_EQ(kod.INSERT(), LEVEL_BENIGN);
    kod.rec().set(KOD::TEKST, "Annet sted");
    EXPECT_EQ(kod.INSERT(), LEVEL_NOTIFY);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Duplicate Key Error");
    EXPECT_EQ(answers.shown[0].text,
              "Adding this record creates a duplicate entry for the key: KOD:KeyGruppe_Nr");
    EXPECT_EQ(kod.TRYINSERT(), LEVEL_NOTIFY);
    EXPECT_EQ(kod.lastError(), MSG_DUPLICATE_KEY);
    EXPECT_EQ(answers.shown.size(), 1u); // the try form shows nothing

    auto& wpo = ctx.access(Tbl::WINPOS);
    wpo.OPEN();
    wpo.rec().set(WPO::WINDOWNAME, "KundeKartotek");
    wpo.rec().set(WPO::PROPERTYNAME, "XPos");
    ASSERT_EQ(wpo.INSERT(), LEVEL_BENIGN);
    wpo.rec().set(WPO::WINDOWNAME, "KUNDEKARTOTEK"); // equal without regard to case
    EXPECT_EQ(wpo.INSERT(), LEVEL_NOTIFY);
    EXPECT_NE(answers.shown.back().text.find("WPO:KeyWindowName_PropretyName"), std::string::npos);
}

TEST_F(FileManagerTest, AutoNumbersAreReservedInTheFileAndGivenBack)
{
    Context form(&errors), other(&errors);
    auto& kun = form.access(Tbl::KUNDE);
    kun.OPEN();
    ASSERT_EQ(kun.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::KUNDEID), 1);
    EXPECT_TRUE(kun.autoNumberReserved());

    // The reserved record is in the file already: a second user gets the next number.
    auto& kun2 = other.access(Tbl::KUNDE);
    kun2.OPEN();
    ASSERT_EQ(kun2.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(kun2.rec().get(KUN::KUNDEID), 2);
    kun2.rec().set(KUN::NAVN, "Andre");
    ASSERT_EQ(kun2.INSERT(), LEVEL_BENIGN);
    EXPECT_EQ(kun2.rec().get(KUN::KUNDEID), 2);

    // Cancelling gives number 1 back; the highest stored is 2, so the next is 3.
    ASSERT_EQ(kun.CANCELAUTOINC(), LEVEL_BENIGN);
    EXPECT_FALSE(kun.autoNumberReserved());
    kun.rec().clear();
    kun.rec().set(KUN::KUNDEID, 1);
    EXPECT_EQ(kun.TRYFETCH(KUN::KeyKundeId), LEVEL_NOTIFY);
    ASSERT_EQ(kun.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::KUNDEID), 3);
    kun.rec().set(KUN::NAVN, "Første");
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);

    // A number chosen by the caller is replaced by the highest stored plus 1.
    for (int i = 4; i <= 12; ++i)
        addCustomer(form, "k" + std::to_string(i));
    kun.rec().clear();
    kun.rec().set(KUN::KUNDEID, 500);
    kun.rec().set(KUN::NAVN, "Valgt nummer");
    ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::KUNDEID), 13);

    // Emptied table: cancelling the only reservation lets the next insert get 1 again.
    Context fresh(&errors);
    auto& pro = fresh.access(Tbl::PRODUKT);
    pro.OPEN();
    ASSERT_EQ(pro.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::PRODUKTID), 1);
    pro.CANCELAUTOINC();
    ASSERT_EQ(pro.PRIMERECORD(), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::PRODUKTID), 1);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(FileManagerTest, TwoProcessesNeverTakeTheSameNumber)
{
    const char* exe = TAVLO_INSERTER;
    std::vector<pid_t> pids;
    for (int p = 0; p < 2; ++p) {
        std::string count = "150";
        char* argv[] = {const_cast<char*>(exe), dir.data(), count.data(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, exe, nullptr, nullptr, argv, environ), 0);
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Context ctx(&errors);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    std::set<int> ids;
    kun.SET(KUN::KeyKundeId);
    while (kun.NEXT() == LEVEL_BENIGN)
        ids.insert(kun.rec().get(KUN::KUNDEID));
    EXPECT_EQ(ids.size(), 300u);
    EXPECT_EQ(*ids.rbegin(), 300);
}

TEST_F(FileManagerTest, ChangeCheckBetweenUsers)
{
    Context a(&errors), b(&errors);
    int id = addCustomer(a, "Original");
    auto& ka = a.access(Tbl::KUNDE);
    auto& kb = b.access(Tbl::KUNDE);
    ka.OPEN();
    kb.OPEN();
    kb.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(kb.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    ka.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(ka.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);

    ka.rec().set(KUN::NAVN, "Endret av A");
    ASSERT_EQ(ka.UPDATE(), LEVEL_BENIGN);
    kb.rec().set(KUN::NAVN, "Endret av B");
    EXPECT_EQ(kb.UPDATE(true), LEVEL_NOTIFY);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Record Was Not Updated");
    EXPECT_NE(answers.shown[0].text.find("Ctrl+H"), std::string::npos);
    EXPECT_EQ(kb.rec().get(KUN::NAVN), "Endret av A"); // the other user's version

    // Now B holds the current version and may save.
    kb.rec().set(KUN::NAVN, "Endret av B");
    EXPECT_EQ(kb.UPDATE(), LEVEL_BENIGN);
    ka.rec().set(KUN::ADRESSE, "Vei 1");
    EXPECT_EQ(ka.TRYUPDATE(), LEVEL_NOTIFY);
    EXPECT_EQ(ka.lastError(), MSG_RECORD_CHANGED);
    EXPECT_EQ(answers.shown.size(), 1u);

    // A record deleted by the other user cannot be saved over.
    ASSERT_EQ(kb.DELETERECORD(false), LEVEL_BENIGN);
    ka.rec().set(KUN::ADRESSE, "Vei 2");
    EXPECT_EQ(ka.TRYUPDATE(), LEVEL_NOTIFY);
    ka.rec().set(KUN::KUNDEID, id);
    EXPECT_EQ(ka.TRYFETCH(KUN::KeyKundeId), LEVEL_NOTIFY);
}

TEST_F(FileManagerTest, DeleteQuestionDeclinedDeletesNothing)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Behold meg");
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().set(KUN::KUNDEID, id);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    answers.answer(BUTTON_NO);
    EXPECT_EQ(kun.DELETERECORD(true), LEVEL_CANCEL);
    EXPECT_EQ(answers.shown.back().caption, "Bekreft Sletting");
    EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    answers.answer(BUTTON_YES);
    EXPECT_EQ(kun.DELETERECORD(true), LEVEL_BENIGN);
    kun.rec().set(KUN::KUNDEID, id);
    EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_NOTIFY);
    EXPECT_EQ(kun.rec().get(KUN::KUNDEID), 0); // FETCH clears the buffer on failure
}

TEST_F(FileManagerTest, NestedUseGivesTheCallerItsRecordAndPositionBack)
{
    Context ctx(&errors);
    for (const char* n : {"A", "B", "C", "D"})
        addCustomer(ctx, n);
    ProcedureScope form(ctx, "KundeForm");
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.SET(KUN::KeyNavn);
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN); // A
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN); // B
    kun.rec().set(KUN::ADRESSE, "ulagret endring");
    {
        ProcedureScope lookup(ctx, "HENTKUNDE");
        kun.OPEN();
        kun.SET(KUN::KeyKundeId);
        while (kun.NEXT() == LEVEL_BENIGN) {
        }
        kun.CLOSE();
    }
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "B");
    EXPECT_EQ(kun.rec().get(KUN::ADRESSE), "ulagret endring");
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "C");

    // A nested procedure that returns a record keeps it in the buffer.
    {
        ProcedureScope select(ctx, "KUNDEKARTOTEK");
        kun.OPEN();
        kun.USEFILE(USE_RETURNS);
        kun.SET(KUN::KeyNavn);
        kun.PREVIOUS();
        kun.CLOSE();
    }
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "D");
    EXPECT_EQ(kun.GETOPENED(), 1);
    kun.CLOSE();
    EXPECT_FALSE(kun.ISOPENED());
}

TEST_F(FileManagerTest, SnapshotsAndPositions)
{
    Context ctx(&errors);
    for (const char* n : {"A", "B", "C"})
        addCustomer(ctx, n);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.SET(KUN::KeyNavn);
    kun.NEXT();
    uint16_t buf = kun.SAVEBUFFER();
    EXPECT_EQ(buf, 1);
    EXPECT_TRUE(kun.EQUALBUFFER(buf));
    kun.rec().set(KUN::DIV, "notat"); // memos count as changes
    EXPECT_FALSE(kun.EQUALBUFFER(buf));
    kun.RESTOREBUFFER(buf);
    EXPECT_EQ(buf, 0);
    EXPECT_EQ(kun.rec().get(KUN::DIV), "");

    std::string at = kun.POSITION();
    uint16_t file = kun.SAVEFILE();
    kun.NEXT();
    kun.NEXT();
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "C");
    kun.RESTOREFILE(file);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "A");
    EXPECT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "B");
    ASSERT_EQ(kun.RESET(at), LEVEL_BENIGN);
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "A");
    EXPECT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.NEXT(), LEVEL_NOTIFY);
    EXPECT_TRUE(kun.GETEOF());

    EXPECT_EQ(kun.KEYTOORDER(KUN::KeyKundeGruppe_Navn), "KUN:KUNDEGRUPPE,UPPER(KUN:NAVN)");
    EXPECT_EQ(ctx.access(Tbl::PRJLINJE).KEYTOORDER(PLI::KeyProsjektId_Dato, 2), "-PLI:DATO");
    kun.CLEARKEY(KUN::KeyKundeGruppe_Navn, 1, 2, true);
    kun.SETAT(KUN::KeyKundeGruppe_Navn);
    ASSERT_EQ(kun.PREVIOUS(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "C");
}

TEST_F(FileManagerTest, ParameterTableIsSealedWithTheOwnerPassword)
{
    {
        Context ctx(&errors);
        auto& par = ctx.access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::NAVN, "Hemmelig Firma AS");
        par.rec().set(PAR::STDMVASATS, 25);
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        EXPECT_EQ(par.rec().get(PAR::PARAMETERID), 1);
        par.CLOSE();
    }
    EXPECT_EQ(bytesOf("PARAM.TPS").find("Hemmelig"), std::string::npos);
    {
        Context ctx(&errors);
        auto& par = ctx.access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
        EXPECT_EQ(par.rec().get(PAR::NAVN), "Hemmelig Firma AS");
        par.rec().set(PAR::STDMVASATS, 15);
        EXPECT_EQ(par.UPDATE(), LEVEL_BENIGN);
    }
    std::string before = bytesOf("PARAM.TPS");
    GLO::OWNERNAME = "feil passord";
    Context ctx(&errors);
    auto& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    par.SET(PAR::KeyParameterId);
    EXPECT_EQ(par.NEXT(), LEVEL_FATAL);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "File Access Error");
    EXPECT_NE(answers.shown[0].text.find("PARAM could not be opened"), std::string::npos);
    EXPECT_EQ(answers.halts, 1);
    EXPECT_EQ(bytesOf("PARAM.TPS"), before);
}

TEST_F(FileManagerTest, ForeignAndDamagedFilesAreReportedAndLeftAlone)
{
    {
        std::ofstream(path("KUNDE.TPS"), std::ios::binary) << "Dette er ikke en tabell\n";
    }
    std::string before = bytesOf("KUNDE.TPS");
    Context ctx(&errors);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    EXPECT_EQ(kun.TRYNEXT(), LEVEL_FATAL);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "File Access Error");
    EXPECT_NE(answers.shown[0].text.find("  Press OK to end this application"), std::string::npos);
    EXPECT_EQ(bytesOf("KUNDE.TPS"), before);

    // A table file of another table under this name is not ours either.
    auto& kon = ctx.access(Tbl::KONTAKT);
    kon.OPEN();
    kon.USEFILE();
    kon.CLOSE();
    std::filesystem::rename(path("KONTAKT.TPS"), path("PRODUKT.TPS"));
    before = bytesOf("PRODUKT.TPS");
    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.OPEN();
    EXPECT_NE(pro.USEFILE(), LEVEL_BENIGN);
    EXPECT_EQ(bytesOf("PRODUKT.TPS"), before);
}

TEST_F(FileManagerTest, LockedFileOpensReadOnlyAndUseBeforeOpenIsAnError)
{
    Context ctx(&errors);
    addCustomer(ctx, "Før låsen");
    ctx.access(Tbl::KUNDE).KILL();

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path("KUNDE.TPS").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    EXPECT_EQ(kun.USEFILE(), LEVEL_BENIGN);
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown[0].caption, "Access Denied");
    EXPECT_EQ(answers.shown[0].text, "Could not get write access to KUNDE so trying read-only.");
    EXPECT_TRUE(kun.file()->readOnly());
    kun.SET(KUN::KeyKundeId);
    EXPECT_EQ(kun.NEXT(), LEVEL_BENIGN); // reading still works
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    kun.rec().set(KUN::NAVN, "Skrives ikke");
    answers.answer(BUTTON_NO); // "Try Again?"
    EXPECT_EQ(kun.INSERT(), LEVEL_NOTIFY);
    EXPECT_EQ(answers.shown.back().caption, "Auto Increment Error");
    kun.CLOSE();

    answers.shown.clear();
    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.SET(PRO::KeyNavn);
    EXPECT_EQ(pro.NEXT(), LEVEL_FATAL);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "File Usage Error");
    EXPECT_FALSE(std::filesystem::exists(path("PRODUKT.TPS")));
}

TEST_F(FileManagerTest, ArchiveModeUsesTheArchivePairOnly)
{
    GLO::setArchiveMode(true);
    Context ctx(&errors);
    auto& fak = ctx.access(Tbl::FAKTURA);
    fak.OPEN();
    fak.rec().set(FAK::KUNDENAVN, "Arkivert");
    ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    auto& fli = ctx.access(Tbl::FAKLINJE_ALIAS);
    fli.OPEN();
    ASSERT_EQ(fli.INSERT(), LEVEL_BENIGN);
    EXPECT_EQ(fak.GETNAME(), "BAKTURA.TPS");
    EXPECT_EQ(ctx.access(Tbl::KUNDE).GETNAME(), "KUNDE");
    fak.CLOSE();
    fli.CLOSE();
    GLO::setArchiveMode(false);
    EXPECT_TRUE(std::filesystem::exists(path("BAKTURA.TPS")));
    EXPECT_TRUE(std::filesystem::exists(path("BAKLINJE.TPS")));
    EXPECT_FALSE(std::filesystem::exists(path("FAKTURA.TPS")));
    EXPECT_FALSE(std::filesystem::exists(path("FAKLINJE.TPS")));
}

TEST_F(FileManagerTest, DamagedKeysAreRebuiltOrReported)
{
    Context ctx(&errors);
    addCustomer(ctx, "Bravo");
    addCustomer(ctx, "Alfa");
    ctx.access(Tbl::KUNDE).KILL();

    auto raw = [&](const char* sql) {
        sqlite3* db = nullptr;
        sqlite3_open(path("KUNDE.TPS").c_str(), &db);
        registerCollation(db);
        int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return rc;
    };
    ASSERT_EQ(raw("DROP INDEX \"KUNDE_KeyNavn\""), SQLITE_OK);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.SET(KUN::KeyNavn);
    ASSERT_EQ(kun.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "Alfa");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Invalid Key");
    EXPECT_EQ(answers.shown[0].text, "KUNDE key file is invalid. Key must be rebuilt.");
    kun.KILL();

    // Two records under one customer number cannot be given their unique key back.
    ASSERT_EQ(raw("DROP INDEX \"KUNDE_KeyKundeId\"; UPDATE \"KUNDE\" SET \"KUNDEID\" = 1"),
              SQLITE_OK);
    answers.shown.clear();
    kun.OPEN();
    EXPECT_EQ(kun.TRYNEXT(), LEVEL_FATAL);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].caption, "Key was not built");
}
