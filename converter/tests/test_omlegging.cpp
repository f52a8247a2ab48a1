// The converter on version 3 folders the tests make: every record of every table compared with
// its original, the VAT choice, the code file, and runs that stop halfway and go on.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "converter/omlegging.h"
#include "converter/testmappe/versjon3mappe.h"
#include "converter/versjon3.h"
#include "data/datafolder.h"
#include "data/exchange.h"
#include "data/tests/fixture.h"
#include "framework/date.h"

namespace fs = std::filesystem;
using namespace tavlo;
using namespace tavlo::omlegg;

namespace {

// Every record of a table file in its primary key's order, memos included.
std::vector<Record> alle(const std::string& sti, const TableDecl& d)
{
    StoreError err;
    auto f = TableFile::open(sti, d, TableFile::Mode::READ_ONLY, false, GLO::kOwnerPassword, err);
    EXPECT_TRUE(f) << sti << ": " << err.text << " " << err.driverText;
    std::vector<Record> ut;
    if (!f)
        return ut;
    std::vector<Row> rader;
    EXPECT_TRUE(f->page(d.primaryKey(), Bound{}, true, 1 << 20, rader, err, true));
    for (auto& r : rader)
        ut.push_back(std::move(r.rec));
    return ut;
}

// What an added field holds after conversion.
int64_t standardverdi(const std::string& felt)
{
    return felt == "FAK:MVATYPE" || felt == "GRU:MVATYPE" || felt == "PAR:STDMVATYPE" ? 1 : 0;
}

std::string utenBlanke(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Names and contents of every file in the folder.
std::map<std::string, std::string> bilde(const std::string& mappe)
{
    std::map<std::string, std::string> ut;
    for (const auto& e : fs::directory_iterator(mappe)) {
        if (!e.is_regular_file())
            continue;
        std::ifstream in(e.path(), std::ios::binary);
        ut[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return ut;
}

class OmleggingTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        testmappe::lag(dir, omfang);
        originaler = bilde(dir);
    }

    bool konverter(bool mva = false)
    {
        Context ctx(&errors);
        Omlegging run(ctx, dir);
        bool ok = run.konverter(mva);
        resultater = run.resultater();
        tidligere = run.tidligereKonvertert();
        return ok;
    }

    std::vector<std::string> tekster() const
    {
        std::vector<std::string> t;
        for (const auto& m : answers.shown)
            t.push_back(m.text);
        return t;
    }

    // Each converted table against its original, field by field.
    void sammenlign(const std::string& navn, Tbl t, bool mva = false)
    {
        SCOPED_TRACE(navn);
        const TableDecl& v4 = table(t);
        const TableDecl& v3 = versjon3(t);
        auto gamle = alle(path(navn + ".300"), v3);
        auto nye = alle(path(navn + ".TPS"), v4);
        ASSERT_EQ(gamle.size(), nye.size());
        ASSERT_FALSE(nye.empty());
        for (std::size_t i = 0; i < nye.size(); ++i) {
            const Record &g = gamle[i], &n = nye[i];
            for (std::size_t f = 0; f < v4.fields.size(); ++f) {
                const FieldDecl& fd = v4.fields[f];
                int fra = v3.fieldNo(fd.column);
                if (fra < 0) {
                    if (fd.type == FieldType::TEXT)
                        EXPECT_EQ(n.str(f), "") << fd.name;
                    else
                        EXPECT_EQ(n.num(f), standardverdi(fd.name)) << fd.name;
                } else if (fd.type == FieldType::TEXT) {
                    EXPECT_EQ(n.str(f), g.str(fra)) << fd.name;
                } else if (mva && (fd.name == "PRO:MVASATS" || fd.name == "PAR:STDMVASATS")) {
                    EXPECT_EQ(n.num(f), Omlegging::nyMvaSats(g.num(fra))) << fd.name;
                } else {
                    EXPECT_EQ(n.num(f), g.num(fra)) << fd.name;
                }
            }
            for (std::size_t m = 0; m < v4.memos.size(); ++m)
                EXPECT_EQ(n.memo(m), utenBlanke(g.memo(v3.memoNo(v4.memos[m].column))));
        }
    }

    void sammenlignAlle(bool mva = false)
    {
        sammenlign("PARAM", Tbl::PARAM, mva);
        sammenlign("KUNDE", Tbl::KUNDE, mva);
        sammenlign("PRODUKT", Tbl::PRODUKT, mva);
        sammenlign("GRUNNLAG", Tbl::GRUNNLAG, mva);
        sammenlign("FAKTURA", Tbl::FAKTURA, mva);
        sammenlign("FAKLINJE", Tbl::FAKLINJE, mva);
        sammenlign("BAKTURA", Tbl::FAKTURA, mva);
        sammenlign("BAKLINJE", Tbl::FAKLINJE, mva);
    }

    // Every original is kept, byte for byte, as NAME.300.
    void originaleneErBevart()
    {
        for (const char* navn : {"PARAM", "KUNDE", "PRODUKT", "GRUNNLAG", "FAKTURA", "FAKLINJE",
                                 "BAKTURA", "BAKLINJE"}) {
            auto nå = bilde(dir);
            ASSERT_TRUE(nå.count(std::string(navn) + ".300")) << navn;
            EXPECT_TRUE(nå[std::string(navn) + ".300"] == originaler[std::string(navn) + ".TPS"])
                << navn;
        }
    }

    testmappe::Omfang omfang;
    std::map<std::string, std::string> originaler;
    std::vector<Resultat> resultater;
    std::vector<std::string> tidligere;
};

TEST_F(OmleggingTest, EveryRecordOfEveryTableComesAcrossAndTheNewTablesAreMade)
{
    ASSERT_TRUE(konverter());
    sammenlignAlle();
    originaleneErBevart();
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().text, "Konverteringen er ferdig");
    EXPECT_EQ(answers.shown.back().caption, "Info");
    EXPECT_EQ(answers.shown.size(), 1u) << tekster().front();

    // Texts with Æ, Ø and Å and the calendar's first and last day are as they were.
    auto kunder = alle(path("KUNDE.TPS"), table(Tbl::KUNDE));
    EXPECT_EQ(kunder[0].get(KUN::NAVN), "Ærlige Øystein Åsheim 1");
    EXPECT_EQ(kunder[0].get(KUN::REGISTRERINGSDATO), date::fromYmd(1801, 1, 1));
    EXPECT_EQ(kunder.back().get(KUN::REGISTRERINGSDATO), date::fromYmd(2099, 12, 31));
    EXPECT_EQ(kunder[0].get(KUN::DIV), "Notat om kunden Åse\nandre linje");

    // The tables version 3 lacked are there, empty; the billing-basis lines are untouched.
    for (Tbl t : {Tbl::KONTAKT, Tbl::PROSJEKT, Tbl::PRJLINJE})
        EXPECT_TRUE(alle(path(table(t).fileName), table(t)).empty()) << table(t).name;
    EXPECT_TRUE(bilde(dir)["GRULINJE.TPS"] == originaler["GRULINJE.TPS"]);

    // The standard codes are loaded: every line of the code file with a group and a number.
    long koder = 0;
    {
        LineReader inn(standardCodeFile());
        Record k(table(Tbl::KODEVERK));
        std::string linje;
        inn.next(linje);
        while (inn.next(linje))
            koder += codeline::parse(linje, k) && k.get(KOD::GRUPPE) && k.get(KOD::NR);
    }
    EXPECT_GT(koder, 100);
    EXPECT_EQ(static_cast<long>(alle(path("KODEVERK.TPS"), table(Tbl::KODEVERK)).size()), koder);

    // The program of this version opens the folder; the invoices carry VAT type 1.
    Context ctx(&errors);
    FileManager& fak = ctx.access(Tbl::FAKTURA);
    ASSERT_EQ(fak.OPEN(), LEVEL_BENIGN);
    fak.SET(FAK::KeyFakturaId);
    ASSERT_EQ(fak.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(fak.rec().get(FAK::MVATYPE), 1);
    EXPECT_EQ(fak.rec().get(FAK::FAKTURAID), omfang.arkiverte + 1);
    fak.CLOSE();

    // The log says what was done and that it finished.
    std::ifstream logg(path(Omlegging::kLogg));
    std::string alt((std::istreambuf_iterator<char>(logg)), {});
    EXPECT_NE(alt.find("KUNDE: 20 poster konvertert"), std::string::npos) << alt;
    EXPECT_NE(alt.find(Omlegging::kFerdig), std::string::npos);
}

TEST_F(OmleggingTest, TheVatQuestionDecidesTheRatesOfProductsAndParameters)
{
    Context ctx(&errors);
    {
        Omlegging run(ctx, dir);
        // Without the backup ticked: the warning, and nothing on disk changes.
        EXPECT_FALSE(run.KONVERTER(false));
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, "Du må ta en sikkerhetskopi før du konverterer");
        EXPECT_EQ(answers.shown[0].caption, "Advarsel");
        EXPECT_TRUE(bilde(dir) == originaler);

        answers.answer(BUTTON_YES);
        EXPECT_TRUE(run.KONVERTER(true));
        const Message& q = answers.shown[1];
        EXPECT_EQ(q.text, "Det er endring i merverdigavgiften fra 1. januar 2005||Vil du at "
                          "dette konverteringsprogrammet skal konvertere MVA sats i "
                          "Produktregisteret og i Parameterbildet?");
        EXPECT_EQ(q.buttons, BUTTON_YES | BUTTON_NO);
        EXPECT_EQ(q.defaultButton, BUTTON_NO);
    }
    sammenlignAlle(true);
    std::vector<int32_t> satser;
    for (const auto& p : alle(path("PRODUKT.TPS"), table(Tbl::PRODUKT)))
        satser.push_back(p.get(PRO::MVASATS));
    EXPECT_EQ(satser, (std::vector<int32_t>{0, 7, 8, 11, 25, 0, 7, 8, 11, 25}));
    EXPECT_EQ(alle(path("PARAM.TPS"), table(Tbl::PARAM))[0].get(PAR::STDMVASATS), 25);
    // The lines keep the rate they were invoiced with.
    EXPECT_EQ(alle(path("FAKLINJE.TPS"), table(Tbl::FAKLINJE))[0].get(FLI::MVASATS), 24);
}

TEST_F(OmleggingTest, AnsweringNoKeepsTheRates)
{
    Context ctx(&errors);
    Omlegging run(ctx, dir);
    answers.answer(BUTTON_NO);
    EXPECT_TRUE(run.KONVERTER(true));
    sammenlignAlle(false);
    EXPECT_EQ(alle(path("PARAM.TPS"), table(Tbl::PARAM))[0].get(PAR::STDMVASATS), 24);
}

TEST_F(OmleggingTest, TwoRecordsUnderOneNumberGiveOneAndAnOrphanLineIsWarnedOf)
{
    {
        // A version 3 file whose number key was lost lets a number in twice.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path("KUNDE.TPS").c_str(), &db), SQLITE_OK);
        registerCollation(db);
        ASSERT_EQ(sqlite3_exec(db,
                               "DROP INDEX \"KUNDE_KeyKundeId\"; INSERT INTO \"KUNDE\" "
                               "(\"KUNDEID\", \"NAVN\") VALUES (3, 'Den andre treeren');",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK)
            << sqlite3_errmsg(db);
        sqlite3_close(db);
        auto linjer = testmappe::aapne(dir, Tbl::FAKLINJE, "FAKLINJE.TPS");
        Record l(versjon3(Tbl::FAKLINJE));
        l.setNum(l.decl().fieldNo("FAKLINJEID"), 9000);
        l.setNum(l.decl().fieldNo("FAKTURAID"), 777);
        RowRef ref;
        StoreError err;
        ASSERT_TRUE(linjer->insert(l, ref, err));
    }
    ASSERT_TRUE(konverter());
    auto kunder = alle(path("KUNDE.TPS"), table(Tbl::KUNDE));
    EXPECT_EQ(kunder.size(), 20u);
    EXPECT_EQ(kunder[2].get(KUN::NAVN), "Ærlige Øystein Åsheim 3");
    EXPECT_EQ(resultater[1].dobbelt, 1);

    std::vector<std::string> meldinger = tekster();
    ASSERT_EQ(meldinger.size(), 2u);
    EXPECT_EQ(meldinger[0], "Det oppsto feil under oppslag på FAKLINJE. MVA sats kunne ikke "
                            "oppdateres på faktura nr 777 (FakLinjeId 9000)");
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");
    auto linjer = alle(path("FAKLINJE.TPS"), table(Tbl::FAKLINJE));
    EXPECT_EQ(linjer.back().get(FLI::FAKLINJEID), 9000);
}

TEST_F(OmleggingTest, TheFoldersOwnCodeFileIsLoadedOverTheCodesThere)
{
    Context ctx(&errors);
    addCode(ctx, 105, 1, "Gammel tekst", [](Record& r) {
        r.set(KOD::BYTE3, 1);
        r.set(KOD::LONG2, 99);
        r.set(KOD::DIV, "Notatet blir");
    });
    Record k(table(Tbl::KODEVERK));
    std::string fil;
    auto linje = [&](int32_t gruppe, int32_t nr, const char* tekst, int32_t long1) {
        k.clear();
        k.set(KOD::GRUPPE, gruppe);
        k.set(KOD::NR, nr);
        k.set(KOD::TEKST, tekst);
        k.set(KOD::FAST, 1);
        k.set(KOD::LONG1, long1);
        fil += *codeline::format(k) + "\r\n";
    };
    fil = "Overskriften hoppes over\r\n";
    linje(105, 1, "Faktura", 2);
    linje(0, 5, "Gruppe null hoppes over", 0);
    linje(103, 0, "Nummer null hoppes over", 0);
    linje(103, 1, "Bedrifter", 0);
    std::ofstream(path("KODNY40.TXT"), std::ios::binary) << fil;

    ASSERT_TRUE(konverter());
    auto koder = alle(path("KODEVERK.TPS"), table(Tbl::KODEVERK));
    ASSERT_EQ(koder.size(), 2u);
    EXPECT_EQ(koder[0].get(KOD::GRUPPE), 103);
    EXPECT_EQ(koder[0].get(KOD::TEKST), "Bedrifter");
    const Record& overskrevet = koder[1];
    EXPECT_EQ(overskrevet.get(KOD::TEKST), "Faktura");
    EXPECT_EQ(overskrevet.get(KOD::FAST), 1);
    EXPECT_EQ(overskrevet.get(KOD::BYTE3), 0);
    EXPECT_EQ(overskrevet.get(KOD::LONG1), 2);
    EXPECT_EQ(overskrevet.get(KOD::LONG2), 0);
    EXPECT_EQ(overskrevet.get(KOD::DIV), "Notatet blir");
}

TEST_F(OmleggingTest, ARunThatStopsHalfwayGoesOnAndNeverWritesOverAnOriginal)
{
    // Something in the way of the invoice lines' new file stops the run at that step.
    fs::create_directory(path("FAKLINJE.400"));
    std::ofstream(path("FAKLINJE.400/hindring")) << "x";
    EXPECT_FALSE(konverter());
    std::vector<std::string> meldinger = tekster();
    ASSERT_EQ(meldinger.size(), 3u);
    EXPECT_EQ(meldinger[0].rfind("Det oppsto feil under opprettelse av ny fil: FAKLINJE - ", 0),
              0u);
    EXPECT_EQ(meldinger[1], "Det oppsto feil under konvertering av Fakturalinjer");
    EXPECT_EQ(meldinger[2], "Disse tabellene er konvertert: PARAM, KUNDE, PRODUKT, GRUNNLAG, "
                            "FAKTURA.|Originalene ligger som NAVN.300. Start konverteringen på "
                            "nytt når feilen er rettet, så fortsetter den med resten.");
    // The lines and the archive pair are as they were; the tables before them are done.
    auto nå = bilde(dir);
    for (const char* navn : {"FAKLINJE", "BAKTURA", "BAKLINJE"}) {
        EXPECT_TRUE(nå[std::string(navn) + ".TPS"] == originaler[std::string(navn) + ".TPS"]);
        EXPECT_FALSE(nå.count(std::string(navn) + ".300"));
    }

    // The second run goes on from there, and says what the first one did.
    fs::remove_all(path("FAKLINJE.400"));
    answers.shown.clear();
    ASSERT_TRUE(konverter());
    EXPECT_EQ(tidligere,
              (std::vector<std::string>{"PARAM", "KUNDE", "PRODUKT", "GRUNNLAG", "FAKTURA"}));
    EXPECT_TRUE(resultater[0].hoppetOver);
    EXPECT_FALSE(resultater[5].hoppetOver);
    sammenlignAlle();
    originaleneErBevart();

    // A third run finds nothing to do, and changes nothing.
    auto ferdig = bilde(dir);
    answers.shown.clear();
    EXPECT_FALSE(konverter());
    ASSERT_EQ(tekster().size(), 1u);
    EXPECT_EQ(tekster()[0], "Datamappen " + dir + " er allerede konvertert til versjon 4.");
    EXPECT_TRUE(bilde(dir) == ferdig);
}

TEST_F(OmleggingTest, ARunKilledBetweenTheTwoRenamesIsTakenUpFromTheOriginal)
{
    // As a run leaves it when killed after the original stepped aside: KUNDE.300 and a half
    // made KUNDE.400, no KUNDE.TPS.
    fs::rename(path("KUNDE.TPS"), path("KUNDE.300"));
    std::ofstream(path("KUNDE.400")) << "halvferdig";
    ASSERT_TRUE(konverter());
    sammenlignAlle();
    originaleneErBevart();
    EXPECT_FALSE(fs::exists(path("KUNDE.400")));
}

TEST_F(OmleggingTest, FoldersThatCannotBeConvertedAreRefusedAndLeftAsTheyAre)
{
    auto nektes = [&](const std::string& hvorfor) {
        SCOPED_TRACE(hvorfor);
        auto før = bilde(dir);
        answers.shown.clear();
        EXPECT_FALSE(konverter());
        ASSERT_EQ(tekster().size(), 1u);
        EXPECT_NE(tekster()[0].find(hvorfor), std::string::npos) << tekster()[0];
        EXPECT_EQ(answers.shown[0].caption, "Feil");
        EXPECT_TRUE(bilde(dir) == før);
    };

    // An original in the way of one that would step aside.
    std::ofstream(path("PRODUKT.300")) << "noe brukeren la her";
    nektes("PRODUKT.300 finnes allerede");
    fs::remove(path("PRODUKT.300"));

    // A damaged table: a file that is no table, and a table whose pages are broken.
    std::string produkt = bilde(dir)["PRODUKT.TPS"];
    std::ofstream(path("PRODUKT.TPS"), std::ios::binary) << "dette er ingen tabell";
    nektes("PRODUKT.TPS er skadet");
    {
        // Every page after the first two (the schema and the file's notes) loses its type.
        std::string skadet = produkt;
        for (std::size_t side = 2 * 4096; side < skadet.size(); side += 4096)
            skadet[side] = '\x77';
        std::ofstream(path("PRODUKT.TPS"), std::ios::binary) << skadet;
    }
    nektes("PRODUKT.TPS er skadet");
    std::ofstream(path("PRODUKT.TPS"), std::ios::binary) << produkt;

    // A table another program is writing.
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path("GRUNNLAG.TPS").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        nektes("GRUNNLAG.TPS er i bruk av et annet program");
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    // A damaged code file stops the run before any table is touched.
    std::ofstream(path("KODNY40.TXT")) << "overskrift\n  1x5    1    0Tekst\n";
    nektes("KODNY40.TXT er skadet på linje 2");
    fs::remove(path("KODNY40.TXT"));

    // No version 3 folder: no parameter table, and a folder of this version.
    fs::rename(path("PARAM.TPS"), dir + "/../PARAM.flyttet");
    nektes("er ingen datamappe av versjon 3: PARAM.TPS mangler");
    fs::rename(dir + "/../PARAM.flyttet", path("PARAM.TPS"));

    for (const auto& e : fs::directory_iterator(dir))
        fs::remove(e.path());
    std::string melding;
    ASSERT_TRUE(createDataFolder(dir, melding)) << melding;
    nektes("er allerede av versjon 4. Det er ingenting å konvertere.");
}

TEST_F(OmleggingTest, AMissingTableStartsEmptyAndTheProgramOfThisVersionRefusesAnOldFile)
{
    fs::remove(path("BAKTURA.TPS"));
    fs::remove(path("BAKLINJE.TPS"));
    // This version's program never reads a version 3 file as its own.
    {
        Context ctx(&errors);
        FileManager& kun = ctx.access(Tbl::KUNDE);
        kun.OPEN();
        EXPECT_NE(kun.USEFILE(), LEVEL_BENIGN);
        kun.CLOSE();
        EXPECT_EQ(bilde(dir)["KUNDE.TPS"], originaler["KUNDE.TPS"]);
        answers.shown.clear();
    }
    std::string melding;
    EXPECT_FALSE(isDataFolder(dir, melding));
    EXPECT_EQ(melding, "Datamappen " + dir +
                           " har tabeller fra en tidligere versjon av Tavlo (KUNDE.TPS, "
                           "PRODUKT.TPS, FAKTURA.TPS, FAKLINJE.TPS, GRUNNLAG.TPS, PARAM.TPS). "
                           "Konverter den først med omlegg.");
    ASSERT_TRUE(konverter());
    EXPECT_TRUE(isDataFolder(dir, melding)) << melding;
    // An original an interrupted run left with no table beside it is not hidden by an empty
    // table either.
    fs::rename(path("KUNDE.TPS"), path("KUNDE.flyttet"));
    EXPECT_EQ(earlierVersionTables(dir), std::vector<std::string>{"KUNDE.300"});
    fs::rename(path("KUNDE.flyttet"), path("KUNDE.TPS"));
    EXPECT_TRUE(resultater[6].laget);
    EXPECT_TRUE(alle(path("BAKTURA.TPS"), table(Tbl::FAKTURA)).empty());
    EXPECT_TRUE(alle(path("BAKLINJE.TPS"), table(Tbl::FAKLINJE)).empty());
    EXPECT_FALSE(fs::exists(path("BAKTURA.300")));
}

} // namespace
