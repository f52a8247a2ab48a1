// The header line of exchange files and the fixed-width line of one code.
#include "data/exchange.h"
#include "data/tests/fixture.h"
#include "framework/date.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

class ExchangeTest : public DataFolderTest {
  protected:
    void write(const std::string& file, const std::string& bytes)
    {
        std::ofstream(path(file), std::ios::binary) << bytes;
    }
};

Record fullCode()
{
    Record r(table(Tbl::KODEVERK));
    r.set(KOD::GRUPPE, 105);
    r.set(KOD::NR, 12345);
    r.set(KOD::STDNR, -9999);
    r.set(KOD::TEKST, "Kreditnota på «særvilkår»");
    r.set(KOD::FAST, 2);
    r.set(KOD::IKKEIBRUK, 1);
    r.set(KOD::BYTE1, 1);
    r.set(KOD::BYTE10, 9);
    r.set(KOD::LONG1, -1);
    r.set(KOD::LONG2, 16777215);
    r.set(KOD::LONG10, -999999999);
    r.set(KOD::DECIMAL1, *Decimal::parse("1234.5"));
    r.set(KOD::DECIMAL2, *Decimal::parse("-999999999.99"));
    r.set(KOD::DECIMAL3, *Decimal::parse("-0.05"));
    r.set(KOD::CSTRING1, "@n-14.`2");
    r.set(KOD::CSTRING5, std::string(50, 'x'));
    r.set(KOD::DIV, "går aldri med");
    return r;
}

} // namespace

TEST_F(ExchangeTest, HeaderIsWrittenInItsColumnsAndReadBack)
{
    Context ctx(&errors);
    const int32_t day = date::fromYmd(2004, 12, 31);
    ASSERT_EQ(LAGHEADER(ctx, path("K.TXT"), "Tavlo", "Kodeverk", "4.0", day, true), 1);
    const std::string expected = "Tavlo" + std::string(15, ' ') + "Kodeverk" +
                                 std::string(12, ' ') + "4.0" + std::string(17, ' ') +
                                 std::to_string(day) + "\r\n";
    EXPECT_EQ(bytesOf("K.TXT"), expected);
    // Without create the line is added; with it the file starts again.
    ASSERT_EQ(LAGHEADER(ctx, path("K.TXT"), "Tavlo", "Kodeverk", "4.0", day, false), 1);
    EXPECT_EQ(bytesOf("K.TXT"), expected + expected);
    ASSERT_EQ(LAGHEADER(ctx, path("K.TXT"), "Prøve", "Kunde", "3.0", 0, true), 1);
    EXPECT_EQ(bytesOf("K.TXT").substr(0, 5), "Pr\xF8ve"); // Windows-1252

    std::string program, version, id;
    int32_t read = -1;
    EXPECT_EQ(HENTHEADER(ctx, path("K.TXT"), program, version, id, read, false), 1);
    EXPECT_EQ(program, "Prøve");
    EXPECT_EQ(id, "Kunde");
    EXPECT_EQ(version, "3.0");
    EXPECT_EQ(read, 0);
    EXPECT_TRUE(answers.shown.empty());

    write("K.TXT", expected);
    answers.answer(BUTTON_NO);
    EXPECT_EQ(HENTHEADER(ctx, path("K.TXT"), program, version, id, read, true), 0);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Program: Tavlo|HeaderId: Kodeverk|Versjon: 4.0|"
                                     "Eksportdato: 31.12.2004||Vil du fortsette?");
    EXPECT_EQ(answers.shown[0].caption, "Fil info");
    EXPECT_EQ(answers.shown[0].buttons, BUTTON_YES | BUTTON_NO);
    EXPECT_EQ(read, day);
    answers.answer(BUTTON_YES);
    EXPECT_EQ(HENTHEADER(ctx, path("K.TXT"), program, version, id, read, true), 1);
}

TEST_F(ExchangeTest, HeaderFailuresSaySoAndGiveZero)
{
    Context ctx(&errors);
    std::string program, version, id;
    int32_t day = 0;
    // An empty file is quietly no exchange file.
    write("TOM.TXT", "");
    EXPECT_EQ(HENTHEADER(ctx, path("TOM.TXT"), program, version, id, day, true), 0);
    EXPECT_TRUE(answers.shown.empty());

    EXPECT_EQ(HENTHEADER(ctx, path("MANGLER.TXT"), program, version, id, day, true), 0);
    EXPECT_EQ(HENTHEADER(ctx, dir, program, version, id, day, false), 0);
    const std::string missingDir = path("finnes/ikke/K.TXT");
    EXPECT_EQ(LAGHEADER(ctx, missingDir, "Tavlo", "Kodeverk", "4.0", 1, true), 0);
    EXPECT_EQ(LAGHEADER(ctx, missingDir, "Tavlo", "Kodeverk", "4.0", 1, false), 0);
    ASSERT_EQ(answers.shown.size(), 4u);
    EXPECT_EQ(answers.shown[0].text, "Filen finnes ikke: " + path("MANGLER.TXT"));
    EXPECT_EQ(answers.shown[1].text, "Navnet er en mappe: " + dir);
    EXPECT_EQ(answers.shown[2].text, "Det oppsto feil under opprettelse av " + missingDir);
    EXPECT_EQ(answers.shown[3].text, "Filen finnes ikke: " + missingDir);
    for (const auto& m : answers.shown)
        EXPECT_EQ(m.caption, "Feil");
}

