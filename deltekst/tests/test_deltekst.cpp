#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "deltekst/deltekst.h"
#include "framework/text.h"

namespace tavlo::deltekst {
namespace {

std::vector<ReadResult> readAll(const std::string& bytes, const Layout& layout = {},
                                const Options& o = {})
{
    Reader r(bytes, layout, o);
    std::vector<ReadResult> out;
    for (ReadResult x = r.next(); x.status != ReadResult::End; x = r.next())
        out.push_back(x);
    return out;
}

std::vector<std::string> fieldsOf(const std::string& bytes, const Options& o = {})
{
    auto all = readAll(bytes, {}, o);
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? std::vector<std::string>{} : all[0].fields;
}

TEST(DeltekstWriter, QuotesTextsAndWritesNumbersPlain)
{
    Writer w;
    auto line = w.format({std::string("Ola  "), int64_t(-42), Number{Decimal::fromRaw(12345, 1), 2},
                          std::string(" ")});
    ASSERT_TRUE(line);
    // Trailing blanks go; a text of one blank is empty; decimals with the field's places.
    EXPECT_EQ(*line, "\"Ola\",-42,1234.50,\"\"\r\n");
}

TEST(DeltekstWriter, QuotesOnlyWhatNeedsItWhenAlwaysQuoteIsOff)
{
    Options o;
    o.apply("/ALWAYSQUOTE=OFF");
    Writer w(o);
    auto line = w.format({std::string("plain"), std::string("a,b"), std::string("si \"hei\""),
                          std::string("to\r\nlinjer")});
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "plain,\"a,b\",\"si \"\"hei\"\"\",\"to\r\nlinjer\"\r\n");
}

TEST(DeltekstWriter, RefusesTextsThatWouldNotReadBack)
{
    std::string problem;
    EXPECT_FALSE(Writer().format({std::string("a\x1A"
                                              "b")},
                                 &problem));
    EXPECT_NE(problem.find("Ctrl-Z"), std::string::npos);
    Options o;
    o.apply("/ENDOFRECORDINQUOTE=OFF");
    EXPECT_FALSE(Writer(o).format({int64_t(1), std::string("a\r\nb")}, &problem));
    EXPECT_NE(problem.find("Felt 2"), std::string::npos);
}

TEST(DeltekstRoundTrip, TextsComeBackUnchanged)
{
    const std::vector<std::string> texts = {
        "Blåbær & Ørret AS", "et \"sitat\"", "\"", "a,b,,c", "linje 1\r\nlinje 2", "", "ÆØÅ æøå"};
    for (bool alwaysQuote : {true, false}) {
        Options o;
        o.alwaysQuote = alwaysQuote;
        std::vector<Value> values(texts.begin(), texts.end());
        auto line = Writer(o).format(values);
        ASSERT_TRUE(line);
        EXPECT_EQ(fieldsOf(*line, o), texts) << *line;
    }
}

TEST(DeltekstRoundTrip, OtherDelimitersFromTheOptionString)
{
    Options o;
    EXPECT_TRUE(
        o.apply("/fielddelimiter=2,59,59 /QUOTE=39 /ENDOFRECORD=1,10 /ALWAYSQUOTE=OFF").empty());
    auto line = Writer(o).format({std::string("it's"), std::string("a;;b"), int64_t(7)});
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "'it''s';;'a;;b';;7\n");
    EXPECT_EQ(fieldsOf(*line, o), (std::vector<std::string>{"it's", "a;;b", "7"}));
}

TEST(DeltekstCharset, Windows1252IsWrittenAndRead)
{
    auto line = Writer().format({std::string("Æ Ø Å æ ø å")});
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "\"\xC6 \xD8 \xC5 \xE6 \xF8 \xE5\"\r\n");
    Reader r(*line, {});
    EXPECT_EQ(r.next().fields, std::vector<std::string>{"Æ Ø Å æ ø å"});
    EXPECT_EQ(r.charset(), Charset::Windows1252);
}

TEST(DeltekstCharset, Utf8FileWhereWindows1252IsExpectedIsReadAsUtf8)
{
    for (std::string bytes : {std::string("\"Blåbær\",\"Ørsta\"\r\n"),
                              std::string("\xEF\xBB\xBF\"Blåbær\",\"Ørsta\"\r\n")}) {
        Reader r(bytes, {});
        EXPECT_EQ(r.next().fields, (std::vector<std::string>{"Blåbær", "Ørsta"}));
        EXPECT_EQ(r.charset(), Charset::Utf8);
    }
    // Bytes that are no UTF-8 stay Windows-1252, also when UTF-8 is asked for.
    Options o;
    o.charset = Charset::Utf8;
    EXPECT_EQ(fieldsOf("\"\xC5se\"\r\n", o), std::vector<std::string>{"Åse"});
    auto line = Writer(o).format({std::string("Åse")});
    EXPECT_EQ(*line, "\"Åse\"\r\n");
}

TEST(DeltekstCharset, CountsCharactersTheSetLacks)
{
    Writer w;
    auto line = w.format({std::string("Smile ☺"), std::string("Ærlig")});
    ASSERT_TRUE(line);
    EXPECT_EQ(w.unrepresentable(), 1);
    EXPECT_EQ(*line, "\"Smile ?\",\"\xC6rlig\"\r\n");
}

