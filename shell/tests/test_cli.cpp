// The command-line program run as a separate process, as scripts run it: exit status, stdout,
// stderr and the files it leaves behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

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

class cli : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        dir = root + "/data";
    }
    void TearDown() override { fs::remove_all(root); }

    // Output goes to files beside the data folder, so a full pipe can never hold the program up.
    Outcome run(const std::vector<std::string>& args)
    {
        const std::string outPath = root + "/stdout", errPath = root + "/stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<char*> argv{const_cast<char*>(TAVLO_EXE)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        Outcome r;
        pid_t pid = 0;
        int rc = posix_spawn(&pid, TAVLO_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            ADD_FAILURE() << "cannot start " << TAVLO_EXE;
            return r;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = bytesOf(outPath);
        r.err = bytesOf(errPath);
        return r;
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

    std::string root, dir;
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
        "KUNDE.TPS",   "KONTAKT.TPS",  "PRODUKT.TPS",  "PROSJEKT.TPS", "PRJLINJE.TPS",
        "FAKTURA.TPS", "FAKLINJE.TPS", "GRUNNLAG.TPS", "GRULINJE.TPS", "KODEVERK.TPS",
        "EGENDEF.TPS", "FILTER.TPS",   "PARAM.TPS",    "WINPOS.TPS",   "DUMMY.TPS",
        "BAKTURA.TPS", "BAKLINJE.TPS"};
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
        {{"KUNDE", "delete"}, "Ukjent kommando: delete"},
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
    EXPECT_EQ(insert("KODEVERK", {"KOD:GRUPPE=101", "KOD:NR=5000", "KOD:TEKST=Oslo"}),
              "101,5000\n");
    EXPECT_TRUE(failsWithOneLine(
        records({"KODEVERK", "insert", "KOD:GRUPPE=101", "KOD:NR=5000", "KOD:TEKST=Bergen"}),
        "KOD:KeyGruppe_Nr"));

    Outcome r = records({"KODEVERK", "update", "101,5000", "kod:tekst=Oslo sentrum"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "101,5000\n");
    EXPECT_TRUE(failsWithOneLine(records({"KODEVERK", "update", "101,5001", "KOD:TEKST=X"}),
                                 "Fant ingen post"));
    EXPECT_TRUE(failsWithOneLine(records({"KODEVERK", "update", "101", "KOD:TEKST=X"}), "2 deler"));
    EXPECT_TRUE(
        failsWithOneLine(records({"KUNDE", "update", "7", "KUN:NAVN=X"}), "Fant ingen post"));
    // Moving the code onto another one's key is refused too.
    ASSERT_EQ(insert("KODEVERK", {"KOD:GRUPPE=101", "KOD:NR=5003", "KOD:TEKST=Oslo"}),
              "101,5003\n");
    r = records({"KODEVERK", "update", "101,5003", "KOD:NR=5000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    r = records({"KODEVERK", "list", "--fields", "KOD:GRUPPE,KOD:NR,KOD:TEKST"});
    EXPECT_EQ(r.out, "KOD:GRUPPE,KOD:NR,KOD:TEKST\n101,5000,Oslo sentrum\n101,5003,Oslo\n");

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

TEST_F(cli, HelpIsNorwegian)
{
    Outcome r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Bruk:"), std::string::npos);
    EXPECT_NE(r.out.find("101,5000"), std::string::npos);
    r = run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Bruk:"), std::string::npos);
}

} // namespace
