// Window positions, backup of the data folder and emptying of tables before production use.
#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <thread>
#include <tuple>

#include "data/backup.h"
#include "data/datafolder.h"
#include "data/lagfiler.h"
#include "data/tests/fixture.h"
#include "data/winpos.h"
#include "framework/iniclass.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;
namespace fs = std::filesystem;

namespace {

const char* const kBackupFailed =
    "Det oppsto feil under sikkerhetskopieringen. Det er ikke en fulstendig sikkerhetskopi på "
    "disketten. Det anbefales at du tar en manuell sikkerhetskopi.";

// Rows of a table file, read past the record store so that nothing is opened or made.
int64_t rowsIn(const std::string& file, const std::string& table)
{
    sqlite3* db = nullptr;
    int64_t n = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        registerCollation(db);
        sqlite3_stmt* s = nullptr;
        const std::string sql = "SELECT count(*) FROM \"" + table + "\"";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            n = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close_v2(db);
    return n;
}

class HousekeepingTest : public DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        std::string message;
        ASSERT_TRUE(createDataFolder(dir, message)) << message;
    }

    void setBackupPath(const std::string& folder)
    {
        Context c(&errors);
        auto& par = c.access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
        par.rec().set(PAR::STDBACKUPPATH, folder);
        ASSERT_EQ(par.UPDATE(), LEVEL_BENIGN);
        par.CLOSE();
    }

    void insert(Context& c, Tbl t, const std::function<void(Record&)>& fill)
    {
        auto& fm = c.access(t);
        fm.OPEN();
        fm.rec().clear();
        fill(fm.rec());
        EXPECT_EQ(fm.INSERT(), LEVEL_BENIGN) << table(t).name;
        fm.CLOSE();
    }

    void addArchivedInvoice(const std::string& customer)
    {
        GLO::setArchiveMode(true);
        {
            Context c(&errors);
            insert(c, Tbl::FAKTURA, [&](Record& r) { r.set(FAK::KUNDENAVN, customer); });
        }
        GLO::setArchiveMode(false);
    }

    // The first record of a table in the data folder `folder`, or nothing.
    std::optional<Record> firstIn(const std::string& folder, Tbl t)
    {
        setDataFolder(folder);
        Context c(&errors);
        auto& fm = c.access(t);
        fm.OPEN();
        fm.SET(KeyRef{static_cast<uint16_t>(table(t).primaryKey())});
        std::optional<Record> r;
        if (fm.NEXT() == LEVEL_BENIGN)
            r = fm.rec();
        fm.CLOSE();
        setDataFolder(dir);
        return r;
    }

    int64_t rows(const std::string& file, Tbl t) { return rowsIn(path(file), table(t).name); }

    const Message& last() const { return answers.shown.back(); }

    Context ctx{&errors};
};

// ---------------------------------------------------------------------------------------------
// Window positions

using WindowPositionTest = HousekeepingTest;