TEST_F(ExchangeTest, CodeLineHoldsEachFieldInItsColumnAndReadsBackUnchanged)
{
    const Record code = fullCode();
    std::string problem;
    auto line = codeline::format(code, &problem);
    ASSERT_TRUE(line) << problem;
    EXPECT_EQ(line->substr(0, 15), "  10512345-9999");
    EXPECT_EQ(line->substr(15, 27), "Kreditnota p\xE5 \xABs\xE6rvilk\xE5r\xBB  ");
    EXPECT_EQ(line->substr(65, 12), "211000000009");
    EXPECT_EQ(line->substr(77, 20), "        -1  16777215");
    EXPECT_EQ(line->substr(167, 10), "-999999999");
    EXPECT_EQ(line->substr(177, 15), "      1.234,50 ");
    EXPECT_EQ(line->substr(192, 15), "-999.999.999,99"); // the one value that takes the blank
    EXPECT_EQ(line->substr(207, 15), "         -0,05 ");
    EXPECT_EQ(line->substr(222, 50), "@n-14.`2" + std::string(42, ' '));
    // KOD:DIV is never written, and trailing blanks are dropped.
    EXPECT_EQ(line->size(), 472u);
    EXPECT_EQ(line->substr(422), std::string(50, 'x'));

    Record back(table(Tbl::KODEVERK));
    back.set(KOD::DIV, "gammelt");
    ASSERT_TRUE(codeline::parse(*line, back, &problem)) << problem;
    Record expected = fullCode();
    expected.set(KOD::DIV, "");
    EXPECT_TRUE(back == expected);

    int32_t group = 0, nr = 0;
    ASSERT_TRUE(codeline::key(*line, group, nr));
    EXPECT_EQ(group, 105);
    EXPECT_EQ(nr, 12345);

    // A short line is padded; texts are clipped, leading blanks kept.
    ASSERT_TRUE(codeline::parse("  101 5003    0  Bergen   ", back));
    EXPECT_EQ(back.get(KOD::NR), 5003);
    EXPECT_EQ(back.get(KOD::TEKST), "  Bergen");
    EXPECT_EQ(back.get(KOD::DECIMAL1), Decimal());
}

TEST_F(ExchangeTest, LineBreaksInTextsBecomeBlanks)
{
    Record code(table(Tbl::KODEVERK));
    code.set(KOD::GRUPPE, 1);
    code.set(KOD::NR, 1);
    code.set(KOD::TEKST, "to\r\nlinjer\tog tab");
    auto line = codeline::format(code);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->find_first_of("\r\n\t"), std::string::npos);
    Record back(table(Tbl::KODEVERK));
    ASSERT_TRUE(codeline::parse(*line, back));
    EXPECT_EQ(back.get(KOD::TEKST), "to  linjer og tab");
}

TEST_F(ExchangeTest, ValuesTooWideForTheirColumnsAreNotWritten)
{
    struct Case {
        const char* field;
        int64_t value;
    };
    for (const Case& c : {Case{"KOD:GRUPPE", 100000}, Case{"KOD:NR", -10000}, Case{"KOD:FAST", 10},
                          Case{"KOD:BYTE3", 255}, Case{"KOD:LONG4", -1000000000}}) {
        SCOPED_TRACE(c.field);
        Record code = fullCode();
        code.setNum(code.decl().fieldNo(c.field), c.value);
        std::string problem;
        EXPECT_FALSE(codeline::format(code, &problem));
        EXPECT_EQ(problem.rfind(std::string(c.field) + " = " + std::to_string(c.value), 0), 0u)
            << problem;
    }
}

TEST_F(ExchangeTest, DamagedLinesAreRefusedWithTheReason)
{
    const std::string good = *codeline::format(fullCode());
    auto with = [&](std::size_t at, const std::string& s) {
        std::string l = good;
        return l.replace(at, s.size(), s);
    };
    struct Case {
        std::string line;
        std::string reason;
    };
    const std::vector<Case> cases{
        {with(0, "  1x5"), "KOD:GRUPPE kan ikke leses: «1x5»"},
        {with(10, "  1 2"), "KOD:STDNR kan ikke leses: «1 2»"},
        {with(67, "x"), "KOD:BYTE1 kan ikke leses: «x»"},
        {with(87, "9999999999"), "KOD:LONG2 kan ikke leses: «9999999999»"},
        {with(177, "      1,234,50 "), "KOD:DECIMAL1 kan ikke leses: «1,234,50»"},
        {with(192, "1.000.000.000,0"), "KOD:DECIMAL2 kan ikke leses"},
        {with(30, "\t"), "kontrolltegn i posisjon 31"},
        {std::string(1473, ' '), "linjen er lengre enn 1472 tegn"},
        {good + "\r\n" + good, "kontrolltegn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Record r(table(Tbl::KODEVERK));
        std::string problem;
        EXPECT_FALSE(codeline::parse(c.line, r, &problem));
        EXPECT_EQ(problem.rfind(c.reason, 0), 0u) << problem;
        EXPECT_TRUE(r == Record(table(Tbl::KODEVERK))); // left cleared
    }
    int32_t group = 0, nr = 0;
    EXPECT_FALSE(codeline::key(with(5, "  -x1"), group, nr));
}
