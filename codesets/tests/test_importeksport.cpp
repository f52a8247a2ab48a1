// Import, export and deletion of code sets, and the standard code file a new data folder gets.
#include "codesets/importeksport.h"
#include "codesets/tests/codes.h"
#include "data/datafolder.h"
#include "data/exchange.h"
#include "framework/date.h"

using namespace tavlo;
using Outcome = ImportEksportKodeverk::Outcome;

namespace {

class ExchangeRunTest : public tavlo::testing::CodesTest {
  protected:
    // A code file: the header, then the given lines.
    void writeFile(const std::string& name, const std::vector<std::string>& lines,
                   const std::string& version = "4.0", const std::string& program = "Tavlo",
                   const std::string& id = "Kodeverk")
    {
        Context ctx(&errors);
        ScriptedAnswers quiet;
        errors.setAnswers(&quiet);
        ASSERT_EQ(LAGHEADER(ctx, path(name), program, id, version, 100, true), 1);
        errors.setAnswers(&answers);
        std::ofstream out(path(name), std::ios::binary | std::ios::app);
        for (const auto& l : lines)
            out << l << "\r\n";
    }
    static std::string line(int32_t group, int32_t nr, const std::string& text)
    {
        Record r(table(Tbl::KODEVERK));
        r.set(KOD::GRUPPE, group);
        r.set(KOD::NR, nr);
        r.set(KOD::TEKST, text);
        return *codeline::format(r);
    }
    // Three groups of codes with every kind of value.
    void addSample(Context& ctx)
    {
        addCode(ctx, 101, 5003, "Bergen", [](Record& r) { r.set(KOD::DIV, "fjernes"); });
        addCode(ctx, 101, 9990, "Båtsfjord");
        addCode(ctx, 105, 2, "Kreditnota", [](Record& r) {
            r.set(KOD::FAST, 1);
            r.set(KOD::BYTE1, 1);
            r.set(KOD::LONG2, -1);
            r.set(KOD::STDNR, 7);
            r.set(KOD::DECIMAL1, *Decimal::parse("-1234567.89"));
            r.set(KOD::DECIMAL2, *Decimal::parse("999999999.99"));
            r.set(KOD::DECIMAL3, *Decimal::parse("0.01"));
            r.set(KOD::CSTRING5, "Æøå «sitat»");
            r.set(KOD::DIV, "Statustekst");
        });
        addCode(ctx, 999, 101, "Postnummer", [](Record& r) { r.set(KOD::FAST, 2); });
    }
    // The run with the window's answers: Yes to the question before it (and the file info).
    Outcome importing(ImportEksportKodeverk& w)
    {
        answers.answer(BUTTON_YES);
        return w.importFile();
    }
};

} // namespace

TEST_F(ExchangeRunTest, ExportThenImportWithOverwriteGivesEveryValueBackButDiv)
{
    Context ctx(&errors);
    addSample(ctx);
    const auto before = codes();
    ImportEksportKodeverk w(ctx);
    EXPECT_EQ(w.fileName(), (std::filesystem::current_path() / "KODEVERK.TXT").string());
    w.fileName() = path("KODEVERK.TXT");
    EXPECT_EQ(w.exportFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 4);
    EXPECT_EQ(w.progress(), 100);
    EXPECT_EQ(texts(), std::vector<std::string>{"Eksporten er fullført"});
    EXPECT_EQ(answers.shown[0].caption, "Info");
    const std::string file = bytesOf("KODEVERK.TXT");
    EXPECT_EQ(file.substr(0, 20), "Tavlo" + std::string(15, ' '));
    EXPECT_NE(file.find("B\xE5tsfjord"), std::string::npos); // Windows-1252
    EXPECT_EQ(file.find("Statustekst"), std::string::npos);

    // Changed meanwhile: the import with overwrite puts the exported values back.
    addCode(ctx, 101, 1, "Ny"); // not in the file: stays
    {
        auto& kod = ctx.access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().set(KOD::GRUPPE, 105);
        kod.rec().set(KOD::NR, 2);
        ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
        kod.rec().set(KOD::TEKST, "Endret");
        kod.rec().set(KOD::LONG2, 255);
        ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
        kod.CLOSE();
    }
    answers.shown.clear();
    w.overwrite = true;
    answers.answer(BUTTON_YES);
    answers.answer(BUTTON_YES);
    EXPECT_EQ(w.importFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 4);
    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[0].text, "Eksisterende kodeverksposter vil eventuelt bli overskrevet "
                                     "og nye kodeverksposter vil bli lagt til. Vil du fortsette");
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");
    EXPECT_EQ(answers.shown[0].defaultButton, BUTTON_NO);
    EXPECT_EQ(answers.shown[1].caption, "Fil info");
    EXPECT_EQ(answers.shown[2].text, "Importen er fullført");

    auto after = codes();
    EXPECT_EQ(after.size(), before.size() + 1);
    for (auto [key, rec] : before) {
        SCOPED_TRACE(key.first * 100000 + key.second);
        EXPECT_EQ(after.at(key).get(KOD::DIV), ""); // emptied, as the file carries none
        rec.set(KOD::DIV, "");
        EXPECT_TRUE(after.at(key) == rec);
    }
}