TEST_F(WindowPositionTest, SavedPlaceComesBackUnderAnySpellingOfTheName)
{
    WindowGeometry saved{120, -8, 640, 480};
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "Kundekartotek  ", saved), LEVEL_BENIGN);

    WindowGeometry g{1, 2, 3, 4};
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "KUNDEKARTOTEK", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.w, g.h), std::tie(saved.x, saved.y, saved.w, saved.h));

    // Saved again: the rows are changed, not added.
    saved = {10, 20, 800, 600};
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "kundekartotek", saved), LEVEL_BENIGN);
    EXPECT_EQ(rows("WINPOS.TPS", Tbl::WINPOS), 4);

    auto& wpo = ctx.access(Tbl::WINPOS);
    wpo.OPEN();
    std::map<std::string, std::string> stored;
    wpo.SET(WPO::KeyWindowName_PropretyName);
    while (wpo.NEXT() == LEVEL_BENIGN) {
        EXPECT_EQ(wpo.rec().get(WPO::WINDOWNAME), "KUNDEKARTOTEK");
        stored[wpo.rec().get(WPO::PROPERTYNAME)] = wpo.rec().get(WPO::PROPERTYVALUE);
    }
    wpo.CLOSE();
    EXPECT_EQ(stored, (std::map<std::string, std::string>{
                          {"X", "10"}, {"Y", "20"}, {"W", "800"}, {"H", "600"}}));

    // A name longer than the field is cut the same way each time.
    const std::string longName(80, 'q');
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, longName, saved), LEVEL_BENIGN);
    g = {};
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, std::string(80, 'Q') + " ", g);
    EXPECT_EQ(g.w, 800);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(WindowPositionTest, WhatWasNeverSavedKeepsTheDesignedPlace)
{
    WindowGeometry other{5, 5, 5, 5};
    HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "PRODUKTKARTOTEK", other);

    WindowGeometry g{30, 40, 500, 300};
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "FAKTURAKARTOTEK", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.w, g.h), std::make_tuple(30, 40, 500, 300));

    // Only some rows, one of them empty and one not a number: those leave their values alone.
    insert(ctx, Tbl::WINPOS, [](Record& r) {
        r.set(WPO::WINDOWNAME, "FAKTURAKARTOTEK");
        r.set(WPO::PROPERTYNAME, "X");
        r.set(WPO::PROPERTYVALUE, "77");
    });
    insert(ctx, Tbl::WINPOS, [](Record& r) {
        r.set(WPO::WINDOWNAME, "FAKTURAKARTOTEK");
        r.set(WPO::PROPERTYNAME, "W");
        r.set(WPO::PROPERTYVALUE, "bred");
    });
    insert(ctx, Tbl::WINPOS, [](Record& r) {
        r.set(WPO::WINDOWNAME, "FAKTURAKARTOTEK");
        r.set(WPO::PROPERTYNAME, "H");
    });
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "FakturaKartotek", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.w, g.h), std::make_tuple(77, 40, 500, 300));

    // Any other mode writes nothing and leaves the geometry as it was.
    WindowGeometry untouched{1, 2, 3, 4};
    EXPECT_EQ(HANDLEWINDOWPOSITION(ctx, 3, "NYKARTOTEK", untouched), LEVEL_BENIGN);
    EXPECT_EQ(untouched.x, 1);
    EXPECT_EQ(rows("WINPOS.TPS", Tbl::WINPOS), 7);
    EXPECT_FALSE(ctx.access(Tbl::WINPOS).ISOPENED());
}

TEST_F(WindowPositionTest, FailedWriteStopsTheSave)
{
    fs::remove(path("WINPOS.TPS"));
    {
        std::ofstream(path("WINPOS.TPS")) << "ikke en tabell";
    }
    WindowGeometry g{1, 2, 3, 4};
    EXPECT_NE(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "KUNDEKARTOTEK", g), LEVEL_BENIGN);
    // One failed lookup and one failed insert for "X"; "Y", "W" and "H" are never tried.
    EXPECT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(bytesOf("WINPOS.TPS"), "ikke en tabell");
}

// ---------------------------------------------------------------------------------------------
// Backup

using BackupTest = HousekeepingTest;

TEST(BackupFiles, EveryTableFileOnceInBothModes)
{
    const std::vector<std::string> head{
        "PARAM.TPS",    "KUNDE.TPS",    "KONTAKT.TPS",  "PRODUKT.TPS", "FAKTURA.TPS",
        "FAKLINJE.TPS", "GRUNNLAG.TPS", "GRULINJE.TPS", "BAKTURA.TPS", "BAKLINJE.TPS",
        "KODEVERK.TPS", "WINPOS.TPS",   "DUMMY.TPS"};
    GLO::setArchiveMode(false);
    auto files = backupFiles();
    ASSERT_GE(files.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(files.begin(), files.begin() + head.size()), head);
    const std::set<std::string> all(files.begin(), files.end());
    EXPECT_EQ(all.size(), files.size());
    for (const char* f : {"PROSJEKT.TPS", "PRJLINJE.TPS", "EGENDEF.TPS", "FILTER.TPS"})
        EXPECT_TRUE(all.count(f)) << f;
    EXPECT_EQ(all.size(), 17u);

    // In archive mode the live invoices are still copied.
    GLO::setArchiveMode(true);
    auto archive = backupFiles();
    GLO::setArchiveMode(false);
    EXPECT_EQ(std::set<std::string>(archive.begin(), archive.end()), all);
}

