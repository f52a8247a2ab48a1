// The command-line program run as a separate process, as scripts run it: exit status, stdout,
// stderr and the files it leaves behind.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>

#include <csignal>
#include <thread>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/context.h"
#include "data/globals.h"
#include "framework/filemanager.h"
#include "framework/installation.h"
#include "framework/tests/childprogram.h"
#include "invoices/fakturastatistikk.h"
#include "invoices/giro.h"
#include "invoices/tests/ocrfil.h"
#include "invoices/tests/statistikkdata.h"

namespace {
namespace fs = std::filesystem;

using tavlo::testing::Outcome;

std::string bytesOf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> filesIn(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// Every file of a folder with its bytes: a refused command must leave all of them as they were.
std::map<std::string, std::string> folderBytes(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = bytesOf(e.path());
    return files;
}

class cli : public tavlo::testing::ProgramTest {
  protected:
    cli() : ProgramTest(TAVLO_EXE) {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        dir = root + "/data";
    }

    // Starts the program on args and kills it once `watched` has grown twice: the first of
    // those writes is through, and the run is well before its end.
    void killWhileItWrites(std::vector<std::string> args, const std::string& watched)
    {
        const pid_t pid = start(args);
        ASSERT_NE(pid, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::error_code ec;
        uintmax_t seen = 0;
        int grown = 0;
        while (grown < 2 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const uintmax_t size = fs::file_size(dir + "/" + watched, ec);
            if (!ec && size > seen) {
                if (seen != 0)
                    ++grown;
                seen = size;
            }
        }
        kill(pid, SIGKILL);
        wait(pid);
    }

    Outcome records(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"records", dir});
        return run(args);
    }

    void init()
    {
        Outcome r = run({"init", dir});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    // Inserts and returns the key printed.
    std::string insert(const std::string& table, std::vector<std::string> values)
    {
        values.insert(values.begin(), {table, "insert"});
        Outcome r = records(values);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        return r.out;
    }

    std::string file(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
};

// A failure is one line on stderr and nothing on stdout.
::testing::AssertionResult failsWithOneLine(const Outcome& r, const std::string& part)
{
    if (r.status != 1)
        return ::testing::AssertionFailure() << "status " << r.status << ", stderr: " << r.err;
    if (!r.out.empty())
        return ::testing::AssertionFailure() << "stdout: " << r.out;
    if (r.err.empty() || r.err.find('\n') != r.err.size() - 1)
        return ::testing::AssertionFailure() << "not one line on stderr: [" << r.err << "]";
    if (r.err.find(part) == std::string::npos)
        return ::testing::AssertionFailure() << "\"" << part << "\" not in: " << r.err;
    return ::testing::AssertionSuccess();
}

TEST_F(cli, InitMakesEveryTableFileAndTheParameterRecordOnce)
{
    Outcome r = run({"init", dir});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::set<std::string> expected{
        "KUNDE.TPS",   "KONTAKT.TPS",  "PRODUKT.TPS",   "PROSJEKT.TPS",   "PRJLINJE.TPS",
        "FAKTURA.TPS", "FAKLINJE.TPS", "GRUNNLAG.TPS",  "GRULINJE.TPS",   "KODEVERK.TPS",
        "EGENDEF.TPS", "FILTER.TPS",   "PARAM.TPS",     "WINPOS.TPS",     "DUMMY.TPS",
        "BAKTURA.TPS", "BAKLINJE.TPS", "KREDITERT.TPS", "OCRBETALING.TPS"};
    std::set<std::string> listed;
    std::size_t lines = 0;
    for (std::size_t from = 0, nl; (nl = r.out.find('\n', from)) != std::string::npos;
         from = nl + 1, ++lines)
        listed.insert(fs::path(r.out.substr(from, nl - from)).filename().string());
    EXPECT_EQ(lines, expected.size());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(filesIn(dir), expected);

    r = records({"PARAM", "list", "--fields",
                 "PAR:STDMVATYPE,stdmvasats,Par:FakturaType,ANTALLFAKTURAER,"
                 "BESKRIVELSEPLASSERING_FAKTURALINJE,BESKRIVELSEPLASSERING_FAKTURA,"
                 "FORHANDSVISNING,PAR:AVRUNDING"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "PAR:STDMVATYPE,PAR:STDMVASATS,PAR:FAKTURATYPE,PAR:ANTALLFAKTURAER,"
                     "PAR:BESKRIVELSEPLASSERING_FAKTURALINJE,PAR:BESKRIVELSEPLASSERING_FAKTURA,"
                     "PAR:FORHANDSVISNING,PAR:AVRUNDING\n1,25,1,1,2,2,1,0.00\n");

    // A second init is refused and leaves the parameter table as it was.
    const std::string param = bytesOf(file("PARAM.TPS"));
    EXPECT_TRUE(failsWithOneLine(run({"init", dir}), "parameterpost"));
    EXPECT_EQ(bytesOf(file("PARAM.TPS")), param);
    EXPECT_EQ(filesIn(dir), expected);
    EXPECT_TRUE(failsWithOneLine(records({"PARAM", "insert", "PAR:STDMVASATS=15"}), "PARAM"));
}

TEST_F(cli, InitOnAFolderWithAForeignTableFileMakesNothing)
{
    fs::create_directories(dir);
    std::ofstream(file("FILTER.TPS"), std::ios::binary) << "Ikke en tabell\n";
    const std::string before = bytesOf(file("FILTER.TPS"));

    EXPECT_TRUE(failsWithOneLine(run({"init", dir}), "FILTER"));
    EXPECT_EQ(bytesOf(file("FILTER.TPS")), before);
    // The tables made before the foreign file was found are gone again.
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"FILTER.TPS"});
}

TEST_F(cli, RecordsMakesNoFilesOutsideADataFolder)
{
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "list"}), "finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "insert", "KUN:NAVN=Ola"}), "finnes ikke"));
    EXPECT_FALSE(fs::exists(dir));

    fs::create_directories(dir);
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "list"}), "init"));
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "insert", "KUN:NAVN=Ola"}), "init"));
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "update", "1", "KUN:NAVN=Ola"}), "init"));
    // An empty parameter file would be made into a table on opening.
    std::ofstream(file("PARAM.TPS"));
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "list"}), "init"));
    EXPECT_EQ(filesIn(dir), std::set<std::string>{"PARAM.TPS"});
    EXPECT_EQ(bytesOf(file("PARAM.TPS")), "");
}

TEST_F(cli, BadArgumentsAreReportedAndChangeNothing)
{
    init();
    ASSERT_EQ(insert("KUNDE", {"KUN:NAVN=Ola", "KUN:POSTNR=1234"}), "1\n");
    const std::string listing = records({"KUNDE", "list", "--format", "json"}).out;
    const std::string tooLong(51, 'x');
    const std::string memoTooLong(1001, 'm');

    struct Case {
        std::vector<std::string> args;
        std::string part;
    };
    const std::vector<Case> cases{
        {{"KUNDE", "insert", "KUN:NAVNX=Ola"}, "Ukjent felt: KUN:NAVNX"},
        {{"KUNDE", "insert", "KON:NAVN=Ola"}, "Ukjent felt: KON:NAVN"},
        {{"KUNDE", "insert", "KUN:NAVN"}, "FELT=VERDI"},
        {{"KUNDE", "insert", "KUN:NAVN=" + tooLong}, "Ugyldig verdi for KUN:NAVN"},
        {{"KUNDE", "insert", "KUN:NAVN=Per", "KUN:POSTNR=abc"}, "Ugyldig verdi for KUN:POSTNR"},
        {{"KUNDE", "insert", "KUN:REGISTRERINGSDATO=31.02.2004"}, "KUN:REGISTRERINGSDATO"},
        {{"KUNDE", "insert", "KUN:RABATT=100000"}, "Ugyldig verdi for KUN:RABATT"},
        {{"KUNDE", "insert", "KUN:DIV=" + memoTooLong}, "Ugyldig verdi for KUN:DIV"},
        {{"KUNDE", "update", "1", "KUN:NAVN=Kari", "KUN:POSTNR=12x"}, "KUN:POSTNR"},
        {{"KUNDE", "update", "x", "KUN:NAVN=Kari"}, "Ugyldig nøkkelverdi for KUN:KUNDEID"},
        {{"KUNDE", "update", "1"}, "Ingen felt"},
        {{"KUNDX", "list"}, "Ukjent tabell: KUNDX"},
        {{"KUNDE", "list", "--fields", "KUN:NAVN,NOPE"}, "Ukjent felt: NOPE"},
        {{"KUNDE", "list", "--key", "KUN:KeyNope"}, "Ukjent nøkkel: KUN:KeyNope"},
        {{"KUNDE", "list", "--format", "xml"}, "Ukjent format: xml"},
        {{"KUNDE", "list", "--sort"}, "Ukjent valg: --sort"},
        {{"KUNDE", "insert", "--key", "KUN:KeyNavn", "KUN:NAVN=Per"}, "bare list"},
        {{"KUNDE", "delete", "1", "--filter", "KUN:POSTNR = 1234"}, "bare list"},
        {{"KUNDE", "delete"}, "Mangler nøkkel"},
        {{"KUNDE", "delete", "1", "2"}, "Ukjent argument til delete: 2"},
        {{"KUNDE", "remove", "1"}, "Ukjent kommando: remove"},
        {{"KUNDE"}, "Mangler kommando"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back().substr(0, 40));
        EXPECT_TRUE(failsWithOneLine(records(c.args), c.part));
    }
    EXPECT_TRUE(failsWithOneLine(run({"records", dir}), "Mangler tabellnavn"));
    EXPECT_TRUE(failsWithOneLine(run({"records"}), "Mangler datamappe"));
    EXPECT_TRUE(failsWithOneLine(run({"frobnicate"}), "Ukjent kommando: frobnicate"));
    EXPECT_EQ(records({"KUNDE", "list", "--format", "json"}).out, listing);
}

TEST_F(cli, DamagedOrForeignTableFileIsReportedAndLeftAlone)
{
    init();
    const char head[] = "SQLite format 3\0\x10\x00 skadet";
    std::ofstream(file("KUNDE.TPS"), std::ios::binary | std::ios::trunc)
        << std::string(head, sizeof head - 1) << std::string(500, 'Z');
    const std::string damaged = bytesOf(file("KUNDE.TPS"));
    Outcome r = records({"KUNDE", "list"});
    EXPECT_TRUE(failsWithOneLine(r, "KUNDE"));
    EXPECT_EQ(r.err.find("Press OK"), std::string::npos) << "no box to press on the command line";
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "insert", "KUN:NAVN=Ola"}), "KUNDE"));
    EXPECT_TRUE(failsWithOneLine(records({"KUN", "update", "1", "KUN:NAVN=Ola"}), "KUNDE"));
    EXPECT_EQ(bytesOf(file("KUNDE.TPS")), damaged);

    // A table file of another table under the name.
    fs::copy_file(file("KONTAKT.TPS"), file("KUNDE.TPS"), fs::copy_options::overwrite_existing);
    const std::string foreign = bytesOf(file("KUNDE.TPS"));
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "insert", "KUN:NAVN=Ola"}), "KUNDE"));
    EXPECT_EQ(bytesOf(file("KUNDE.TPS")), foreign);
}