TEST_F(ExchangeRunTest, ImportWithoutOverwriteAddsOnlyCodesThatAreMissing)
{
    Context ctx(&errors);
    addSample(ctx);
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed);
    const auto before = codes();

    answers.shown.clear();
    EXPECT_EQ(importing(w), Outcome::Completed);
    EXPECT_EQ(w.counter(), 0);
    EXPECT_EQ(answers.shown[0].text, "Nye kodeverksposter vil bli lagt til. Vil du fortsette");
    auto after = codes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.at({101, 5003}).get(KOD::DIV), "fjernes");

    {
        auto& kod = ctx.relate(Tbl::KODEVERK);
        kod.OPEN();
        kod.me().rec().set(KOD::GRUPPE, 101);
        kod.me().rec().set(KOD::NR, 9990);
        ASSERT_EQ(kod.me().FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
        ASSERT_EQ(kod.DELETE(false), LEVEL_BENIGN);
        kod.CLOSE();
    }
    EXPECT_EQ(importing(w), Outcome::Completed);
    EXPECT_EQ(w.counter(), 1);
    EXPECT_EQ(codes().at({101, 9990}).get(KOD::TEKST), "Båtsfjord");
}

TEST_F(ExchangeRunTest, LinesWithoutGroupOrNumberAreCountedButNotStored)
{
    writeFile("K.TXT",
              {line(0, 5, "Uten gruppe"), line(101, 0, "Uten nr"), "", line(101, 7, "Med begge")});
    Context ctx(&errors);
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    EXPECT_EQ(importing(w), Outcome::Completed);
    EXPECT_EQ(w.counter(), 4); // the empty line is a code 0/0 as well
    EXPECT_EQ(w.leftOut(), 0);
    auto stored = codes();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored.begin()->second.get(KOD::TEKST), "Med begge");
}

TEST_F(ExchangeRunTest, AnotherProgramTableOrVersionEndsTheImportChangingNothing)
{
    Context ctx(&errors);
    addCode(ctx, 101, 1, "Gammel");
    struct Case {
        std::string program, id, version, message;
    };
    for (const Case& c : {Case{"Tavlo", "Kodeverk", "3.0", "Feil versjon: 3.0"},
                          Case{"Annet", "Kodeverk", "4.0", "Feil applikasjon: Annet"},
                          Case{"TAVLO", "Kunde", "4.0", "Feil tabell: Kunde"}}) {
        SCOPED_TRACE(c.message);
        writeFile("K.TXT", {line(101, 1, "Ny"), line(101, 2, "Ny")}, c.version, c.program, c.id);
        const std::string table = bytesOf("KODEVERK.TPS");
        ImportEksportKodeverk w(ctx);
        w.fileName() = path("K.TXT");
        w.overwrite = true;
        answers.shown.clear();
        EXPECT_EQ(importing(w), Outcome::Failed);
        ASSERT_EQ(answers.shown.size(), 3u);
        EXPECT_EQ(answers.shown[2].text, c.message);
        EXPECT_EQ(answers.shown[2].caption, "Feil");
        EXPECT_EQ(bytesOf("KODEVERK.TPS"), table);
        EXPECT_EQ(codes().size(), 1u);
    }
    // Case does not matter.
    writeFile("K.TXT", {line(101, 2, "Ny")}, "4.0", "tavlo", "KODEVERK");
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    EXPECT_EQ(importing(w), Outcome::Completed);
    EXPECT_EQ(codes().size(), 2u);
}