TEST_F(BackupTest, EveryTableFileIsCopiedAndTheCopiesHoldTheData)
{
    addCustomer(ctx, "Fjord AS", 1, 1);
    addArchivedInvoice("Arkivkunde AS");
    insert(ctx, Tbl::PROSJEKT, [](Record& r) {
        r.set(PRJ::PROSJEKTID, "P-100");
        r.set(PRJ::NAVN, "Kaianlegg");
    });
    insert(ctx, Tbl::FILTER, [](Record& r) {
        r.set(FIL::TABELLNR, 1);
        r.set(FIL::FILTERNAVN, "Bergen");
        r.set(FIL::FILTERSTRENG, "KUN:PostNr >= 5000");
    });
    insert(ctx, Tbl::EGENDEF, [](Record& r) { r.set(EGN::LEDETEKST, "Skonummer"); });
    const std::string target = dir + "/kopi";
    fs::create_directory(target);
    setBackupPath(target + "   ");

    std::vector<std::string> events;
    BackupOptions options;
    options.view.open = [&](const std::string& caption, const std::string& text) {
        events.push_back(caption + "|" + text);
    };
    options.view.copying = [&](const std::string& file, int done, int total) {
        events.push_back(file + " " + std::to_string(done) + "/" + std::to_string(total));
    };
    options.view.close = [&] { events.push_back("close"); };
    BackupResult result = BACKUP(ctx, options);

    EXPECT_TRUE(result.complete());
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text,
              "Sørg for at området for sikkerhetskopi (" + target + ") er klart for kopiering");
    EXPECT_EQ(answers.shown[0].caption, "Info");
    EXPECT_EQ(last().text, "Sikkerhetskopieringen er fullført");
    EXPECT_EQ(last().caption, "Info");
    ASSERT_EQ(events.size(), 19u);
    EXPECT_EQ(events.front(), "Vent...|Sikkerhetskopiering pågår...");
    EXPECT_EQ(events[1], "PARAM.TPS 0/17");
    EXPECT_EQ(events.back(), "close");

    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(target))
        names.insert(e.path().filename().string());
    const auto files = backupFiles();
    std::set<std::string> expected(files.begin(), files.end());
    expected.insert("BACKUP.INI");
    EXPECT_EQ(names, expected); // and no half-made copies left behind

    INIClass record;
    record.Init(target + "/BACKUP.INI");
    EXPECT_EQ(record.TryFetch("FILER", "STATUS"), "FULLSTENDIG");
    EXPECT_TRUE(std::regex_match(record.TryFetch("FILER", "DATO"),
                                 std::regex(R"([1-9]\d?\.[1-9]\d?\.20\d\d)")));
    EXPECT_TRUE(std::regex_match(record.TryFetch("FILER", "KL"), std::regex(R"(\d\d:\d\d)")));

    // The copies are a data folder of their own, the parameter record still sealed.
    EXPECT_EQ(bytesOf("kopi/PARAM.TPS").find("kopi"), std::string::npos);
    auto par = firstIn(target, Tbl::PARAM);
    ASSERT_TRUE(par);
    EXPECT_EQ(par->get(PAR::STDBACKUPPATH), target + "   ");
    EXPECT_EQ(firstIn(target, Tbl::KUNDE)->get(KUN::NAVN), "Fjord AS");
    EXPECT_EQ(firstIn(target, Tbl::KONTAKT)->get(KON::NAVN), "Fjord AS kontakt 0");
    EXPECT_EQ(firstIn(target, Tbl::FAKTURA)->get(FAK::KUNDENAVN), "Fjord AS");
    EXPECT_EQ(firstIn(target, Tbl::PROSJEKT)->get(PRJ::NAVN), "Kaianlegg");
    EXPECT_EQ(firstIn(target, Tbl::FILTER)->get(FIL::FILTERSTRENG), "KUN:PostNr >= 5000");
    EXPECT_EQ(firstIn(target, Tbl::EGENDEF)->get(EGN::LEDETEKST), "Skonummer");
    GLO::setArchiveMode(true);
    auto archived = firstIn(target, Tbl::FAKTURA);
    GLO::setArchiveMode(false);
    EXPECT_EQ(archived->get(FAK::KUNDENAVN), "Arkivkunde AS");
}