TEST_F(cli, DuplicateCodeAndMissingKeyAreRefused)
{
    init();
    // A group of its own: a new data folder holds the standard codes.
    EXPECT_EQ(insert("KODEVERK", {"KOD:GRUPPE=201", "KOD:NR=5000", "KOD:TEKST=Oslo"}),
              "201,5000\n");
    EXPECT_TRUE(failsWithOneLine(
        records({"KODEVERK", "insert", "KOD:GRUPPE=201", "KOD:NR=5000", "KOD:TEKST=Bergen"}),
        "KOD:KeyGruppe_Nr"));

    Outcome r = records({"KODEVERK", "update", "201,5000", "kod:tekst=Oslo sentrum"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "201,5000\n");
    EXPECT_TRUE(failsWithOneLine(records({"KODEVERK", "update", "201,5001", "KOD:TEKST=X"}),
                                 "Fant ingen post"));
    EXPECT_TRUE(failsWithOneLine(records({"KODEVERK", "update", "201", "KOD:TEKST=X"}), "2 deler"));
    EXPECT_TRUE(
        failsWithOneLine(records({"KUNDE", "update", "7", "KUN:NAVN=X"}), "Fant ingen post"));
    // Moving the code onto another one's key is refused too.
    ASSERT_EQ(insert("KODEVERK", {"KOD:GRUPPE=201", "KOD:NR=5003", "KOD:TEKST=Oslo"}),
              "201,5003\n");
    r = records({"KODEVERK", "update", "201,5003", "KOD:NR=5000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    r = records({"KODEVERK", "list", "--fields", "KOD:GRUPPE,KOD:NR,KOD:TEKST", "--filter",
                 "KOD:GRUPPE = 201"});
    EXPECT_EQ(r.out, "KOD:GRUPPE,KOD:NR,KOD:TEKST\n201,5000,Oslo sentrum\n201,5003,Oslo\n");

    // A text key part holding a comma is quoted, and the printed key finds the record again.
    const std::string key = insert("WINPOS", {"WPO:WINDOWNAME=Kunde, kartotek",
                                              "WPO:PROPERTYNAME=Bredde", "WPO:PROPERTYVALUE=300"});
    EXPECT_EQ(key, "\"Kunde, kartotek\",Bredde\n");
    EXPECT_TRUE(failsWithOneLine(
        records({"WINPOS", "insert", "WPO:WINDOWNAME=KUNDE, KARTOTEK", "WPO:PROPERTYNAME=bredde"}),
        "WPO:KeyWindowName_PropretyName"));
    r = records({"WINPOS", "update", key.substr(0, key.size() - 1), "WPO:PROPERTYVALUE=400"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(records({"WINPOS", "list", "--fields", "WPO:PROPERTYVALUE"}).out,
              "WPO:PROPERTYVALUE\n400\n");
}

TEST_F(cli, InsertedTextsComeBackExactlyInCsvAndJson)
{
    init();
    ASSERT_EQ(insert("kunde", {"KUN:NAVN=Blåbær, Ærlig & Søn AS", "adresse=Storgata \"Øvre\" 5",
                               "Kun:RegistreringsDato=31.12.2004", "KUN:KREDITTGRENSE=1234,5",
                               "KUN:RABATT=12.5", "KUN:DIV=første linje\nandre, linje"}),
              "1\n");
    const std::string fields = "KUN:KUNDEID,navn,KUN:ADRESSE,registreringsdato,"
                               "KUN:KREDITTGRENSE,KUN:RABATT,KUN:DIV,KUN:HOVEDKONTAKT";
    Outcome r = records({"KUNDE", "list", "--fields", fields});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "KUN:KUNDEID,KUN:NAVN,KUN:ADRESSE,KUN:REGISTRERINGSDATO,KUN:KREDITTGRENSE,"
                     "KUN:RABATT,KUN:DIV,KUN:HOVEDKONTAKT\n"
                     "1,\"Blåbær, Ærlig & Søn AS\",\"Storgata \"\"Øvre\"\" 5\",31.12.2004,"
                     "1234.50,12.50,\"første linje\nandre, linje\",0\n");

    r = records({"KUNDE", "list", "--fields", fields, "--format=json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\n  {\"KUN:KUNDEID\": 1, \"KUN:NAVN\": \"Blåbær, Ærlig & Søn AS\", "
                     "\"KUN:ADRESSE\": \"Storgata \\\"Øvre\\\" 5\", \"KUN:REGISTRERINGSDATO\": "
                     "\"31.12.2004\", \"KUN:KREDITTGRENSE\": 1234.50, \"KUN:RABATT\": 12.50, "
                     "\"KUN:DIV\": \"første linje\\nandre, linje\", \"KUN:HOVEDKONTAKT\": 0}\n]\n");

    // Without --fields: every field in record order, no memos.
    r = records({"KUNDE", "list"});
    const std::string header = r.out.substr(0, r.out.find('\n'));
    EXPECT_EQ(header.rfind("KUN:KUNDEID,KUN:REGISTRERINGSDATO,KUN:NAVN,", 0), 0u) << header;
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 36);
    EXPECT_EQ(header.find("KUN:DIV"), std::string::npos);

    // An empty table still has its header, and an empty json list.
    EXPECT_EQ(records({"PRODUKT", "list", "--fields", "PRO:NAVN"}).out, "PRO:NAVN\n");
    EXPECT_EQ(records({"PRODUKT", "list", "--format", "json"}).out, "[]\n");
}

TEST_F(cli, KeyOrderFollowsTheNorwegianAlphabet)
{
    init();
    for (const char* name : {"ola", "Åse", "Zed", "Ærlig", "Øyvind"})
        insert("KUNDE", {std::string("KUN:NAVN=") + name});
    Outcome r = records({"KUNDE", "list", "--key", "KUN:KeyNavn", "--fields", "KUN:NAVN"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "KUN:NAVN\nola\nZed\nÆrlig\nØyvind\nÅse\n");
    EXPECT_EQ(records({"KUNDE", "list", "--key", "keynavn", "--fields", "KUN:NAVN"}).out, r.out);
    // The alias table walks the same file and answers to the table's names as well.
    EXPECT_EQ(records({"KUNDE_ALIAS", "list", "--key", "KUN:KeyNavn", "--fields", "KUN:NAVN"}).out,
              "KUNA:NAVN\nola\nZed\nÆrlig\nØyvind\nÅse\n");
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:NAVN"}).out,
              "KUN:NAVN\nola\nÅse\nZed\nÆrlig\nØyvind\n");
}

TEST_F(cli, ArchiveModeWritesOnlyTheArchivePair)
{
    init();
    const std::string live = bytesOf(file("FAKTURA.TPS"));
    const std::string liveLines = bytesOf(file("FAKLINJE.TPS"));
    const std::string archive = bytesOf(file("BAKTURA.TPS"));

    Outcome r = records({"FAKTURA", "insert", "--archive", "FAK:KUNDENAVN=Arkiv AS"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");
    r = records({"FAKLINJE", "insert", "FLI:FAKTURAID=1", "FLI:PRODUKTNAVN=Timer", "--archive"});
    EXPECT_EQ(r.out, "1\n");
    EXPECT_NE(bytesOf(file("BAKTURA.TPS")), archive);
    EXPECT_EQ(bytesOf(file("FAKTURA.TPS")), live);
    EXPECT_EQ(bytesOf(file("FAKLINJE.TPS")), liveLines);

    EXPECT_EQ(
        records({"FAKTURA", "list", "--archive", "--fields", "FAK:FAKTURAID,FAK:KUNDENAVN"}).out,
        "FAK:FAKTURAID,FAK:KUNDENAVN\n1,Arkiv AS\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:FAKTURAID,FAK:KUNDENAVN"}).out,
              "FAK:FAKTURAID,FAK:KUNDENAVN\n");

    // Deleting from the archive takes the archived lines along and leaves the live pair alone.
    r = records({"FAKTURA", "delete", "1", "--archive"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(records({"FAKLINJE", "list", "--archive", "--fields", "FLI:FAKLINJEID"}).out,
              "FLI:FAKLINJEID\n");
    EXPECT_EQ(bytesOf(file("FAKTURA.TPS")), live);
    EXPECT_EQ(bytesOf(file("FAKLINJE.TPS")), liveLines);
}

TEST_F(cli, AutoNumberReplacesTheNumberTheCallerTyped)
{
    init();
    EXPECT_EQ(insert("KUNDE", {"KUN:NAVN=A"}), "1\n");
    EXPECT_EQ(insert("KUNDE", {"KUN:NAVN=B"}), "2\n");
    EXPECT_EQ(insert("KUNDE", {"KUN:KUNDEID=500", "KUN:NAVN=C"}), "3\n");
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:KUNDEID,KUN:NAVN"}).out,
              "KUN:KUNDEID,KUN:NAVN\n1,A\n2,B\n3,C\n");
}

TEST_F(cli, FilterKeepsTheMatchingRecordsInTheKeysOrder)
{
    init();
    for (const std::string postNr : {"4000", "5000", "999", "7000", "1000"})
        insert("KUNDE", {"KUN:NAVN=Kunde " + postNr, "KUN:POSTNR=" + postNr});
    const std::string outside = "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)";
    Outcome r = records({"KUNDE", "list", "--key", "KUN:KeyPostNr", "--fields",
                         "KUN:KUNDEID,KUN:POSTNR", "--filter", outside});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "KUN:KUNDEID,KUN:POSTNR\n3,999\n2,5000\n4,7000\n");
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:KUNDEID", "--format", "json",
                       "--filter=" + outside})
                  .out,
              "[\n  {\"KUN:KUNDEID\": 2},\n  {\"KUN:KUNDEID\": 3},\n  {\"KUN:KUNDEID\": 4}\n]\n");
    EXPECT_EQ(records({"KUNDE_ALIAS", "list", "--fields", "KUN:KUNDEID", "--filter",
                       "KUNA:PostNr = 1000"})
                  .out,
              "KUNA:KUNDEID\n5\n");
    // Nothing matches: the header alone, as for an empty table. A blank filter is no filter.
    EXPECT_EQ(
        records({"KUNDE", "list", "--fields", "KUN:KUNDEID", "--filter", "KUN:PostNr < 0"}).out,
        "KUN:KUNDEID\n");
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:KUNDEID", "--filter", "  "}).out,
              "KUN:KUNDEID\n1\n2\n3\n4\n5\n");

    // Invoices: a name with AS in any case, and unpaid ones above 1000 (exactly 1000 is not).
    struct Invoice {
        std::string name, total, paid;
    };
    for (const Invoice& i : std::vector<Invoice>{{"Nordmann AS", "1500", ""},
                                                 {"Blåbær as", "500", ""},
                                                 {"Vik", "2500", "01.02.2024"},
                                                 {"Berg", "1000", ""},
                                                 {"Dahl", "1000,01", ""}})
        insert("FAKTURA",
               {"FAK:KUNDENAVN=" + i.name, "FAK:TOTALSUM=" + i.total, "FAK:BETALTDATO=" + i.paid});
    const std::string unpaid = "(FAK:TotalSum > 1000) AND (NOT FAK:BetaltDato)";
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:FAKTURAID,FAK:KUNDENAVN", "--filter",
                       "INSTRING('AS',UPPER(FAK:KundeNavn),1,1)"})
                  .out,
              "FAK:FAKTURAID,FAK:KUNDENAVN\n1,Nordmann AS\n2,Blåbær as\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:FAKTURAID", "--filter", unpaid}).out,
              "FAK:FAKTURAID\n1\n5\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--key", "FAK:KeyTotalsum", "--fields", "FAK:FAKTURAID",
                       "--filter", unpaid})
                  .out,
              "FAK:FAKTURAID\n5\n1\n");

    // The archive is filtered on its own records.
    insert("FAKTURA", {"--archive", "FAK:KUNDENAVN=Arkiv", "FAK:TOTALSUM=9000"});
    insert("FAKTURA", {"--archive", "FAK:KUNDENAVN=Arkiv betalt", "FAK:TOTALSUM=9000",
                       "FAK:BETALTDATO=02.02.2024"});
    EXPECT_EQ(
        records({"FAKTURA", "list", "--archive", "--fields", "FAK:KUNDENAVN", "--filter", unpaid})
            .out,
        "FAK:KUNDENAVN\nArkiv\n");
}

