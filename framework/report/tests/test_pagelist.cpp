// The page list written to PDF and read back as a PDF reader sees it: every word, where it
// stands, the pages and the title.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "framework/report/pagelist.h"
#include "framework/report/tests/pdftools.h"

using namespace tavlo;
using tavlo::testing::run;
using namespace tavlo::report;

namespace {

class PdfTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { tavlo::testing::ensureGuiApplication(); }
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-pdf-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Each word's box in points, as pdftotext -bbox gives it.
    struct Word {
        std::string text;
        double xMin, yMin, xMax, yMax;
    };
    std::vector<Word> words(const std::string& pdf)
    {
        const std::string html = run("pdftotext -bbox '" + pdf + "' -");
        std::vector<Word> out;
        std::regex re(
            R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), re);
             it != std::sregex_iterator(); ++it)
            out.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                           std::stod((*it)[4])});
        return out;
    }

    std::string dir;
};

Text text(int x, int y, int w, const std::string& s, Align a = Align::Left)
{
    Text t;
    t.x = x;
    t.y = y;
    t.w = w;
    t.text = s;
    t.align = a;
    return t;
}

} // namespace

TEST_F(PdfTest, EveryWordIsReadableWhereThePageListPutIt)
{
    if (run("command -v pdftotext").empty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    PageList pages(2);
    pages[0].items.push_back(text(1000, 1000, 0, "Faktura"));
    pages[0].items.push_back(
        text(7268, 2000, 0, "Totalsum", Align::Right)); // ends at 1" from the edge
    Text blokk = text(1000, 3000, 3000, "Kari Nordmann\r\nBryggen 1\r\n5003 BERGEN");
    pages[0].items.push_back(blokk);
    pages[0].items.push_back(Line{1000, 2500, 7268, 2500, 10, 0});
    pages[0].items.push_back(Box{1000, 4000, 2000, 500, 10, 0, true, 0xEEEEEE});
    pages[1].items.push_back(text(1000, 1000, 0, "Fortsettelse fra forrige side..."));
    const std::string pdf = dir + "/faktura.pdf";
    std::string error;
    ASSERT_TRUE(writePdf(pdf, pages, "Faktura 42", "Snekker Hansen AS", error)) << error;
    // Written beside and renamed: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);

    const std::string info = run("pdfinfo '" + pdf + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Pages:\s+2\n)"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Title:\s+Faktura 42\n)"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Page size:.*\(A4\))"))) << info;
    EXPECT_TRUE(std::regex_search(info, std::regex(R"(Creator:\s+Tavlo\n)"))) << info;
    const std::string meta = run("pdfinfo -meta '" + pdf + "'");
    EXPECT_NE(meta.find("<rdf:li>Snekker Hansen AS</rdf:li>"), std::string::npos) << meta;
    const std::string fonts = run("pdffonts '" + pdf + "'");
    // Every font embedded: the "emb" column of each font's line.
    const std::regex fontLine(R"(\s(yes|no)\s+(yes|no)\s+(yes|no)\s+\d+\s+\d+\n)");
    int embedded = 0;
    for (auto it = std::sregex_iterator(fonts.begin(), fonts.end(), fontLine);
         it != std::sregex_iterator(); ++it) {
        EXPECT_EQ((*it)[1], "yes") << fonts;
        ++embedded;
    }
    EXPECT_GT(embedded, 0) << fonts;

    const auto w = words(pdf);
    auto find = [&](const std::string& s) -> const Word* {
        for (const auto& x : w)
            if (x.text == s)
                return &x;
        ADD_FAILURE() << s << " is not in the PDF";
        return nullptr;
    };
    // Mils to points: × 0.072. The box's top is the text's top, give or take the leading.
    if (const Word* f = find("Faktura")) {
        EXPECT_NEAR(f->xMin, 72, 2);
        EXPECT_NEAR(f->yMin, 72, 6);
    }
    if (const Word* t = find("Totalsum")) {
        EXPECT_NEAR(t->xMax, 7268 * 0.072, 3);
        EXPECT_NEAR(t->yMin, 144, 6);
    }
    const Word* bergen = find("BERGEN");
    const Word* kari = find("Kari");
    if (bergen && kari) {
        EXPECT_GT(bergen->yMin, kari->yMin + 20); // two lines further down
        EXPECT_NEAR(kari->xMin, 72, 2);
    }
    find("Fortsettelse");
}

TEST_F(PdfTest, ThePreviewAndThePdfPaintTheSamePage)
{
    Page page;
    page.items.push_back(Box{0, 0, 4134, 5846, 0, 0, true, 0x000000}); // the top left quarter
    QImage small(827, 1169, QImage::Format_RGB32);                     // 100 dpi
    small.fill(Qt::white);
    {
        QPainter p(&small);
        paint(p, page, 100);
    }
    EXPECT_EQ(small.pixelColor(100, 100), QColor(Qt::black));
    EXPECT_EQ(small.pixelColor(600, 800), QColor(Qt::white));
    EXPECT_EQ(small.pixelColor(405, 100), QColor(Qt::black));
    EXPECT_EQ(small.pixelColor(420, 100), QColor(Qt::white));
}

TEST_F(PdfTest, NoPagesIsRefusedAndWritesNothing)
{
    std::string error;
    EXPECT_FALSE(writePdf(dir + "/tom.pdf", {}, "T", "Tavlo", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(dir + "/tom.pdf"));
}