TEST_F(BackupTest, EmptyPathGoesToAFolderInTheHomeFolder)
{
    const char* oldHome = std::getenv("HOME");
    const std::string home = oldHome ? oldHome : "";
    setenv("HOME", (dir + "/hjem").c_str(), 1);
    BackupResult result = BACKUP(ctx);
    setenv("HOME", home.c_str(), 1);

    const std::string folder = dir + "/hjem/Tavlo-sikkerhetskopi";
    EXPECT_EQ(answers.shown.front().text,
              "Sørg for at området for sikkerhetskopi (" + folder + ") er klart for kopiering");
    EXPECT_TRUE(result.complete());
    EXPECT_EQ(result.folder, folder);
    EXPECT_EQ(EXIST(folder + "/KUNDE.TPS"), 1);
    EXPECT_EQ(EXIST(folder), 1);
    EXPECT_EQ(EXIST(folder + "/MANGLER.TPS"), 0);
    EXPECT_EQ(EXIST(""), 0);
}

TEST_F(BackupTest, FolderThatCannotBeWrittenNeverSaysComplete)
{
    // Under a plain file nothing can be made, not even the record file.
    {
        std::ofstream(path("blokk")) << "x";
    }
    BackupOptions options;
    options.folder = path("blokk/kopi");
    BackupResult result = BACKUP(ctx, options);
    EXPECT_TRUE(result.copied.empty());
    EXPECT_EQ(result.failed.size(), backupFiles().size());
    EXPECT_EQ(EXIST(path("blokk/kopi/BACKUP.INI")), 0);
    ASSERT_EQ(answers.shown.size(), 1u); // a folder the caller chose is not announced
    EXPECT_EQ(last().text, kBackupFailed);
    EXPECT_EQ(last().caption, "Feil");

    // One file that cannot be replaced: the others are copied, the record stays incomplete,
    // although the run before had completed.
    const std::string target = path("kopi");
    fs::create_directory(target);
    options.folder = target;
    ASSERT_TRUE(BACKUP(ctx, options).complete());
    fs::remove(target + "/KUNDE.TPS");
    fs::create_directories(target + "/KUNDE.TPS/opptatt");
    result = BACKUP(ctx, options);
    EXPECT_EQ(result.failed, std::vector<std::string>{"KUNDE.TPS"});
    EXPECT_EQ(result.copied.size(), backupFiles().size() - 1);
    INIClass record;
    record.Init(target + "/BACKUP.INI");
    EXPECT_EQ(record.TryFetch("FILER", "STATUS"), "UFULLSTENDIG");
    EXPECT_EQ(last().text, kBackupFailed);

    // Every file copied, but no record file can say so: not a complete backup either.
    fs::remove_all(target + "/KUNDE.TPS");
    fs::remove(target + "/BACKUP.INI");
    fs::create_directories(target + "/BACKUP.INI/opptatt");
    result = BACKUP(ctx, options);
    EXPECT_TRUE(result.failed.empty());
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(last().text, kBackupFailed);
}

TEST_F(BackupTest, TheDataFolderIsNeverCopiedOntoItself)
{
    addCustomer(ctx, "Fjord AS", 2, 1);
    std::map<std::string, std::string> before;
    for (const auto& f : backupFiles())
        before[f] = bytesOf(f);
    BackupOptions options;
    options.folder = dir + "/./";
    BackupResult result = BACKUP(ctx, options);
    EXPECT_TRUE(result.copied.empty());
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(last().text, kBackupFailed);
    for (const auto& [f, bytes] : before)
        EXPECT_EQ(bytesOf(f), bytes) << f;
    EXPECT_EQ(firstIn(dir, Tbl::KUNDE)->get(KUN::NAVN), "Fjord AS");
}