TEST_F(cli, RefusedFilterIsOneLineAndOpensNothing)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Ola", "KUN:POSTNR=999"});
    insert("KUNDE", {"KUN:NAVN=Kari", "KUN:POSTNR=5000"});
    // Opening a table makes a missing file: a refused filter must not get that far.
    fs::remove(file("FAKTURA.TPS"));
    const auto before = folderBytes(dir);

    struct Case {
        std::string table, filter, part;
    };
    const std::vector<Case> cases{
        {"KUNDE", "KUN:PostNrr > 1", "Ukjent felt: KUN:PostNrr"},
        {"KUNDE", "KUN:Navn = 'Ola", "apostrof"},
        {"KUNDE", "AND AND", "(tegn 1)"},
        {"KUNDE", "KUN:Navn = 'Ola' AND AND", "(tegn 22)"},
        {"KUNDE", "FAK:TotalSum > 1", "Ukjent felt: FAK:TotalSum"},
        {"KUNDE", "KUN:Navn 'flere\nlinjer'", "Uventet symbol"},
        {"KUNDE", "'; DROP TABLE KUNDE; --", "apostrof"},
        {"KUNDE", "KUN:Navn = 'x'; DROP TABLE KUNDE", "Ugyldig tegn: ; (tegn 15)"},
        {"FAKTURA", "(FAK:TotalSum > 1000) AND (NOT FAK:BetaltDat)", "FAK:BetaltDat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        Outcome r = records({c.table, "list", "--filter", c.filter});
        EXPECT_TRUE(failsWithOneLine(r, "Filteret kan ikke brukes"));
        EXPECT_TRUE(failsWithOneLine(r, c.part));
    }
    // Checked before the folder is even looked at.
    EXPECT_TRUE(failsWithOneLine(
        run({"records", root + "/ingen", "KUNDE", "list", "--filter", "AND AND"}), "Filteret"));
    EXPECT_FALSE(fs::exists(root + "/ingen"));

    // Quotes belong to the filter: hostile text inside a string is only a text to compare with.
    Outcome r = records({"KUNDE", "list", "--fields", "KUN:NAVN", "--filter",
                         "KUN:Navn = '''; DROP TABLE KUNDE; --'"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "KUN:NAVN\n");
    EXPECT_EQ(folderBytes(dir), before);
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:NAVN"}).out, "KUN:NAVN\nOla\nKari\n");

    // A filter at the length limit is used or refused, but never dropped: the view would
    // otherwise walk without it and list every record.
    for (std::size_t length : {2045u, 2046u, 2047u}) {
        std::string filter = "(KUN:PostNr >= 5000)";
        filter.resize(length, ' ');
        SCOPED_TRACE(length);
        r = records({"KUNDE", "list", "--fields", "KUN:NAVN", "--filter", filter});
        if (r.status == 0)
            EXPECT_EQ(r.out, "KUN:NAVN\nKari\n");
        else
            EXPECT_TRUE(failsWithOneLine(r, "Filteret kan ikke brukes"));
    }
}

TEST_F(cli, DeletedCustomerTakesItsContactsAlong)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Ola"});
    insert("KUNDE", {"KUN:NAVN=Kari"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Anne"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Bjørn"});
    insert("KONTAKT", {"KON:KUNDEID=2", "KON:NAVN=Cato"});

    Outcome r = records({"KUNDE", "delete", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:KUNDEID,KUN:NAVN"}).out,
              "KUN:KUNDEID,KUN:NAVN\n2,Kari\n");
    EXPECT_EQ(records({"KONTAKT", "list", "--fields", "KON:KUNDEID,KON:NAVN"}).out,
              "KON:KUNDEID,KON:NAVN\n2,Cato\n");

    // Gone is gone: a second delete finds nothing and changes nothing.
    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "delete", "1"}),
                                 "Fant ingen post i KUNDE med nøkkelen 1"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, CustomerWithAnInvoiceStaysWithItsContacts)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Ola"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Anne"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Bjørn"});
    insert("FAKTURA", {"FAK:KUNDEID=1", "FAK:KUNDENAVN=Ola"});
    const auto before = folderBytes(dir);

    // The contacts go first and the invoice then refuses: they must come back.
    EXPECT_TRUE(failsWithOneLine(records({"KUNDE", "delete", "1"}), "FAKTURA"));
    EXPECT_EQ(folderBytes(dir), before);
    EXPECT_EQ(records({"KONTAKT", "list", "--fields", "KON:KUNDEID,KON:NAVN"}).out,
              "KON:KUNDEID,KON:NAVN\n1,Anne\n1,Bjørn\n");

    // Once the invoice is gone, so may the customer be.
    EXPECT_EQ(records({"FAKTURA", "delete", "1"}).out, "1\n");
    EXPECT_EQ(records({"KUNDE", "delete", "1"}).out, "1\n");
    EXPECT_EQ(records({"KONTAKT", "list", "--fields", "KON:NAVN"}).out, "KON:NAVN\n");
}

