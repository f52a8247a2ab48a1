// Window positions, backup of the data folder and emptying of tables before production use.
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
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
namespace fs = std::filesystem;

namespace {

const char* const kBackupFailed =
    "Det oppsto feil under sikkerhetskopieringen. Det er ikke en fulstendig sikkerhetskopi på "
    "disketten. Det anbefales at du tar en manuell sikkerhetskopi.";

// One value of a table file, read past the record store so that nothing is opened or made.
int64_t sqlValue(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    int64_t n = -1;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    registerCollation(db);
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close_v2(db);
    return n;
}

class HousekeepingTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        std::string message;
        ASSERT_TRUE(createDataFolder(dir, message)) << message;
    }

    void insert(Tbl t, const std::function<void(Record&)>& fill, bool archive = false)
    {
        GLO::setArchiveMode(archive);
        Context c(&errors);
        auto& fm = c.access(t);
        fm.OPEN();
        fm.rec().clear();
        fill(fm.rec());
        EXPECT_EQ(fm.INSERT(), LEVEL_BENIGN) << table(t).name;
        fm.CLOSE();
        GLO::setArchiveMode(false);
    }

    // The first record of a table in the data folder `folder`.
    Record firstIn(const std::string& folder, Tbl t, bool archive = false)
    {
        setDataFolder(folder);
        GLO::setArchiveMode(archive);
        Context c(&errors);
        auto& fm = c.access(t);
        fm.OPEN();
        fm.SET(KeyRef{static_cast<uint16_t>(table(t).primaryKey())});
        EXPECT_EQ(fm.NEXT(), LEVEL_BENIGN) << table(t).name;
        Record r = fm.rec();
        fm.CLOSE();
        GLO::setArchiveMode(false);
        setDataFolder(dir);
        return r;
    }

    int64_t rows(const std::string& file, Tbl t)
    {
        return sqlValue(path(file), "SELECT count(*) FROM " + table(t).name);
    }
    const Message& last() const { return answers.shown.back(); }

    Context ctx{&errors};
};

using WindowPositionTest = HousekeepingTest;

WindowPlacement at(int x, int y, int width, int height)
{
    WindowPlacement w;
    std::tie(w.x, w.y, w.width, w.height) = std::make_tuple(x, y, width, height);
    return w;
}
using BackupTest = HousekeepingTest;

TEST_F(WindowPositionTest, SavedPlaceComesBackUnderAnySpellingOfTheNameAndOnlyThere)
{
    WindowPlacement saved = at(120, -8, 640, 480), g = at(1, 2, 3, 4);
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "Kundekartotek  ", saved), LEVEL_BENIGN);
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "KUNDEKARTOTEK", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.width, g.height), std::make_tuple(120, -8, 640, 480));
    // Saved again: the rows are changed, not added.
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "kundekartotek", saved), LEVEL_BENIGN);
    EXPECT_EQ(rows("WINPOS.TPS", Tbl::WINPOS), 4);
    EXPECT_EQ(firstIn(dir, Tbl::WINPOS).get(WPO::WINDOWNAME), "KUNDEKARTOTEK");

    // A register never saved keeps its designed place; of a partly stored one, only what is
    // stored as a number counts.
    g = at(30, 40, 500, 300);
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "FAKTURAKARTOTEK", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.width, g.height), std::make_tuple(30, 40, 500, 300));
    for (auto [property, value] : {std::pair{"X", "77"}, {"W", "bred"}, {"H", ""}})
        insert(Tbl::WINPOS, [&](Record& r) {
            r.set(WPO::WINDOWNAME, "FAKTURAKARTOTEK");
            r.set(WPO::PROPERTYNAME, property);
            r.set(WPO::PROPERTYVALUE, value);
        });
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, "FakturaKartotek", g);
    EXPECT_EQ(std::tie(g.x, g.y, g.width, g.height), std::make_tuple(77, 40, 500, 300));

    // A name longer than the field is cut the same way each time; other modes change nothing.
    ASSERT_EQ(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, std::string(80, 'q'), saved), LEVEL_BENIGN);
    g = {};
    HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, std::string(80, 'Q') + " ", g);
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(HANDLEWINDOWPOSITION(ctx, 3, "NYKARTOTEK", g), LEVEL_BENIGN);
    EXPECT_EQ(rows("WINPOS.TPS", Tbl::WINPOS), 11);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(WindowPositionTest, FailedWriteStopsTheSave)
{
    fs::remove(path("WINPOS.TPS"));
    std::ofstream(path("WINPOS.TPS")) << "ikke en tabell";
    WindowPlacement g = at(1, 2, 3, 4);
    EXPECT_NE(HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, "KUNDEKARTOTEK", g), LEVEL_BENIGN);
    // One failed lookup and one failed insert for "X"; "Y", "W" and "H" are never tried.
    EXPECT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(bytesOf("WINPOS.TPS"), "ikke en tabell");
}