TEST_F(BackupTest, CopyIsOneStateOfTheFileWhileAnotherConnectionWrites)
{
    // Another program adds customers five at a time; a copy holding a part of a batch would be
    // a state that never was.
    std::atomic<bool> stop{false};
    std::atomic<int> batches{0};
    std::thread writer([&] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path("KUNDE.TPS").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        registerCollation(db);
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO KUNDE (KUNDEID, NAVN) VALUES (?, ?)", -1, &s, nullptr);
        int id = 0;
        while (!stop) {
            if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
                continue;
            for (int i = 0; i < 5; ++i) {
                sqlite3_bind_int(s, 1, ++id);
                sqlite3_bind_text(s, 2, "Kunde", -1, SQLITE_STATIC);
                sqlite3_step(s);
                sqlite3_reset(s);
            }
            if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) {
                ++batches;
            } else {
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                id -= 5;
            }
            // A user saves now and then; a writer that never lets go would hold up any reader.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sqlite3_finalize(s);
        sqlite3_close_v2(db);
    });
    for (int i = 0; batches < 10 && i < 1000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (batches < 10) {
        stop = true;
        writer.join();
        FAIL() << "the writer did not start";
    }

    // The whole backup once, then the customer file alone a few more times.
    const std::string target = path("kopi");
    fs::create_directory(target);
    BackupOptions options;
    options.folder = target;
    EXPECT_TRUE(BACKUP(ctx, options).complete());
    for (int run = 0; run < 5; ++run) {
        StoreError err;
        if (run > 0) {
            EXPECT_TRUE(copyTableFile(path("KUNDE.TPS"), target + "/KUNDE.TPS", err)) << err.text;
        }
        sqlite3* db = nullptr;
        EXPECT_EQ(
            sqlite3_open_v2((target + "/KUNDE.TPS").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
        registerCollation(db);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT count(*), max(KUNDEID), (SELECT integrity_check FROM "
                           "pragma_integrity_check) FROM KUNDE",
                           -1, &s, nullptr);
        EXPECT_EQ(sqlite3_step(s), SQLITE_ROW);
        const int64_t count = sqlite3_column_int64(s, 0);
        EXPECT_GT(count, 0);
        EXPECT_EQ(count % 5, 0);
        EXPECT_EQ(sqlite3_column_int64(s, 1), count);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)), "ok");
        sqlite3_finalize(s);
        sqlite3_close_v2(db);
    }
    stop = true;
    writer.join();
}

// ---------------------------------------------------------------------------------------------
// Emptying of tables

class LagfilerTest : public HousekeepingTest {
  protected:
    void SetUp() override
    {
        HousekeepingTest::SetUp();
        addCustomer(ctx, "Fjord AS", 2, 3);
        addArchivedInvoice("Arkivkunde AS");
        insert(ctx, Tbl::PRODUKT, [](Record& r) { r.set(PRO::NAVN, "Skrue"); });
        insert(ctx, Tbl::FAKLINJE, [](Record& r) { r.set(FLI::FAKTURAID, 1); });
    }

    static LagfilerChoice none()
    {
        LagfilerChoice c;
        for (const auto& box : lagfilerBoxes())
            c.*box.ticked = false;
        return c;
    }

    LagfilerOutcome run(const LagfilerChoice& choice, unsigned answer = BUTTON_YES)
    {
        answers.answer(answer);
        LAGFILER window(ctx);
        window.choice = choice;
        return window.start();
    }
};