TEST_F(cli, DeleteThatCannotWriteSaysSoOnceAndChangesNothing)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Ola"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Anne"});
    const auto before = folderBytes(dir);

    // Another program holds the contact file for writing: the delete cannot go through, and
    // the console declines to try again rather than asking for ever.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file("KONTAKT.TPS").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    Outcome r = records({"KUNDE", "delete", "1"});
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    EXPECT_TRUE(failsWithOneLine(r, "KONTAKT"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, DeletedInvoiceLinesGiveTheirQuantityBackToStock)
{
    init();
    insert("PRODUKT", {"PRO:NAVN=Skrue", "PRO:LAGERSTYRING=1", "PRO:LAGERBEHOLDNING=10"});
    insert("PRODUKT", {"PRO:NAVN=Timer", "PRO:LAGERSTYRING=0", "PRO:LAGERBEHOLDNING=10"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Ola"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Kari"});
    insert("FAKLINJE", {"FLI:FAKTURAID=1", "FLI:LINJENR=1", "FLI:PRODUKTID=1", "FLI:ANTALL=3"});
    insert("FAKLINJE", {"FLI:FAKTURAID=1", "FLI:LINJENR=2", "FLI:PRODUKTID=1", "FLI:ANTALL=2,5"});
    insert("FAKLINJE", {"FLI:FAKTURAID=1", "FLI:LINJENR=3", "FLI:PRODUKTID=2", "FLI:ANTALL=7"});
    insert("FAKLINJE", {"FLI:FAKTURAID=2", "FLI:LINJENR=1", "FLI:PRODUKTID=1", "FLI:ANTALL=4"});
    const std::string stock = "PRO:PRODUKTID,PRO:LAGERBEHOLDNING";

    Outcome r = records({"FAKTURA", "delete", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(records({"FAKLINJE", "list", "--fields", "FLI:FAKLINJEID,FLI:FAKTURAID"}).out,
              "FLI:FAKLINJEID,FLI:FAKTURAID\n4,2\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:FAKTURAID"}).out, "FAK:FAKTURAID\n2\n");
    EXPECT_EQ(records({"PRODUKT", "list", "--fields", stock}).out,
              "PRO:PRODUKTID,PRO:LAGERBEHOLDNING\n1,15.50\n2,10.00\n");

    // A line deleted on its own gives its quantity back too.
    EXPECT_EQ(records({"FAKLINJE", "delete", "4"}).out, "4\n");
    EXPECT_EQ(records({"PRODUKT", "list", "--fields", stock}).out,
              "PRO:PRODUKTID,PRO:LAGERBEHOLDNING\n1,19.50\n2,10.00\n");
}

TEST_F(cli, CopyInvoiceMakesACopyOrACreditNoteAndPrintsItsNumber)
{
    init();
    // The standard codes: status 1 "Faktura", 2 "Kreditnota" (KOD:BYTE1 = 1).
    insert("PRODUKT", {"PRO:NAVN=Skrue", "PRO:LAGERSTYRING=1", "PRO:LAGERBEHOLDNING=10"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Ola", "FAK:TOTALSUM=125", "FAK:FAKTURADATO=01.11.2026",
                       "FAK:FORFALLSDATO=15.11.2026", "FAK:BETALTDATO=10.11.2026"});
    insert("FAKLINJE", {"FLI:FAKTURAID=1", "FLI:LINJENR=1", "FLI:PRODUKTID=1", "FLI:ANTALL=3"});
    const std::string fields = "--fields";
    const std::string which =
        "FAK:FAKTURAID,FAK:TOTALSUM,FAK:KREDITNOTA,FAK:FAKTURASTATUS,FAK:FAKTURADATO,"
        "FAK:BETALTDATO";

    Outcome r = run({"copy-invoice", dir, "1", "--no-dates", "--status", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n");
    EXPECT_EQ(r.err, "");
    r = run({"copy-invoice", dir, "1", "--credit", "--no-dates", "--status", "2"});
    EXPECT_EQ(r.out, "3\n");
    EXPECT_EQ(records({"FAKTURA", "list", fields, which}).out,
              "FAK:FAKTURAID,FAK:TOTALSUM,FAK:KREDITNOTA,FAK:FAKTURASTATUS,FAK:FAKTURADATO,"
              "FAK:BETALTDATO\n"
              "1,125.00,0,0,01.11.2026,10.11.2026\n"
              "2,125.00,0,1,01.11.2026,10.11.2026\n"
              "3,-125.00,1,2,01.11.2026,10.11.2026\n");
    EXPECT_EQ(records({"KREDITERT", "list"}).out, "KRE:KREDITNOTAID,KRE:FAKTURAID\n3,1\n");
    EXPECT_EQ(records({"FAKLINJE", "list", fields, "FLI:FAKLINJEID,FLI:FAKTURAID,FLI:ANTALL"}).out,
              "FLI:FAKLINJEID,FLI:FAKTURAID,FLI:ANTALL\n1,1,3.00\n2,2,3.00\n3,3,3.00\n");
    // No stock change.
    EXPECT_EQ(records({"PRODUKT", "list", fields, "PRO:LAGERBEHOLDNING"}).out,
              "PRO:LAGERBEHOLDNING\n10.00\n");
    // A deleted credit note takes its note along.
    EXPECT_EQ(records({"FAKTURA", "delete", "3"}).status, 0);
    EXPECT_EQ(records({"KREDITERT", "list"}).out, "KRE:KREDITNOTAID,KRE:FAKTURAID\n");
}

TEST_F(cli, CopyOfAMissingInvoiceOrStatusIsOneLineAndWritesNothing)
{
    init();
    insert("FAKTURA", {"FAK:KUNDENAVN=Ola"});
    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(run({"copy-invoice", dir, "7"}), "Faktura nr 7 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"copy-invoice", dir, "1", "--status", "9"}),
                                 "Fakturastatus 9 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"copy-invoice", dir, "x"}), "FAKTURANR"));
    EXPECT_TRUE(failsWithOneLine(run({"copy-invoice", dir, "1", "--kredit"}), "--kredit"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, PrintInvoiceWritesOnePdfAPdfReaderReads)
{
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    init();
    records({"PARAM", "update", "1", "PAR:NAVN=Snekker Hansen AS", "PAR:KONTONUMMER=12345678903",
             "PAR:OCR_AVTALEID=1"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Kari Nordmann", "FAK:MVATYPE=1", "FAK:FAKTURASTATUS=1"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Ola Nordmann", "FAK:MVATYPE=1", "FAK:FAKTURASTATUS=2"});
    insert("FAKLINJE", {"FLI:FAKTURAID=1", "FLI:LINJENR=1", "FLI:PRODUKTNAVN=Eikeplate",
                        "FLI:SUM=900", "FLI:MVAPLIKTIG=1", "FLI:MVASATS=25"});
    const std::string pdf = root + "/fakturaer.pdf";
    Outcome r = run({"print-invoice", dir, "1", "2", "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pdf + "\n");
    const std::string txt = bytesOf(pdf).empty() ? std::string() : [&] {
        const std::string out = root + "/f.txt";
        std::system(("pdftotext -layout '" + pdf + "' '" + out + "'").c_str());
        return bytesOf(out);
    }();
    for (const char* s : {"Snekker Hansen AS", "Kari Nordmann", "Ola Nordmann", "Kreditnota",
                          "Eikeplate", "1.125,00", "0018", "1234.56.78903"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    // The print status stays: nothing was printed on paper.
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:UTSKRIFTSTATUS"}).out,
              "FAK:UTSKRIFTSTATUS\n0\n0\n");

    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(run({"print-invoice", dir, "9", "--pdf", root + "/x.pdf"}),
                                 "Faktura nr 9 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"print-invoice", dir, "1", "--type", "4", "--pdf", pdf}),
                                 "fakturatype"));
    EXPECT_TRUE(failsWithOneLine(run({"print-invoice", dir, "1"}), "--pdf"));
    EXPECT_FALSE(fs::exists(root + "/x.pdf"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, EhfWritesOneDocumentPerInvoiceAndNamesThoseItCannotSend)
{
    init();
    records({"PARAM", "update", "1", "PAR:NAVN=Snekker Hansen AS", "PAR:KONTONUMMER=12345678903",
             "PAR:CSTRING1=987 654 325", "PAR:LONG1=1", "PAR:LONG3=1"});
    insert("KUNDE", {"KUN:NAVN=Bergen kommune", "KUN:TEKST1=123456785"});
    insert("KUNDE", {"KUN:NAVN=Feil AS", "KUN:TEKST1=123456789"});
    insert("FAKTURA", {"FAK:KUNDEID=1", "FAK:KUNDENAVN=Bergen kommune", "FAK:MVATYPE=1",
                       "FAK:FAKTURADATO=01.12.2026", "FAK:DERESREFERANSE=Ola", "FAK:SUM=900",
                       "FAK:MVA=225", "FAK:TOTALSUM=1125"});
    insert("FAKTURA", {"FAK:KUNDEID=2", "FAK:KUNDENAVN=Feil AS", "FAK:MVATYPE=1",
                       "FAK:FAKTURADATO=01.12.2026", "FAK:DERESREFERANSE=Kari"});
    for (const char* id : {"1", "2"})
        insert("FAKLINJE", {std::string("FLI:FAKTURAID=") + id, "FLI:LINJENR=1",
                            "FLI:PRODUKTNAVN=Eikeplate", "FLI:ANTALL=1", "FLI:ENHETSPRIS=900",
                            "FLI:SUM=900", "FLI:MVAPLIKTIG=1", "FLI:MVASATS=25"});
    const std::string out = root + "/ehf/ut";
    Outcome r = run({"ehf", dir, "1", "2", "--out", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, out + "/faktura-1.xml\n");
    EXPECT_EQ(r.err, "Faktura 2: kundens organisasjonsnummer «123456789» er ikke et gyldig "
                     "organisasjonsnummer\n");
    const std::string xml = bytesOf(out + "/faktura-1.xml");
    EXPECT_NE(xml.find("<cbc:PayableAmount currencyID=\"NOK\">1125.00</cbc:PayableAmount>"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(out + "/faktura-2.xml"));
    r = run({"ehf", dir, "1", "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(failsWithOneLine(run({"ehf", dir, "1"}), "--out"));
    EXPECT_TRUE(failsWithOneLine(run({"ehf", dir, "x", "--out", out}), "FAKTURANR"));
}

TEST_F(cli, ReportInvoicesWritesTheListWithTheLimitsAsOptions)
{
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    init();
    insert("KUNDE", {"KUN:NAVN=Kari Nordmann"});
    insert("FAKTURA",
           {"FAK:KUNDEID=1", "FAK:KUNDENAVN=Kari Nordmann", "FAK:ADRESSE=Bryggen 1",
            "FAK:POSTNR=5003", "FAK:POSTSTED=BERGEN", "FAK:FAKTURADATO=02.03.2026",
            "FAK:SUMMVAGRUNNLAG=800", "FAK:SUM=800", "FAK:MVA=200", "FAK:TOTALSUM=1000"});
    insert("FAKTURA", {"FAK:KUNDENAVN=Ola Hansen", "FAK:FAKTURADATO=05.03.2026",
                       "FAK:BETALTDATO=20.03.2026", "FAK:SUMMVAGRUNNLAG=80", "FAK:SUM=80",
                       "FAK:MVA=20", "FAK:TOTALSUM=-100", "FAK:KREDITNOTA=1"});
    auto text = [&](const std::string& pdf) {
        const std::string out = root + "/r.txt";
        std::system(("pdftotext -layout '" + pdf + "' '" + out + "'").c_str());
        return bytesOf(out);
    };
    const std::string pdf = root + "/rapport.pdf";
    Outcome r = run({"report", "invoices", dir, "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pdf + "\n");
    std::string txt = text(pdf);
    for (const char* s : {"Fakturarapport", "Fakturanr", "Betalt dato", "Totalsum",
                          "Kari Nordmann, Bryggen 1, 5003 BERGEN", "02.03.2026", "20.03.2026",
                          "-80,00", "-20,00", "-100,00", "720,00", "180,00", "900,00",
                          "Antall poster:", "Dataavgrensninger:", "En Tavlo rapport", "Side 1"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_EQ(txt.find("Utvalg"), std::string::npos);

    r = run({"report", "invoices", dir, "--customer", "1", "--from-date", "01.03.2026", "--sort",
             "kundenavn", "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    txt = text(pdf);
    for (const char* s : {"(Utvalg - Se dataavgrensninger)", "Kundenr = 1 - Kari Nordmann",
                          "Fakturadato >= 01.03.2026"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_EQ(txt.find("Ola Hansen"), std::string::npos);

    // Nothing is written when the limits take nothing or cannot be used.
    const std::string none = root + "/ingen.pdf";
    EXPECT_TRUE(failsWithOneLine(
        run({"report", "invoices", dir, "--unpaid", "--credit-notes", "only", "--pdf", none}),
        "Det er ingen poster tilgjenngelig for prosessering."));
    EXPECT_TRUE(
        failsWithOneLine(run({"report", "invoices", dir, "--filter", "FAK:Sum >", "--pdf", none}),
                         "Filteret inneholder feil og kan ikke brukes: (1) AND (FAK:Sum >)"));
    EXPECT_TRUE(failsWithOneLine(
        run({"report", "invoices", dir, "--from-paid", "31.02.2026", "--pdf", none}),
        "Ugyldig dato til --from-paid"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "invoices", dir, "--sort", "beløp", "--pdf", none}),
                                 "Ugyldig sortering"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "invoices", dir, "--customer", "7", "--pdf", none}),
                                 "Kunde nr 7 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "invoices", dir}), "--pdf"));
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(cli, ReportCustomersAndProductsWriteTheirListsWithTheLimitsAsOptions)
{
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    init();
    insert("KODEVERK", {"KOD:GRUPPE=101", "KOD:NR=9999", "KOD:TEKST=ÅSGÅRDSTRAND"});
    insert("KUNDE", {"KUN:NAVN=Kari Ødegård", "KUN:ADRESSE=Storgata 1", "KUN:POSTNR=9999",
                     "KUN:KUNDEGRUPPE=2", "KUN:TELEFON=33 44 55 66"});
    insert("KUNDE", {"KUN:NAVN=Ola Ærlig"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Åse Berg", "KON:ROLLESTILLING=Regnskap"});
    insert("FAKTURA", {"FAK:KUNDEID=1", "FAK:FAKTURADATO=02.03.2026", "FAK:TOTALSUM=1000"});
    insert("FAKTURA", {"FAK:KUNDEID=1", "FAK:FAKTURADATO=02.01.2026", "FAK:TOTALSUM=250"});
    insert("PRODUKT", {"PRO:NAVN=Øks", "PRO:PRODUKTGRUPPE=1", "PRO:MVAPLIKTIG=1", "PRO:MVASATS=25",
                       "PRO:ENHETSPRIS=499.9", "PRO:LAGERSTYRING=1", "PRO:LAGERBEHOLDNING=12"});
    insert("PRODUKT", {"PRO:NAVN=Rådgivning", "PRO:PRODUKTGRUPPE=2", "PRO:ENHETSPRIS=950"});
    auto text = [&](const std::string& pdf) {
        const std::string out = root + "/r.txt";
        std::system(("pdftotext -layout '" + pdf + "' '" + out + "'").c_str());
        return bytesOf(out);
    };
    const std::string pdf = root + "/kunder.pdf";
    Outcome r = run({"report", "customers", dir, "--contacts", "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, pdf + "\n");
    std::string txt = text(pdf);
    for (const char* s :
         {"Kunderapport", "Kundenr", "Betalings-", "Betingelser",
          "Kari Ødegård, Storgata 1, 9999 ÅSGÅRDSTRAND", "Bedrifter", "33 44 55 66", "Åse Berg",
          "Regnskap", "Ola Ærlig", "1.250,00", "Antall poster:", "En Tavlo rapport", "Side 1"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_EQ(txt.find("Utvalg"), std::string::npos);

    r = run({"report", "customers", dir, "--group", "2", "--from-date", "01.03.2026", "--sort",
             "navn", "--pdf", pdf});
    ASSERT_EQ(r.status, 0) << r.err;
    txt = text(pdf);
    for (const char* s : {"(Utvalg - Se dataavgrensninger)", "Kundegruppe = Bedrifter",
                          "Fakturadato >= 01.03.2026", "1.000,00"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_EQ(txt.find("Ola Ærlig"), std::string::npos);
    EXPECT_EQ(txt.find("Åse Berg"), std::string::npos); // no contacts asked for

    const std::string produkter = root + "/produkter.pdf";
    r = run({"report", "products", dir, "--sort", "navn", "--pdf", produkter});
    ASSERT_EQ(r.status, 0) << r.err;
    txt = text(produkter);
    for (const char* s : {"Produktrapport", "Produktnr", "Enhetsspris", "Rabatt %", "Øks",
                          "Rådgivning", "499,90", "950,00", "12,00", "Antall poster:"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_LT(txt.find("Rådgivning"), txt.find("Øks")); // Norwegian order: Ø after R
    r = run({"report", "products", dir, "--vat", "only", "--stock", "--pdf", produkter});
    ASSERT_EQ(r.status, 0) << r.err;
    txt = text(produkter);
    for (const char* s : {"Bare MVA pliktige produkter", "Bare produkter med lagerstyring"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    EXPECT_EQ(txt.find("Rådgivning"), std::string::npos);

    // Nothing is written when the limits take nothing or cannot be used.
    const std::string none = root + "/ingen.pdf";
    EXPECT_TRUE(failsWithOneLine(
        run({"report", "customers", dir, "--filter", "KUN:KundeId > 5", "--pdf", none}),
        "Det er ingen poster tilgjenngelig for prosessering."));
    EXPECT_TRUE(
        failsWithOneLine(run({"report", "customers", dir, "--filter", "KUN:Navn =", "--pdf", none}),
                         "Filteret inneholder feil og kan ikke brukes: (1) AND (KUN:Navn =)"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "customers", dir, "--group", "77", "--pdf", none}),
                                 "Kundegruppe 77 finnes ikke"));
    EXPECT_TRUE(
        failsWithOneLine(run({"report", "customers", dir, "--sort", "telefon", "--pdf", none}),
                         "Ugyldig sortering"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "products", dir, "--vat", "ja", "--pdf", none}),
                                 "Ugyldig verdi til --vat"));
    EXPECT_TRUE(failsWithOneLine(run({"report", "products", dir, "--group", "3", "--pdf", none}),
                                 "Det er ingen poster tilgjenngelig for prosessering."));
    EXPECT_TRUE(failsWithOneLine(run({"report", "products", dir}), "--pdf"));
    EXPECT_FALSE(fs::exists(none));
}

TEST_F(cli, AProjectLineTakesNoIdLongerThanItHolds)
{
    init();
    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(
        records({"PRJLINJE", "insert", "PLI:PROSJEKTID=" + std::string(21, 'P')}), "20 tegn"));
    EXPECT_EQ(folderBytes(dir), before);
    EXPECT_EQ(insert("PRJLINJE", {"PLI:PROSJEKTID=" + std::string(20, 'P'), "PLI:INN=10,005"}),
              "1\n");
    EXPECT_EQ(records({"PRJLINJE", "list", "--fields", "PLI:INN"}).out, "PLI:INN\n10.01\n");
}

TEST_F(cli, DeleteOfAMissingOrForbiddenRecordChangesNothing)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Ola"});
    insert("KODEVERK", {"KOD:GRUPPE=201", "KOD:NR=5000", "KOD:TEKST=Oslo"});
    const auto before = folderBytes(dir);

    struct Case {
        std::vector<std::string> args;
        std::string part;
    };
    const std::vector<Case> cases{
        {{"KUNDE", "delete", "7"}, "Fant ingen post i KUNDE med nøkkelen 7"},
        {{"KUNDE", "delete", "x"}, "Ugyldig nøkkelverdi for KUN:KUNDEID"},
        {{"KODEVERK", "delete", "201,5001"}, "Fant ingen post"},
        {{"KODEVERK", "delete", "201"}, "2 deler"},
        {{"PARAM", "delete", "1"}, "PARAM"},
        {{"KUNDE_ALIAS", "delete", "1"}, "KUNDE_ALIAS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        EXPECT_TRUE(failsWithOneLine(records(c.args), c.part));
    }
    EXPECT_EQ(folderBytes(dir), before);

    Outcome r = records({"KODEVERK", "delete", "201,5000"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "201,5000\n");
    EXPECT_EQ(
        records({"KODEVERK", "list", "--fields", "KOD:NR", "--filter", "KOD:GRUPPE = 201"}).out,
        "KOD:NR\n");
}

// A code-set file: the header of the given version, then lines of group, number and text.
std::string codeFile(const std::string& version, const std::vector<std::string>& lines)
{
    auto pad = [](std::string s, std::size_t n) {
        s.resize(n, ' ');
        return s;
    };
    std::string f = pad("Tavlo", 20) + pad("Kodeverk", 20) + pad(version, 20) + "80000\r\n";
    for (const auto& l : lines)
        f += l + "\r\n";
    return f;
}

TEST_F(cli, CodesGoOutAndInWithoutQuestions)
{
    init();
    const std::string out = root + "/KODEVERK.TXT";
    Outcome r = run({"codes", "export", dir, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Eksporten er fullført\n");
    ASSERT_EQ(r.out.rfind("Antall poster behandlet: ", 0), 0u) << r.out;
    EXPECT_GT(std::stoi(r.out.substr(25)), 5000); // the standard codes of a new folder
    EXPECT_NE(bytesOf(out).find("\r\n  101 5003    0BERGEN"), std::string::npos);

    insert("KODEVERK", {"KOD:GRUPPE=201", "KOD:NR=1", "KOD:TEKST=Egen", "KOD:DIV=notat"});
    // An existing file is written over.
    r = run({"codes", "export", dir, out, "--from-group", "201", "--to-group=201"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Antall poster behandlet: 1\n");
    const std::string written = bytesOf(out);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2);

    // Without --overwrite only the missing code is added; with it, the code is replaced.
    ASSERT_EQ(records({"KODEVERK", "delete", "201,1"}).status, 0);
    r = run({"codes", "import", dir, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Importen er fullført\n");
    EXPECT_EQ(r.out, "Antall poster behandlet: 1\n");
    ASSERT_EQ(records({"KODEVERK", "update", "201,1", "KOD:DIV=notat"}).status, 0);
    EXPECT_EQ(run({"codes", "import", dir, out}).out, "Antall poster behandlet: 0\n");
    EXPECT_EQ(run({"codes", "import", dir, out, "--overwrite"}).out,
              "Antall poster behandlet: 1\n");
    EXPECT_EQ(records({"KODEVERK", "list", "--fields", "KOD:TEKST,KOD:DIV", "--filter",
                       "KOD:GRUPPE = 201"})
                  .out,
              "KOD:TEKST,KOD:DIV\nEgen,\n");
}

TEST_F(cli, RefusedCodeRunsAreOneLineAndChangeNothing)
{
    init();
    const std::string file = root + "/K.TXT";
    std::ofstream(file, std::ios::binary) << codeFile("3.0", {"  201    1    0Ny"});
    const auto before = folderBytes(dir);
    struct Case {
        std::vector<std::string> args;
        std::string part;
    };
    const std::vector<Case> cases{
        {{"codes", "import", dir, file, "--overwrite"}, "Feil: Feil versjon: 3.0"},
        {{"codes", "import", dir, root + "/mangler.txt"}, "Finner ikke filen"},
        {{"codes", "export", dir, root + "/mangler/K.TXT"}, "opprettelse av"},
        {{"codes", "export", dir, file, "--overwrite"}, "--overwrite gjelder bare import"},
        {{"codes", "import", dir, file, "--from-nr", "x"}, "Ugyldig tall til --from-nr"},
        {{"codes", "import", dir, file, "--to-nr"}, "Mangler verdi til --to-nr"},
        {{"codes", "import", dir, file, "--fra"}, "Ukjent valg: --fra"},
        {{"codes", "import", dir}, "Mangler filnavn"},
        {{"codes", "copy", dir, file}, "Bruk: tavlo codes import|export"},
        {{"codes", "import", root, file}, "init"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        EXPECT_TRUE(failsWithOneLine(run(c.args), c.part));
    }
    EXPECT_EQ(folderBytes(dir), before);
    EXPECT_FALSE(fs::exists(root + "/mangler"));

    // Damaged lines are left out and said so; the run still goes through, with status 2.
    std::ofstream(file, std::ios::binary)
        << codeFile("4.0", {"  201    1    0En", "  2x1    2    0To", "  201    3    0Tre"});
    Outcome r = run({"codes", "import", dir, file});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "Antall poster behandlet: 2\n");
    EXPECT_EQ(r.err, "Advarsel: Linjer i filen som var skadet og ikke ble lest inn: 1 (første: "
                     "linje 3: gruppe eller nr kan ikke leses)\nInfo: Importen er fullført\n");
}

TEST_F(cli, CustomersGoOutAndInWithoutQuestions)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Blåbær AS", "KUN:KREDITTGRENSE=1234,5"});
    insert("KONTAKT", {"KON:KUNDEID=1", "KON:NAVN=Åse Ør"});
    const std::string out = root + "/KUNDE.TXT";
    std::ofstream(out) << "skrives over";
    Outcome r = run({"customers", "export", dir, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Eksporten er fullført\n");
    EXPECT_EQ(r.out, "Antall poster behandlet: 2\n");
    EXPECT_EQ(bytesOf(out).rfind("\"1\",\"0\",\"1\",", 0), 0u);

    const std::string other = root + "/ny";
    ASSERT_EQ(run({"init", other}).status, 0);
    r = run({"customers", "import", other, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Importen er fullført\n");
    EXPECT_EQ(r.out, "Antall poster behandlet: 2\n");
    EXPECT_EQ(run({"records", other, "KONTAKT", "list", "--fields", "KON:KUNDEID,KON:NAVN"}).out,
              "KON:KUNDEID,KON:NAVN\n1,Åse Ør\n");

    // A damaged line stops the import with its line; nothing of the file is added.
    std::ofstream(out, std::ios::app) << "\"1\",\"x\"\r\n";
    const auto before = folderBytes(other);
    EXPECT_TRUE(failsWithOneLine(run({"customers", "import", other, out}), "Linje 3"));
    EXPECT_EQ(folderBytes(other), before);
    EXPECT_TRUE(failsWithOneLine(run({"customers", "import", other, root + "/mangler.txt"}),
                                 "Finner ikke filen"));
    EXPECT_TRUE(failsWithOneLine(run({"customers", "copy", other, out}),
                                 "Bruk: tavlo customers import|export"));
    EXPECT_TRUE(failsWithOneLine(run({"customers", "import", other}), "Mangler filnavn"));
}

TEST_F(cli, ProductsGoOutAndInWithoutQuestionsUnderNewNumbers)
{
    init();
    insert("PRODUKT", {"PRO:NAVN=Blåbær", "PRO:ENHETSPRIS=1234,5", "PRO:MVAPLIKTIG=1"});
    insert("PRODUKT", {"PRO:NAVN=Ørret"});
    const std::string out = root + "/PRODUKT.TXT";
    std::ofstream(out) << "skrives over";
    Outcome r = run({"products", "export", dir, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Eksporten er fullført\n");
    EXPECT_EQ(r.out, "Antall poster behandlet: 2\n");
    EXPECT_EQ(bytesOf(out).rfind("\"0\",\"1\",\"Bl\xE5", 0), 0u);

    // Into the same folder: a second copy after the first.
    r = run({"products", "import", dir, out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Importen er fullført\n");
    EXPECT_EQ(r.out, "Antall poster behandlet: 2\n");
    EXPECT_EQ(run({"records", dir, "PRODUKT", "list", "--fields",
                   "PRO:PRODUKTID,PRO:NAVN,PRO:MVAPLIKTIG"})
                  .out,
              "PRO:PRODUKTID,PRO:NAVN,PRO:MVAPLIKTIG\n1,Blåbær,1\n2,Ørret,0\n3,Blåbær,1\n"
              "4,Ørret,0\n");

    // A damaged line stops the import with its line; nothing of the file is added.
    std::ofstream(out, std::ios::app) << "\"1\",\"x\"\r\n";
    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(run({"products", "import", dir, out}), "Linje 3"));
    EXPECT_EQ(folderBytes(dir), before);
    EXPECT_TRUE(failsWithOneLine(run({"products", "import", dir, root + "/mangler.txt"}),
                                 "Finner ikke filen"));
    EXPECT_TRUE(failsWithOneLine(run({"products", "copy", dir, out}),
                                 "Bruk: tavlo products import|export"));
    EXPECT_TRUE(failsWithOneLine(run({"products", "export", dir}), "Mangler filnavn"));
}

TEST_F(cli, BackupCopiesEveryTableFileIntoAFolderTavloCanRead)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Fjord AS"});
    insert("PROSJEKT", {"PRJ:PROSJEKTID=P-1", "PRJ:NAVN=Kai"});
    const std::string target = root + "/kopi";
    fs::create_directories(target);

    Outcome r = run({"backup", dir, target});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "Info: Sikkerhetskopieringen er fullført\n");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 19); // the copies, one a line
    EXPECT_EQ(r.out.rfind(target + "/PARAM.TPS\n", 0), 0u);
    std::set<std::string> copies = filesIn(dir);
    copies.insert("BACKUP.INI");
    EXPECT_EQ(filesIn(target), copies);
    EXPECT_NE(bytesOf(target + "/BACKUP.INI").find("STATUS=FULLSTENDIG"), std::string::npos);

    dir = target;
    EXPECT_EQ(records({"KUNDE", "list", "--fields", "KUN:NAVN"}).out, "KUN:NAVN\nFjord AS\n");
    EXPECT_EQ(records({"PROSJEKT", "list", "--fields", "PRJ:NAVN"}).out, "PRJ:NAVN\nKai\n");
}

TEST_F(cli, BackupThatCannotCompleteSaysSoAndLeavesTheDataAlone)
{
    EXPECT_TRUE(failsWithOneLine(run({"backup", dir, root}), "finnes ikke"));
    init();
    EXPECT_TRUE(failsWithOneLine(run({"backup", dir}), "Bruk"));
    EXPECT_TRUE(failsWithOneLine(run({"backup", dir, root + "/mangler"}), "finnes ikke"));
    EXPECT_FALSE(fs::exists(root + "/mangler"));

    // Onto the data folder itself: nothing is copied over the live files.
    insert("KUNDE", {"KUN:NAVN=Fjord AS"});
    auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(run({"backup", dir, dir}),
                                 "Feil: Det oppsto feil under sikkerhetskopieringen."));
    auto after = folderBytes(dir);
    after.erase("BACKUP.INI");
    EXPECT_EQ(after, before);

    // A record file that cannot be written: the copies are there, but it is no complete backup.
    const std::string target = root + "/kopi";
    fs::create_directories(target + "/BACKUP.INI/opptatt");
    EXPECT_TRUE(failsWithOneLine(run({"backup", dir, target}), "fulstendig sikkerhetskopi"));
    EXPECT_TRUE(fs::exists(target + "/KUNDE.TPS"));
}

TEST_F(cli, HelpListsEveryCommandAndTellsAllAboutOne)
{
    Outcome r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Bruk:", 0), 0u);
    // One line per command, each a command the program takes.
    std::vector<std::string> commands;
    std::istringstream lines(r.out.substr(r.out.find("Kommandoer:\n") + 12));
    for (std::string line; std::getline(lines, line) && !line.empty();)
        commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    EXPECT_EQ(commands.size(), 15u) << r.out;
    const std::string all = run({"help", "all"}).out;
    for (const auto& c : commands) {
        Outcome bare = run({c});
        EXPECT_EQ(bare.status, 1) << c;
        EXPECT_EQ(bare.err.find("Ukjent kommando"), std::string::npos) << c;
        EXPECT_NE(all.find("\n  tavlo " + c + " "), std::string::npos) << c;
    }

    r = run({"help", "records"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("101,5000"), std::string::npos);
    EXPECT_NE(r.out.find("Valg for records"), std::string::npos);
    EXPECT_EQ(r.out.find("tavlo codes"), std::string::npos);
    r = run({"help", "codes"});
    EXPECT_EQ(run({"codes", "--help"}).out, r.out);
    EXPECT_NE(r.out.find("tavlo codes export MAPPE FIL"), std::string::npos);
    EXPECT_EQ(r.out.find("Valg for records"), std::string::npos);
    EXPECT_NE(r.out.find("Avslutningskode"), std::string::npos);
    EXPECT_TRUE(failsWithOneLine(run({"help", "rec"}), "Ukjent kommando: rec"));

    r = run({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("tavlo (Tavlo) ") + tavlo::programVersion() + "\n");
    r = run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Kommandoer:"), std::string::npos);
}

} // namespace

TEST_F(cli, InvoicesSetStatusAndSetPaidActOnTheInvoicesGivenOrFiltered)
{
    init();
    // The standard status 3 "Purring", with ten days' terms.
    ASSERT_EQ(records({"KODEVERK", "update", "105,3", "KOD:LONG3=10"}).status, 0);
    for (const char* navn : {"Hansen AS", "Olsen & Bas", "Berg"})
        insert("FAKTURA", {std::string("FAK:KUNDENAVN=") + navn, "FAK:FAKTURASTATUS=1",
                           "FAK:FAKTURADATO=01.11.2026", "FAK:FORFALLSDATO=15.11.2026",
                           "FAK:BETALINGSBETINGELSE=14"});
    const std::string which = "FAK:FAKTURAID,FAK:FAKTURASTATUS,FAK:FAKTURADATO,"
                              "FAK:OPPRINNELIGFAKTURADATO,FAK:UTSKRIFTSTATUS,FAK:BETALTDATO";
    auto listed = [&] { return records({"FAKTURA", "list", "--fields", which}).out; };

    Outcome r = run({"invoices", "set-status", dir, "3", "--filter",
                     "INSTRING('AS',UPPER(FAK:KundeNavn),1,1)"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(listed(), "FAK:FAKTURAID,FAK:FAKTURASTATUS,FAK:FAKTURADATO,"
                        "FAK:OPPRINNELIGFAKTURADATO,FAK:UTSKRIFTSTATUS,FAK:BETALTDATO\n"
                        "1,3,01.11.2026,,1,\n"
                        "2,3,01.11.2026,,1,\n"
                        "3,1,01.11.2026,,0,\n");
    // Re-dated: the first dates are kept, the invoice that has the status already is left.
    r = run({"invoices", "set-status", dir, "2", "--redate", "--ids", "3"});
    EXPECT_EQ(r.out, "3\n");
    EXPECT_NE(listed().find("3,2,"), std::string::npos);
    EXPECT_NE(listed().find(",01.11.2026,1,\n"), std::string::npos); // the first date kept
    r = run({"invoices", "set-status", dir, "2", "--ids", "3,1"});
    EXPECT_EQ(r.out, "1\n"); // 3 has status 2 already

    // Paid: a paid one only with --overwrite.
    r = run({"invoices", "set-paid", dir, "--date", "20.11.2026", "--ids", "1"});
    EXPECT_EQ(r.out, "1\n");
    r = run({"invoices", "set-paid", dir, "--due-date", "--ids", "1,2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "2\n");
    EXPECT_EQ(r.err, "Faktura 1 er allerede markert som betalt og ble ikke endret (--overwrite "
                     "skriver over)\n");
    r = run({"invoices", "set-paid", dir, "--due-date", "--overwrite", "--ids", "1"});
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:BETALTDATO,FAK:UTSKRIFTSTATUS"}).out,
              "FAK:BETALTDATO,FAK:UTSKRIFTSTATUS\n15.11.2026,2\n15.11.2026,2\n,1\n");

    // Mistakes are one line and change nothing.
    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(run({"invoices", "set-status", dir, "9", "--ids", "1"}),
                                 "Fakturastatus 9 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"invoices", "set-status", dir, "3", "--ids", "1,7"}),
                                 "Faktura nr 7 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"invoices", "set-paid", dir, "--ids", "1", "--filter", "x"}),
                                 "--ids eller --filter"));
    EXPECT_TRUE(failsWithOneLine(
        run({"invoices", "set-paid", dir, "--date", "31.02.2026", "--ids", "1"}), "Ugyldig dato"));
    EXPECT_TRUE(failsWithOneLine(run({"invoices", "set-paid", dir, "--filter", "FAK:Nope = 1"}),
                                 "Filteret kan ikke brukes"));
    EXPECT_TRUE(failsWithOneLine(
        run({"invoices", "set-status", dir, "3", "--due-date", "--ids", "1"}), "--due-date"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, OcrImportBooksTheBanksPaymentsOnceAndRefusesAFileThatDoesNotAddUp)
{
    using namespace tavlo::testing;
    init();
    for (const char* sum : {"1000", "500"})
        insert("FAKTURA", {std::string("FAK:TOTALSUM=") + sum});
    const std::string ocr = root + "/OCR.TXT";
    const auto poster =
        ocrPoster({{100000, tavlo::kid(1, true)}, {20000, tavlo::kid(2, true)}, {5000, "0000531"}});
    std::ofstream(ocr, std::ios::binary) << ocrFil(poster);

    Outcome r = run({"ocr-import", dir, ocr});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Linje 5: KID " + tavlo::kid(2, true) +
                         ", faktura 2, 200,00, oppgjørsdato 20.01.1992: Delvis betalt, gjenstår "
                         "300,00\n"
                         "Linje 7: KID 0000531, 50,00, oppgjørsdato 20.01.1992: Ukjent KID\n"
                         "Innbetalinger lest: 3\nKoblet til faktura: 2\nBetalt fullt ut: 1\n"
                         "Delvis betalt: 1\nOverbetalt: 0\nUkjent KID: 1\nTilbakeføringer: 0\n"
                         "Allerede lest: 0\nTotalt beløp: 1.250,00\n");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields", "FAK:BETALTDATO"}).out,
              "FAK:BETALTDATO\n20.01.1992\n\n");
    EXPECT_EQ(records({"OCRBETALING", "list", "--fields", "OCR:FAKTURAID,OCR:BELOP"}).out,
              "OCR:FAKTURAID,OCR:BELOP\n1,1000.00\n2,200.00\n0,50.00\n");

    // Read again: every payment is read already, and nothing is written.
    const auto before = folderBytes(dir);
    r = run({"ocr-import", dir, ocr});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("Linje"), std::string::npos);
    EXPECT_NE(r.out.find("Allerede lest: 3\nTotalt beløp: 0,00\n"), std::string::npos) << r.out;
    EXPECT_EQ(folderBytes(dir), before);

    // A file that does not add up is one line naming the line, and changes nothing.
    auto skadet = ocrPoster({{30000, tavlo::kid(2, true)}}, "99991042764", 3);
    skadet[4].replace(16, 8, "00000009");
    std::ofstream(ocr, std::ios::binary) << ocrFil(skadet);
    EXPECT_TRUE(failsWithOneLine(run({"ocr-import", dir, ocr}),
                                 "Linje 5: sluttposten for oppdraget sier 9 poster, men det er 4"));
    EXPECT_TRUE(
        failsWithOneLine(run({"ocr-import", dir, root + "/INGEN.TXT"}), "Kan ikke åpne filen"));
    EXPECT_TRUE(failsWithOneLine(run({"ocr-import", dir}), "Bruk: tavlo ocr-import MAPPE FIL"));
    EXPECT_EQ(folderBytes(dir), before);
}

TEST_F(cli, GenerateMakesInvoicesPerCustomerOrPerBasisWithoutAsking)
{
    init();
    insert("KUNDE", {"KUN:NAVN=Hansen AS", "KUN:BETALINGSBETINGELSER=10"});
    insert("KUNDE", {"KUN:NAVN=Olsen & Bas", "KUN:BETALINGSBETINGELSER=30"});
    insert("PRODUKT", {"PRO:NAVN=Skrue", "PRO:LAGERSTYRING=1", "PRO:LAGERBEHOLDNING=10"});
    insert("GRUNNLAG", {"GRU:TEKST=Månedsleie", "GRU:MVATYPE=1", "GRU:MELDING=Leie"});
    insert("GRUNNLAG", {"GRU:TEKST=Service", "GRU:KUNDEID=1", "GRU:KUNDENAVN=Hansen AS",
                        "GRU:BETALINGSBETINGELSE=14"});
    insert("GRUNNLAG", {"GRU:TEKST=Uten kunde"});
    insert("GRULINJE", {"GLI:GRUNNLAGID=1", "GLI:LINJENR=1", "GLI:PRODUKTID=1", "GLI:ANTALL=2",
                        "GLI:ENHETSPRIS=50", "GLI:SUM=100", "GLI:MVAPLIKTIG=1", "GLI:MVASATS=25"});

    Outcome r = run({"generate", dir, "--basis", "1", "--customers", "2,1", "--date", "01.12.2026",
                     "--message", "Desember"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n2\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(records({"FAKTURA", "list", "--fields",
                       "FAK:KUNDENAVN,FAK:FORFALLSDATO,FAK:MELDING,FAK:TOTALSUM"})
                  .out,
              "FAK:KUNDENAVN,FAK:FORFALLSDATO,FAK:MELDING,FAK:TOTALSUM\n"
              "Olsen & Bas,31.12.2026,Desember,125.00\n"
              "Hansen AS,11.12.2026,Desember,125.00\n");
    EXPECT_EQ(records({"PRODUKT", "list", "--fields", "PRO:LAGERBEHOLDNING"}).out,
              "PRO:LAGERBEHOLDNING\n6.00\n");

    // Per customer, a basis with its own customer is left out; per basis, one without.
    r = run({"generate", dir, "--basis", "2", "--customers", "2", "--date", "01.12.2026"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Grunnlag 2 har egen kunde og ble ikke fakturert kundene\n");
    r = run({"generate", dir, "--bases", "3,2", "--date", "01.12.2026"});
    EXPECT_EQ(r.out, "3\n");
    EXPECT_EQ(r.err, "Grunnlag 3 har ingen kunde og ble hoppet over\n");

    const auto before = folderBytes(dir);
    EXPECT_TRUE(failsWithOneLine(
        run({"generate", dir, "--basis", "1", "--customers", "1,9", "--date", "01.12.2026"}),
        "Kunde nr 9 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"generate", dir, "--bases", "4", "--date", "01.12.2026"}),
                                 "Grunnlag nr 4 finnes ikke"));
    EXPECT_TRUE(failsWithOneLine(run({"generate", dir, "--customers", "1", "--date", "01.12.2026"}),
                                 "--basis"));
    EXPECT_TRUE(failsWithOneLine(run({"generate", dir, "--bases", "1", "--date", "1.13.2026"}),
                                 "Ugyldig dato"));
    EXPECT_EQ(folderBytes(dir), before);
}

// A generation killed while it runs leaves every invoice it made whole: all its lines, and
// totals that are theirs.
TEST_F(cli, AKilledGenerationLeavesOnlyWholeInvoices)
{
    using namespace tavlo;
    init();
    constexpr int kKunder = 3000;
    std::string ids;
    setDataFolder(dir);
    {
        Context ctx;
        auto& kun = ctx.access(Tbl::KUNDE);
        auto& gru = ctx.access(Tbl::GRUNNLAG);
        auto& gli = ctx.access(Tbl::GRULINJE);
        ASSERT_EQ(kun.OPEN(), LEVEL_BENIGN);
        for (int i = 1; i <= kKunder; ++i) {
            kun.rec().clear();
            kun.rec().set(KUN::NAVN, "Kunde " + std::to_string(i));
            ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
            ids += (i > 1 ? "," : "") + std::to_string(i);
        }
        kun.CLOSE();
        gru.OPEN();
        gli.OPEN();
        gru.rec().clear();
        gru.rec().set(GRU::MVATYPE, 1);
        ASSERT_EQ(gru.INSERT(), LEVEL_BENIGN);
        for (int n = 1; n <= 5; ++n) {
            gli.rec().clear();
            gli.rec().set(GLI::GRUNNLAGID, 1);
            gli.rec().set(GLI::LINJENR, n);
            gli.rec().set(GLI::SUM, Decimal::fromInt(10 * n));
            gli.rec().set(GLI::MVAPLIKTIG, 1);
            gli.rec().set(GLI::MVASATS, 25);
            ASSERT_EQ(gli.INSERT(), LEVEL_BENIGN);
        }
        gli.CLOSE();
        gru.CLOSE();
    }
    setDataFolder(".");

    killWhileItWrites({"generate", dir, "--basis", "1", "--customers", ids, "--date", "01.12.2026"},
                      "FAKLINJE.TPS");

    setDataFolder(dir);
    {
        Context ctx;
        std::map<int32_t, std::pair<int, Decimal>> lines; // per invoice: count and sum
        auto& fli = ctx.access(Tbl::FAKLINJE);
        ASSERT_EQ(fli.OPEN(), LEVEL_BENIGN);
        fli.SET(FLI::KeyFakLinjeId);
        while (fli.NEXT() == LEVEL_BENIGN) {
            auto& l = lines[fli.rec().get(FLI::FAKTURAID)];
            ++l.first;
            l.second = l.second + fli.rec().get(FLI::SUM);
        }
        fli.CLOSE();
        auto& fak = ctx.access(Tbl::FAKTURA);
        ASSERT_EQ(fak.OPEN(), LEVEL_BENIGN);
        fak.SET(FAK::KeyFakturaId);
        int invoices = 0;
        while (fak.NEXT() == LEVEL_BENIGN) {
            ++invoices;
            const int32_t id = fak.rec().get(FAK::FAKTURAID);
            EXPECT_EQ(lines[id].first, 5) << "invoice " << id;
            EXPECT_EQ(fak.rec().get(FAK::SUM), lines[id].second) << "invoice " << id;
            EXPECT_EQ(fak.rec().get(FAK::TOTALSUM), *Decimal::parse("187.50")) << "invoice " << id;
        }
        fak.CLOSE();
        EXPECT_GT(invoices, 0);
        EXPECT_EQ(lines.size(), static_cast<std::size_t>(invoices)); // no lines without invoice
        std::cerr << invoices << " of " << kKunder << " invoices made before the kill\n";
    }
    setDataFolder(".");
}

namespace {

// n invoices of `lines` lines each, stored as they stand in one transaction per file.
void storeInvoices(const std::string& dir, int n, int lines)
{
    using namespace tavlo;
    setDataFolder(dir);
    {
        Context ctx;
        StoreError err;
        RowRef ref;
        int32_t lineId = 0;
        for (Tbl t : {Tbl::FAKTURA, Tbl::FAKLINJE}) {
            FileManager& m = ctx.access(t);
            ASSERT_EQ(m.OPEN(), LEVEL_BENIGN);
            ASSERT_EQ(m.USEFILE(), LEVEL_BENIGN);
            TableFile* f = m.file();
            ASSERT_TRUE(f->begin(err));
            for (int i = 1; i <= n; ++i) {
                if (t == Tbl::FAKTURA) {
                    Record r(table(t));
                    r.set(FAK::FAKTURAID, i);
                    r.set(FAK::FAKTURADATO, 82000 + i);
                    r.set(FAK::KUNDENAVN, "Kunde " + std::to_string(i));
                    r.set(FAK::BESKRIVELSE, "Faktura " + std::to_string(i));
                    ASSERT_TRUE(f->insert(r, ref, err));
                    continue;
                }
                for (int l = 1; l <= lines; ++l) {
                    Record r(table(t));
                    r.set(FLI::FAKLINJEID, ++lineId);
                    r.set(FLI::FAKTURAID, i);
                    r.set(FLI::LINJENR, l);
                    r.set(FLI::BESKRIVELSE, "Linje " + std::to_string(l));
                    ASSERT_TRUE(f->insert(r, ref, err));
                }
            }
            ASSERT_TRUE(f->commit(err));
            m.CLOSE();
        }
    }
    setDataFolder(".");
}

// Per invoice number: where it is (1 live, 2 archive; 3 both) and its lines in each place.
struct Places {
    std::map<int32_t, int> invoice;
    std::map<int32_t, std::pair<int, int>> lines; // live, archive
};

Places places(const std::string& dir)
{
    using namespace tavlo;
    Places p;
    setDataFolder(dir);
    for (bool archive : {false, true}) {
        GLO::setArchiveMode(archive);
        Context ctx;
        auto& fak = ctx.access(Tbl::FAKTURA);
        fak.OPEN();
        fak.SET(FAK::KeyFakturaId);
        while (fak.NEXT() == LEVEL_BENIGN)
            p.invoice[fak.rec().get(FAK::FAKTURAID)] |= archive ? 2 : 1;
        fak.CLOSE();
        auto& fli = ctx.access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.SET(FLI::KeyFakLinjeId);
        while (fli.NEXT() == LEVEL_BENIGN) {
            auto& l = p.lines[fli.rec().get(FLI::FAKTURAID)];
            ++(archive ? l.second : l.first);
        }
        fli.CLOSE();
    }
    GLO::setArchiveMode(false);
    setDataFolder(".");
    return p;
}

} // namespace

// The invoices named go into the archive pair and come back by date; the highest numbers stay,
// each with a line on stderr; the records command sees them through --archive.
TEST_F(cli, ArchiveMovesInvoicesToTheArchivePairAndBack)
{
    init();
    storeInvoices(dir, 5, 2);
    Outcome r = run({"archive", dir, "--ids", "2,5,1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n1\n");
    EXPECT_NE(r.err.find("Faktura 5 arkiveres ikke: den har det høyeste fakturanummeret og "
                         "fakturalinjen med det høyeste linjenummeret (10)"),
              std::string::npos)
        << r.err;
    r = records({"FAKTURA", "list", "--archive", "--fields", "FAK:FAKTURAID,FAK:BESKRIVELSE"});
    EXPECT_EQ(r.out, "FAK:FAKTURAID,FAK:BESKRIVELSE\n1,Faktura 1\n2,Faktura 2\n");
    r = records({"FAKLINJE", "list", "--fields", "FLI:FAKTURAID"});
    EXPECT_EQ(r.out, "FLI:FAKTURAID\n3\n3\n4\n4\n5\n5\n");

    r = run({"archive", dir, "--restore", "--from", "03.07.2025"}); // after invoice 1's date
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "2\n");
    r = run({"archive", dir, "--restore"});
    EXPECT_EQ(r.out, "1\n");
    const Places p = places(dir);
    for (int32_t id = 1; id <= 5; ++id) {
        EXPECT_EQ(p.invoice.at(id), 1) << id;
        EXPECT_EQ(p.lines.at(id), std::make_pair(2, 0)) << id;
    }

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"archive", dir},
          {"archive", dir, "--ids", "9"},
          {"archive", dir, "--filter", "(FAK:Finnesikke = 1)"},
          {"archive", dir, "--restore", "--from", "31.02.2025"},
          {"archive", dir, "--ids", "1", "--restore"}}) {
        const auto before = folderBytes(dir);
        r = run(bad);
        EXPECT_EQ(r.status, 1) << bad.back();
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(folderBytes(dir), before) << bad.back();
    }
}

// An archive run killed while it runs leaves every invoice in exactly one place, whole.
TEST_F(cli, AKilledArchiveRunLeavesEveryInvoiceInOnePlace)
{
    init();
    constexpr int kFakturaer = 4000;
    storeInvoices(dir, kFakturaer, 3);
    killWhileItWrites({"archive", dir, "--filter", "(1)"}, "BAKLINJE.TPS");

    const Places p = places(dir);
    ASSERT_EQ(p.invoice.size(), static_cast<std::size_t>(kFakturaer));
    int archived = 0;
    for (const auto& [id, where] : p.invoice) {
        ASSERT_TRUE(where == 1 || where == 2) << "invoice " << id << " in both places";
        const auto& l = p.lines.at(id);
        EXPECT_EQ(where == 1 ? l : std::make_pair(l.second, l.first), std::make_pair(3, 0))
            << "invoice " << id;
        archived += where == 2;
    }
    EXPECT_EQ(p.lines.size(), p.invoice.size()); // no line without its invoice
    EXPECT_GT(archived, 0);
    EXPECT_LT(archived, kFakturaer - 1);
    std::cerr << archived << " of " << kFakturaer << " invoices archived before the kill\n";
}

namespace {

// One csv line of the statistics: twelve months given as {month, text}, the others `tom`.
std::string statistikklinje(const std::string& start, std::map<int, std::string> maaneder,
                            const std::string& totalt, const char* tom = "0.00")
{
    std::string line = start;
    for (int m = 0; m < 12; ++m)
        line += "," + (maaneder.count(m) ? maaneder[m] : std::string(tom));
    return line + "," + totalt + "\n";
}

} // namespace

TEST_F(cli, StatisticsPrintsTheYearsNumbersAsTheWindowHasThem)
{
    using namespace tavlo;
    init();
    setDataFolder(dir);
    Aarsstatistikk s;
    {
        Context ctx;
        tavlo::testing::statistikkdata(ctx);
        ASSERT_EQ(statistikkForAar(ctx, 2024, s), LEVEL_BENIGN);
    }
    setDataFolder(".");

    Outcome r = run({"statistics", dir, "--year", "2024"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(
        r.out,
        "rad,produktid,produktnavn,Jan,Feb,Mar,Apr,Mai,Jun,Jul,Aug,Sep,Okt,Nov,Des,Totalt\n" +
            statistikklinje("omsetning,,", {{0, "1250.00"}, {2, "125.00"}, {11, "500.00"}},
                            s.totalt.toString(2)) +
            statistikklinje("fakturaer,,", {{0, "1"}, {2, "2"}, {11, "1"}}, "4", "0") +
            statistikklinje("antall,0,Uspesifisert ***", {{11, "1.00"}}, "1.00") +
            statistikklinje("antall,1,Skruer", {{2, "10.00"}}, "10.00") +
            statistikklinje("antall,2,Konsulenttime", {{0, "2.00"}, {2, "1.00"}}, "3.00") +
            statistikklinje("belop,0,Uspesifisert ***", {{11, "400.00"}}, "400.00") +
            statistikklinje("belop,1,Skruer", {{2, "200.00"}}, "200.00") +
            statistikklinje("belop,2,Konsulenttime", {{0, "1000.00"}, {2, "-100.00"}}, "900.00"));

    r = run({"statistics", dir, "--year", "2024", "--format", "json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"totalt\": " + s.totalt.toString(2) + ","), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"maaned\": \"Mar\", \"omsetning\": 125.00, \"fakturaer\": 2}"),
              std::string::npos);
    EXPECT_NE(r.out.find("\"produktnavn\": \"Uspesifisert ***\""), std::string::npos);

    // The archive is empty: a year of nothing, and the live files are not read.
    r = run({"statistics", dir, "--year", "2024", "--archive", "--format", "json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"arkiv\": true,\n  \"totalt\": 0.00,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"produkter\": []"), std::string::npos) << r.out;
}

TEST_F(cli, StatisticsRefusesWhatItCannotUseInOneLine)
{
    init();
    EXPECT_TRUE(failsWithOneLine(run({"statistics", dir}), "--year"));
    EXPECT_TRUE(failsWithOneLine(run({"statistics", dir, "--year", "tjue"}), "Ugyldig tall"));
    EXPECT_TRUE(failsWithOneLine(run({"statistics", dir, "--year", "1700"}), "Ugyldig år"));
    EXPECT_TRUE(failsWithOneLine(run({"statistics", dir, "--year", "2024", "--format", "xml"}),
                                 "Ukjent format"));
    EXPECT_TRUE(failsWithOneLine(run({"statistics", dir, "--year", "2024", "--pdf"}), "--pdf"));
    // A folder that is not a data folder is left as it is: not made.
    EXPECT_TRUE(failsWithOneLine(run({"statistics", root + "/ingen", "--year", "2024"}), ""));
    EXPECT_EQ(filesIn(root).count("ingen"), 0u);
}