TEST_F(BackupTest, EveryTableFileIsCopiedAndTheCopiesHoldTheData)
{
    addCustomer(ctx, "Fjord AS", 1, 1);
    insert(
        Tbl::FAKTURA, [](Record& r) { r.set(FAK::KUNDENAVN, "Arkivkunde AS"); }, true);
    insert(Tbl::PROSJEKT, [](Record& r) { r.set(PRJ::PROSJEKTID, "P-100"); });
    insert(Tbl::FILTER, [](Record& r) { r.set(FIL::FILTERSTRENG, "KUN:PostNr >= 5000"); });
    const std::string target = path("kopi");
    fs::create_directory(target);
    auto& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    par.SET(PAR::KeyParameterId);
    ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
    par.rec().set(PAR::STDBACKUPPATH, target + "   ");
    ASSERT_EQ(par.UPDATE(), LEVEL_BENIGN);
    par.CLOSE();

    std::vector<std::string> events;
    BackupOptions options;
    options.view.open = [&](const std::string& c, const std::string& t) {
        events.push_back(c + "|" + t);
    };
    options.view.copying = [&](const std::string& file, int, int) { events.push_back(file); };
    options.view.close = [&] { events.push_back("close"); };
    EXPECT_TRUE(BACKUP(ctx, options).complete());
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text,
              "Sørg for at området for sikkerhetskopi (" + target + ") er klart for kopiering");
    EXPECT_EQ(last().text, "Sikkerhetskopieringen er fullført");
    EXPECT_EQ(last().caption, "Info");
    const auto files = backupFiles();
    std::vector<std::string> expected{"Vent...|Sikkerhetskopiering pågår..."};
    expected.insert(expected.end(), files.begin(), files.end());
    expected.push_back("close");
    EXPECT_EQ(events, expected);
    EXPECT_EQ(files.size(), 19u);
    EXPECT_EQ(files[0], "PARAM.TPS");

    std::set<std::string> names, wanted(files.begin(), files.end());
    wanted.insert("BACKUP.INI");
    for (const auto& e : fs::directory_iterator(target))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, wanted); // and no half-made copies left behind
    INIClass record;
    record.Init(target + "/BACKUP.INI");
    EXPECT_EQ(record.TryFetch("FILER", "STATUS"), "FULLSTENDIG");
    EXPECT_TRUE(std::regex_match(record.TryFetch("FILER", "DATO"),
                                 std::regex(R"([1-9]\d?\.[1-9]\d?\.20\d\d)")));
    EXPECT_TRUE(std::regex_match(record.TryFetch("FILER", "KL"), std::regex(R"(\d\d:\d\d)")));

    // The copies are a data folder of their own, the parameter record still sealed.
    EXPECT_EQ(bytesOf("kopi/PARAM.TPS").find("kopi"), std::string::npos);
    EXPECT_EQ(firstIn(target, Tbl::PARAM).get(PAR::STDBACKUPPATH), target + "   ");
    EXPECT_EQ(firstIn(target, Tbl::KONTAKT).get(KON::NAVN), "Fjord AS kontakt 0");
    EXPECT_EQ(firstIn(target, Tbl::FAKTURA).get(FAK::KUNDENAVN), "Fjord AS");
    EXPECT_EQ(firstIn(target, Tbl::FAKTURA, true).get(FAK::KUNDENAVN), "Arkivkunde AS");
    EXPECT_EQ(firstIn(target, Tbl::PROSJEKT).get(PRJ::PROSJEKTID), "P-100");
    EXPECT_EQ(firstIn(target, Tbl::FILTER).get(FIL::FILTERSTRENG), "KUN:PostNr >= 5000");

    // In archive mode the live invoices are copied all the same.
    GLO::setArchiveMode(true);
    const auto archive = backupFiles();
    GLO::setArchiveMode(false);
    EXPECT_EQ(std::set<std::string>(archive.begin(), archive.end()),
              std::set<std::string>(files.begin(), files.end()));
}