TEST_F(LagfilerTest, OnlyProductsLeavesCustomersInvoicesAndTheArchive)
{
    LagfilerChoice choice = none();
    choice.produkter = true;
    LagfilerOutcome outcome = run(choice);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.failures, 0);
    ASSERT_EQ(answers.shown.size(), 2u);
    const Message& q = answers.shown[0];
    EXPECT_EQ(q.text, "Dette medfører at avmerkede data vil bli slettet og dermed klargjort for "
                      "drift. Vil du fortsette?");
    EXPECT_EQ(q.caption, "Advarsel");
    EXPECT_EQ(q.buttons, unsigned(BUTTON_YES | BUTTON_NO));
    EXPECT_EQ(q.defaultButton, unsigned(BUTTON_NO));
    EXPECT_EQ(last().text, "Tømming/sletting av datafiler er fullført");
    EXPECT_EQ(last().caption, "Info");

    EXPECT_EQ(rows("PRODUKT.TPS", Tbl::PRODUKT), 0);
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 1);
    EXPECT_EQ(rows("KONTAKT.TPS", Tbl::KONTAKT), 2);
    EXPECT_EQ(rows("FAKTURA.TPS", Tbl::FAKTURA), 3);
    EXPECT_EQ(rows("FAKLINJE.TPS", Tbl::FAKLINJE), 1);
    EXPECT_EQ(rows("BAKTURA.TPS", Tbl::FAKTURA), 1);
}

TEST_F(LagfilerTest, AnythingButYesChangesNothing)
{
    LagfilerOutcome outcome = run(LagfilerChoice{}, BUTTON_NO);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 1);
    EXPECT_EQ(rows("PRODUKT.TPS", Tbl::PRODUKT), 1);
}

TEST_F(LagfilerTest, InvoicesTakeTheArchivePairAlongAndOpenWindowsCannotWriteBack)
{
    // Another window shows an invoice while the tables are emptied.
    Context other(&errors);
    auto& shown = other.access(Tbl::FAKTURA);
    shown.OPEN();
    shown.SET(FAK::KeyFakturaId);
    ASSERT_EQ(shown.NEXT(), LEVEL_BENIGN);

    LagfilerChoice choice = none();
    choice.fakturaer = true;
    EXPECT_EQ(run(choice).failures, 0);
    for (const char* f : {"FAKTURA.TPS", "BAKTURA.TPS"})
        EXPECT_EQ(rows(f, Tbl::FAKTURA), 0) << f;
    for (const char* f : {"FAKLINJE.TPS", "BAKLINJE.TPS"})
        EXPECT_EQ(rows(f, Tbl::FAKLINJE), 0) << f;
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 1);

    // Its record is gone: saving it does not bring it back.
    answers.shown.clear();
    shown.rec().set(FAK::KUNDENAVN, "Endret");
    EXPECT_NE(shown.UPDATE(), LEVEL_BENIGN);
    shown.CLOSE();
    EXPECT_EQ(rows("FAKTURA.TPS", Tbl::FAKTURA), 0);

    // The emptied table keeps its keys and numbers from the start again.
    addCustomer(ctx, "Ny kunde", 0, 1);
    EXPECT_EQ(firstIn(dir, Tbl::FAKTURA)->get(FAK::FAKTURAID), 1);
}

TEST_F(LagfilerTest, FailuresAreShownAndCountedAndForeignFilesLeftAlone)
{
    for (const char* f : {"FILTER.TPS", "BAKTURA.TPS"}) {
        fs::remove(path(f));
        std::ofstream(path(f)) << "ikke en tabell";
    }
    LagfilerChoice choice; // as the window opens, and the filters
    choice.filtere = true;
    LagfilerOutcome outcome = run(choice);
    EXPECT_EQ(outcome.failures, 2);
    std::vector<std::string> texts;
    for (const auto& m : answers.shown)
        texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         answers.shown[0].text,
                         "Det oppsto feil under opprettelse av BAKTURA.TPS - Invalid File",
                         "Det oppsto feil under opprettelse av FILTER.TPS - Invalid File",
                         "Det oppsto feil under tømming/sletting av datafiler"}));
    EXPECT_EQ(last().caption, "Feil");
    EXPECT_EQ(bytesOf("FILTER.TPS"), "ikke en tabell");
    EXPECT_EQ(bytesOf("BAKTURA.TPS"), "ikke en tabell");
    // What could be emptied was.
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 0);
    EXPECT_EQ(rows("BAKLINJE.TPS", Tbl::FAKLINJE), 0);
    EXPECT_EQ(rows("PRODUKT.TPS", Tbl::PRODUKT), 0);
}

} // namespace