TEST(DeltekstReader, RecordsAcrossLinesEmptyLinesAndCtrlZ)
{
    const std::string file = "1,\"to\r\nlinjer\"\r\n\r\n2,\"b\"\r\n3,c\x1A"
                             ",\"d\"\r\n";
    auto all = readAll(file);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].fields[1], "to\r\nlinjer");
    EXPECT_EQ(all[1].line, 4); // the line numbers of the file, not the records
    EXPECT_EQ(all[2].fields, (std::vector<std::string>{"3", "c"}));

    Options o;
    o.apply("/CTRLZISEOF=OFF");
    auto more = readAll(file, {}, o);
    ASSERT_EQ(more.size(), 3u);
    EXPECT_EQ(more[2].fields, (std::vector<std::string>{"3", "c\x1A", "d"}));
}

TEST(DeltekstReader, DamagedRecordsAreReportedWithTheirLine)
{
    const Layout layout = {{"TYPE", Type::Integer, 1},
                           {"NAVN", Type::Text, 5},
                           {"DATO", Type::Date, 10},
                           {"BELOP", Type::Decimal, 15, 2}};
    const std::string file = "1,\"Ola\",38000,12.5\r\n"      // 1: good
                             "1,\"Ola\",38000\r\n"           // 2: too few
                             "x,\"Ola\",38000,1\r\n"         // 3: not a number
                             "1,\"Olav Haraldsson\",0,1\r\n" // 4: too long
                             "1,\"Ola\",99999999,1\r\n"      // 5: no such day
                             "1,\"Ola\",0,1.234.5\r\n"       // 6: not a decimal
                             "1,\"Ola\"x,0,1\r\n"            // 7: stray after quote
                             "1,\"Ola\",0,1,9\r\n"           // 8: too many
                             "1,\"Å\",  7 ,\"-3,25\"\r\n"    // 9: good, blanks around numbers
                             "1,\"Ola,0,1\r\n";              // 10: broken quote
    auto all = readAll(file, layout);
    ASSERT_EQ(all.size(), 10u);
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i].line, static_cast<long>(i + 1));
    EXPECT_TRUE(all[0]);
    EXPECT_EQ(Reader::decimal(all[0].fields[3], 2), Decimal::fromCents(1250));
    EXPECT_EQ(all[1].problem, "Linjen har 3 felt, men skal ha 4");
    EXPECT_NE(all[2].problem.find("TYPE er ikke et heltall"), std::string::npos);
    EXPECT_NE(all[3].problem.find("NAVN er lengre enn 5 tegn"), std::string::npos);
    EXPECT_NE(all[4].problem.find("ikke en dato som finnes"), std::string::npos);
    EXPECT_NE(all[5].problem.find("BELOP er ikke et tall"), std::string::npos);
    EXPECT_NE(all[6].problem.find("etter avsluttende"), std::string::npos);
    EXPECT_EQ(all[7].problem, "Linjen har 5 felt, men skal ha 4");
    ASSERT_TRUE(all[8]);
    EXPECT_EQ(all[8].fields, (std::vector<std::string>{"1", "Å", "7", "-3,25"}));
    EXPECT_EQ(Reader::decimal(all[8].fields[3], 2), -Decimal::fromCents(325));
    EXPECT_NE(all[9].problem.find("ikke avsluttet"), std::string::npos);
}

TEST(DeltekstReader, EndOfRecordInQuotesOffEndsTheRecord)
{
    Options o;
    o.apply("/ENDOFRECORDINQUOTE=OFF");
    auto all = readAll("1,\"a\r\nb\"\r\n2,\"c\"\r\n", {}, o);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].status, ReadResult::Error);
    EXPECT_EQ(all[1].fields, std::vector<std::string>{"b\""}); // what is left of the broken one
    EXPECT_EQ(all[2].fields, (std::vector<std::string>{"2", "c"}));
}

TEST(DeltekstReader, DecimalFromCentsReadsBack)
{
    auto line = Writer().format({Number{Decimal::fromRaw(12345, 1), 2}});
    Reader r(*line, {{"K", Type::Decimal, 15, 2}});
    EXPECT_EQ(Reader::decimal(r.next().fields[0], 2), Decimal::fromRaw(12345, 1));
}

TEST(DeltekstReader, MissingFileIsNotOpen)
{
    Reader r = Reader::open("/nonexistent/KUNDE.TXT", {});
    EXPECT_FALSE(r.isOpen());
    EXPECT_NE(r.errorNumber(), 0);
    EXPECT_EQ(r.next().status, ReadResult::End);
}

TEST(DeltekstOptions, ProblemsAreNamedAndTheRestApplies)
{
    Options o;
    auto problems = o.apply("/ALWAYSQUOTE=off /BOGUS=1 /COMMA /QUOTE= /COMMA=300 junk "
                            "/ENDOFRECORD=3,13,10 /FILEBUFFERS=99999999");
    EXPECT_EQ(problems,
              (std::vector<std::string>{"BOGUS is not a valid switch", "COMMA has no value",
                                        "QUOTE has missing value",
                                        "COMMA has an incorrect value of 300. Value ignored,",
                                        "Poorly formed driver string.",
                                        "ENDOFRECORD has an incorrect value of 3,13,10. Value "
                                        "ignored,"}));
    EXPECT_EQ(o.query("alwaysquote"), "OFF");
    EXPECT_EQ(o.query("COMMA"), "44");
    EXPECT_EQ(o.query("ENDOFRECORD"), "2,13,10");
    EXPECT_EQ(o.query("FILEBUFFERS"), "8388608");
    EXPECT_EQ(o.query("CTRLZISEOF"), "ON");
    EXPECT_EQ(o.query("NOSUCH"), "");
}

} // namespace
} // namespace tavlo::deltekst