TEST_F(BackupTest, EmptyPathGoesToAFolderInTheHomeFolder)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", path("hjem").c_str(), 1);
    BackupResult result = BACKUP(ctx);
    setenv("HOME", home.c_str(), 1);
    const std::string folder = path("hjem/Tavlo-sikkerhetskopi");
    EXPECT_EQ(answers.shown.front().text,
              "Sørg for at området for sikkerhetskopi (" + folder + ") er klart for kopiering");
    EXPECT_TRUE(result.complete());
    EXPECT_EQ(EXIST(folder), 1);
    EXPECT_EQ(EXIST(folder + "/KUNDE.TPS"), 1);
    EXPECT_EQ(EXIST(folder + "/MANGLER.TPS"), 0);
}

TEST_F(BackupTest, FolderThatCannotBeWrittenNeverSaysComplete)
{
    // Under a plain file nothing can be made, not even the record file.
    std::ofstream(path("blokk")) << "x";
    BackupOptions options;
    options.folder = path("blokk/kopi");
    BackupResult result = BACKUP(ctx, options);
    EXPECT_TRUE(result.copied.empty());
    EXPECT_EQ(result.failed.size(), backupFiles().size());
    EXPECT_EQ(EXIST(path("blokk/kopi/BACKUP.INI")), 0);
    ASSERT_EQ(answers.shown.size(), 1u); // a folder the caller chose is not announced
    EXPECT_EQ(last().text, kBackupFailed);
    EXPECT_EQ(last().caption, "Feil");

    // One file that cannot be replaced: the others are copied, and the record of the complete
    // run before says "UFULLSTENDIG" now.
    options.folder = path("kopi");
    fs::create_directory(*options.folder);
    ASSERT_TRUE(BACKUP(ctx, options).complete());
    fs::remove(path("kopi/KUNDE.TPS"));
    fs::create_directories(path("kopi/KUNDE.TPS/opptatt"));
    result = BACKUP(ctx, options);
    EXPECT_EQ(result.failed, std::vector<std::string>{"KUNDE.TPS"});
    EXPECT_EQ(result.copied.size(), backupFiles().size() - 1);
    INIClass record;
    record.Init(path("kopi/BACKUP.INI"));
    EXPECT_EQ(record.TryFetch("FILER", "STATUS"), "UFULLSTENDIG");
    EXPECT_EQ(last().text, kBackupFailed);
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
        for (int id = 0; !stop;) {
            std::string sql = "BEGIN IMMEDIATE;";
            for (int i = 0; i < 5; ++i)
                sql += "INSERT INTO KUNDE (KUNDEID) VALUES (" + std::to_string(++id) + ");";
            if (sqlite3_exec(db, (sql + "COMMIT").c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
                ++batches;
            else
                (sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr), id -= 5);
            // A user saves now and then; a writer that never lets go would hold up any reader.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sqlite3_close_v2(db);
    });
    for (int i = 0; batches < 10 && i < 1000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    // The whole backup once, then the customer file alone a few more times.
    BackupOptions options;
    options.folder = path("kopi");
    fs::create_directory(*options.folder);
    EXPECT_TRUE(BACKUP(ctx, options).complete());
    const std::string copy = path("kopi/KUNDE.TPS");
    for (int run = 0; run < 5; ++run) {
        StoreError err;
        EXPECT_TRUE(run == 0 || copyTableFile(path("KUNDE.TPS"), copy, err)) << err.text;
        const int64_t count = sqlValue(copy, "SELECT count(*) FROM KUNDE");
        EXPECT_GT(count, 0);
        EXPECT_EQ(count % 5, 0);
        EXPECT_EQ(sqlValue(copy, "SELECT max(KUNDEID) FROM KUNDE"), count);
        EXPECT_EQ(sqlValue(copy, "SELECT integrity_check = 'ok' FROM pragma_integrity_check"), 1);
    }
    stop = true;
    writer.join();
}

class LagfilerTest : public HousekeepingTest {
  protected:
    void SetUp() override
    {
        HousekeepingTest::SetUp();
        addCustomer(ctx, "Fjord AS", 2, 3);
        insert(
            Tbl::FAKTURA, [](Record& r) { r.set(FAK::KUNDENAVN, "Arkivkunde AS"); }, true);
        insert(Tbl::PRODUKT, [](Record& r) { r.set(PRO::NAVN, "Skrue"); });
        insert(Tbl::FAKLINJE, [](Record& r) { r.set(FLI::FAKTURAID, 1); });
    }

    // Only the boxes named are ticked; none named leaves them as the window opens.
    LagfilerOutcome run(std::initializer_list<bool LagfilerChoice::*> only, unsigned answer)
    {
        answers.answer(answer);
        LAGFILER window(ctx);
        if (only.size() > 0)
            for (const auto& box : lagfilerBoxes())
                window.choice.*box.ticked = std::count(only.begin(), only.end(), box.ticked);
        return window.start();
    }
};

TEST_F(LagfilerTest, OnlyProductsLeavesCustomersInvoicesAndTheArchive)
{
    EXPECT_FALSE(run({}, BUTTON_NO).started); // anything but Yes changes nothing
    EXPECT_EQ(rows("PRODUKT.TPS", Tbl::PRODUKT), 1);

    answers.shown.clear();
    LagfilerOutcome outcome = run({&LagfilerChoice::produkter}, BUTTON_YES);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.failures, 0);
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].text, "Dette medfører at avmerkede data vil bli slettet og dermed "
                                     "klargjort for drift. Vil du fortsette?");
    EXPECT_EQ(answers.shown[0].defaultButton, unsigned(BUTTON_NO));
    EXPECT_EQ(last().text, "Tømming/sletting av datafiler er fullført");

    EXPECT_EQ(rows("PRODUKT.TPS", Tbl::PRODUKT), 0);
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 1);
    EXPECT_EQ(rows("KONTAKT.TPS", Tbl::KONTAKT), 2);
    EXPECT_EQ(rows("FAKTURA.TPS", Tbl::FAKTURA), 3);
    EXPECT_EQ(rows("FAKLINJE.TPS", Tbl::FAKLINJE), 1);
    EXPECT_EQ(rows("BAKTURA.TPS", Tbl::FAKTURA), 1);
}