TEST_F(ExchangeRunTest, DamagedLinesAreLeftOutAndSaidSoAfterTheRest)
{
    std::string badLong = line(101, 3, "Skadet");
    badLong.resize(87, ' ');
    badLong += "      12x";
    writeFile("K.TXT", {line(101, 1, "En"), badLong, "  1x1    4", line(101, 2, "To"),
                        line(101, 5, "Fem").substr(0, 12)});
    Context ctx(&errors);
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    EXPECT_EQ(importing(w), Outcome::Completed);
    EXPECT_EQ(w.counter(), 3);
    EXPECT_EQ(w.leftOut(), 2);
    auto stored = codes();
    EXPECT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored.at({101, 5}).get(KOD::TEKST), ""); // cut short, but readable
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[2].text, "Linjer i filen som var skadet og ikke ble lest inn: 2 "
                                     "(første: linje 3: KOD:LONG2 kan ikke leses: «12x»)");
    EXPECT_EQ(answers.shown[2].caption, "Advarsel");
    EXPECT_EQ(answers.shown[3].text, "Importen er fullført");
}

TEST_F(ExchangeRunTest, DeclinedOrMissingFileChangesNothing)
{
    Context ctx(&errors);
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("MANGLER.TXT");
    EXPECT_EQ(w.importFile(), Outcome::Declined); // No is the default
    EXPECT_EQ(answers.shown.size(), 1u);

    answers.shown.clear();
    EXPECT_EQ(importing(w), Outcome::Failed);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Nye kodeverksposter vil bli lagt til. Vil du "
                                                 "fortsette",
                                                 "Finner ikke filen " + path("MANGLER.TXT"),
                                                 "Filen finnes ikke: " + path("MANGLER.TXT")}));
    EXPECT_FALSE(std::filesystem::exists(path("MANGLER.TXT")));

    // An existing file is overwritten only when the user says so.
    std::ofstream(path("K.TXT")) << "mitt\n";
    w.fileName() = path("K.TXT");
    answers.shown.clear();
    EXPECT_EQ(w.exportFile(), Outcome::Declined);
    EXPECT_EQ(texts(), std::vector<std::string>{"Filen " + path("K.TXT") +
                                                " finnes fra før. Vil du overskrive filen"});
    EXPECT_EQ(bytesOf("K.TXT"), "mitt\n");
    EXPECT_EQ(w.deleteCodes(), Outcome::Declined);
}

