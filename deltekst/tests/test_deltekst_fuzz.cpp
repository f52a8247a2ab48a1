// Random and mutated files through the reader: whatever comes in, it ends, it reports each
// record as read or damaged with a line inside the file, and it never reads past the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "deltekst/deltekst.h"

namespace tavlo::deltekst {
namespace {

const Layout kLayout = {{"TYPE", Type::Integer, 1},
                        {"NAVN", Type::Text, 20},
                        {"DATO", Type::Date, 10},
                        {"BELOP", Type::Decimal, 15, 2},
                        {"DIV", Type::Text, 100}};

std::string sample(std::mt19937& rng)
{
    const std::vector<std::string> names = {"Ola", "Blåbær \"AS\"", "a,b", "linje\r\nto",
                                            "",    "Ærlig Øst Åsen"};
    std::string out;
    Writer w;
    const int records = std::uniform_int_distribution<int>(0, 8)(rng);
    for (int i = 0; i < records; ++i) {
        auto line =
            w.format({int64_t(1 + i % 2), names[rng() % names.size()], int64_t(rng() % 80000),
                      Number{Decimal::fromCents(rng() % 100000), 2}, names[rng() % names.size()]});
        out += *line;
    }
    return out;
}

void mutate(std::string& s, std::mt19937& rng)
{
    static const std::string alphabet =
        std::string("\",\r\n\x1A \xC3\xA5\xE5\xEF\xBB\xBF") + "0-.9a";
    const int edits = std::uniform_int_distribution<int>(1, 6)(rng);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 4) {
        case 0: s.insert(s.begin() + at, alphabet[rng() % alphabet.size()]); break;
        case 1:
            if (at < s.size())
                s.erase(at, 1 + rng() % 4);
            break;
        case 2:
            if (at < s.size())
                s[at] = static_cast<char>(rng() % 256);
            break;
        default:
            if (!s.empty())
                s.insert(at, s.substr(rng() % s.size(), rng() % 12));
        }
    }
}

void readThrough(const std::string& bytes, const Options& o)
{
    const long lines = 1 + static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n')) +
                       static_cast<long>(std::count(bytes.begin(), bytes.end(), '\r'));
    Reader r(bytes, kLayout, o);
    long last = 0;
    for (int guard = 0;; ++guard) {
        ASSERT_LT(guard, static_cast<int>(bytes.size()) + 2) << "reader does not advance";
        ReadResult x = r.next();
        ASSERT_GE(x.line, last);
        ASSERT_LE(x.line, lines);
        last = x.line;
        if (x.status == ReadResult::End)
            break;
        if (x.status == ReadResult::Record) {
            ASSERT_EQ(x.fields.size(), kLayout.size());
            Reader::integer(x.fields[0]);
            Reader::decimal(x.fields[3], 2);
        } else {
            ASSERT_FALSE(x.problem.empty());
        }
    }
}

TEST(DeltekstFuzz, RandomAndMutatedFilesNeverBreakTheReader)
{
    std::mt19937 rng(20261208);
    Options loose;
    loose.apply("/ALWAYSQUOTE=OFF /ENDOFRECORDINQUOTE=OFF /CTRLZISEOF=OFF /ENDOFRECORD=1,10");
    for (int i = 0; i < 4000; ++i) {
        std::string bytes;
        if (i % 4 == 0) {
            bytes.resize(rng() % 200);
            for (char& c : bytes)
                c = static_cast<char>(rng() % 256);
        } else {
            bytes = sample(rng);
            mutate(bytes, rng);
        }
        readThrough(bytes, i % 3 == 0 ? loose : Options{});
        if (HasFatalFailure()) {
            ADD_FAILURE() << "case " << i;
            return;
        }
    }
}

} // namespace
} // namespace tavlo::deltekst