TEST_F(LagfilerTest, InvoicesTakeTheArchivePairAlongAndOpenWindowsCannotWriteBack)
{
    // Another window shows an invoice while the tables are emptied.
    Context other(&errors);
    auto& shown = other.access(Tbl::FAKTURA);
    shown.OPEN();
    shown.SET(FAK::KeyFakturaId);
    ASSERT_EQ(shown.NEXT(), LEVEL_BENIGN);

    EXPECT_EQ(run({&LagfilerChoice::fakturaer}, BUTTON_YES).failures, 0);
    for (const char* f : {"FAKTURA.TPS", "BAKTURA.TPS"})
        EXPECT_EQ(rows(f, Tbl::FAKTURA), 0) << f;
    for (const char* f : {"FAKLINJE.TPS", "BAKLINJE.TPS"})
        EXPECT_EQ(rows(f, Tbl::FAKLINJE), 0) << f;
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 1);

    // Its record is gone: saving it does not bring it back.
    shown.rec().set(FAK::KUNDENAVN, "Endret");
    EXPECT_NE(shown.UPDATE(), LEVEL_BENIGN);
    shown.CLOSE();
    EXPECT_EQ(rows("FAKTURA.TPS", Tbl::FAKTURA), 0);
    // The emptied table keeps its keys and numbers from the start again.
    addCustomer(ctx, "Ny kunde", 0, 1);
    EXPECT_EQ(firstIn(dir, Tbl::FAKTURA).get(FAK::FAKTURAID), 1);
}

TEST_F(LagfilerTest, FailuresAreShownAndCountedAndForeignFilesLeftAlone)
{
    for (const char* f : {"FILTER.TPS", "BAKTURA.TPS"}) {
        fs::remove(path(f));
        std::ofstream(path(f)) << "ikke en tabell";
    }
    EXPECT_EQ(run({&LagfilerChoice::kunder, &LagfilerChoice::fakturaer, &LagfilerChoice::filtere},
                  BUTTON_YES)
                  .failures,
              2);
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[1].text,
              "Det oppsto feil under opprettelse av BAKTURA.TPS - Invalid File");
    EXPECT_EQ(answers.shown[2].text,
              "Det oppsto feil under opprettelse av FILTER.TPS - Invalid File");
    EXPECT_EQ(last().text, "Det oppsto feil under tømming/sletting av datafiler");
    EXPECT_EQ(last().caption, "Feil");
    EXPECT_EQ(bytesOf("FILTER.TPS"), "ikke en tabell");
    EXPECT_EQ(bytesOf("BAKTURA.TPS"), "ikke en tabell");
    // What could be emptied was.
    EXPECT_EQ(rows("KUNDE.TPS", Tbl::KUNDE), 0);
    EXPECT_EQ(rows("BAKLINJE.TPS", Tbl::FAKLINJE), 0);
}

} // namespace