TEST_F(ExchangeRunTest, RangesChooseTheCodesAndEmptyRangesTakeAll)
{
    Context ctx(&errors);
    for (int32_t g : {101, 102, 103})
        for (int32_t n : {1, 2, 3})
            addCode(ctx, g, n, "Kode");
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    w.fromGroup = 102;
    w.fromNr = 2;
    EXPECT_EQ(w.exportFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 4); // 102/2, 102/3, 103/2, 103/3
    w.fromGroup = w.fromNr = 0;
    w.toGroup = 101;
    w.toNr = 1;
    EXPECT_TRUE(w.inRange(-5, -5));
    EXPECT_FALSE(w.inRange(101, 2));
    answers.answer(BUTTON_YES); // over the first export
    EXPECT_EQ(w.exportFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 1);

    // Deletion: asked once for the run and once for each code.
    w.toGroup = w.toNr = 0;
    w.fromGroup = w.toGroup = 103;
    for (int i = 0; i < 4; ++i)
        answers.answer(BUTTON_YES);
    answers.shown.clear();
    EXPECT_EQ(w.deleteCodes(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 3);
    EXPECT_EQ(answers.shown[0].text, "Angitte kodeverksposter vil bli slettet. Vil du fortsette");
    EXPECT_EQ(answers.shown.size(), 5u);
    EXPECT_EQ(answers.shown[4].text, "Slettingen er fullført");
    EXPECT_EQ(codes().size(), 6u);

    // The import of 101/1 (exported above) goes into a table without it.
    w.fromGroup = w.toGroup = 0;
    w.confirmed = true;
    EXPECT_EQ(w.deleteCodes(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 6);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(w.importFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 1);
    EXPECT_EQ(codes().size(), 1u);
}

TEST_F(ExchangeRunTest, RefusedDeletionStopsTheRunAndKeepsWhatIsLeft)
{
    Context ctx(&errors);
    for (int32_t n : {1, 2, 3})
        addCode(ctx, 101, n, "Kode");
    ImportEksportKodeverk w(ctx);
    answers.answer(BUTTON_YES); // the run
    answers.answer(BUTTON_YES); // 101/1
    answers.answer(BUTTON_NO);  // 101/2
    EXPECT_EQ(w.deleteCodes(), Outcome::Failed);
    EXPECT_EQ(answers.shown.back().text, "Det oppstod feil under sletting");
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    auto left = codes();
    EXPECT_EQ(left.size(), 2u);
    EXPECT_FALSE(left.count({101, 1}));
}

TEST_F(ExchangeRunTest, LargeRunsGoInBatchesAndReportTheirProgress)
{
    // More than one batch of writes, and a deletion without questions over all of them.
    std::vector<std::string> lines;
    for (int32_t n = 1; n <= 1200; ++n)
        lines.push_back(line(101, n, "Sted " + std::to_string(n)));
    writeFile("K.TXT", lines);
    Context ctx(&errors);
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    std::vector<int> seen;
    w.progressChanged = [&] {
        if (seen.empty() || seen.back() != w.progress())
            seen.push_back(w.progress());
    };
    w.confirmed = true;
    EXPECT_EQ(w.importFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 1200);
    EXPECT_EQ(codes().size(), 1200u);
    EXPECT_FALSE(w.running());
    ASSERT_GT(seen.size(), 50u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_TRUE(answers.shown.size() == 1 && answers.shown[0].text == "Importen er fullført");

    w.fromNr = 101;
    EXPECT_EQ(w.deleteCodes(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 1100);
    auto left = codes();
    ASSERT_EQ(left.size(), 100u);
    EXPECT_EQ(left.rbegin()->first.second, 100);
}

TEST_F(ExchangeRunTest, ANewDataFolderHoldsTheStandardCodes)
{
    // A folder whose tables were made before, without parameters, keeps the codes it has.
    const std::string folder = dir + "/ny";
    std::filesystem::create_directory(folder);
    setDataFolder(folder);
    {
        Context ctx(&errors);
        addCode(ctx, 101, 5003, "Mitt Bergen");
    }
    std::string message;
    ASSERT_TRUE(createDataFolder(folder, message)) << message;
    std::map<int32_t, int> perGroup;
    std::map<int32_t, std::string> groupNames;
    int creditNotes = 0;
    const auto all = codes();
    for (const auto& [key, rec] : all) {
        ++perGroup[key.first];
        if (key.first == 999)
            groupNames[key.second] = rec.get(KOD::TEKST);
        if (key.first == 105 && rec.get(KOD::BYTE1) == 1)
            ++creditNotes;
    }
    EXPECT_GT(perGroup[101], 5000);
    EXPECT_EQ(creditNotes, 1);
    for (int32_t g : {101, 102, 103, 105, 107, 108, 109, 110, 111}) {
        EXPECT_FALSE(groupNames[g].empty()) << g;
        EXPECT_GT(perGroup[g], 0) << g;
    }
    EXPECT_TRUE(all.count({108, 1}) && all.count({108, 2}));
    EXPECT_EQ(all.at({101, 5003}).get(KOD::TEKST), "Mitt Bergen");
    EXPECT_EQ(all.at({101, 5004}).get(KOD::TEKST), "BERGEN");
    EXPECT_EQ(all.at({101, 9170}).get(KOD::TEKST), "LONGYEARBYEN");

    // The standard file is what an export of those codes writes, line for line.
    Context ctx(&errors);
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    kod.rec().set(KOD::GRUPPE, 101);
    kod.rec().set(KOD::NR, 5003);
    ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    kod.rec().set(KOD::TEKST, "BERGEN");
    ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
    kod.CLOSE();
    ImportEksportKodeverk w(ctx);
    w.fileName() = path("K.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed);
    std::ifstream shipped(standardCodeFile(), std::ios::binary);
    std::string standard(std::istreambuf_iterator<char>(shipped), {});
    const std::string exported = bytesOf("K.TXT");
    EXPECT_EQ(exported.substr(exported.find('\n')), standard.substr(standard.find('\n')));
}
