#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "framework/iniclass.h"

using namespace tavlo;
namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::vector<std::string>>;

class IniTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        file = dir / "tlfa.INI";
        ini.Init(file.string());
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string onDisk() const
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void writeDisk(const std::string& bytes) const
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }

    fs::path dir, file;
    INIClass ini;
};

} // namespace

TEST_F(IniTest, AbsentEntriesAndTypedFetches)
{
    EXPECT_EQ(ini.Fetch("Preview", "Zoom"), "---Unknown---");
    EXPECT_EQ(ini.TryFetch("Preview", "Zoom"), "");
    int32_t n = 7;
    EXPECT_FALSE(ini.Fetch("Preview", "Zoom", n));
    EXPECT_EQ(n, 7);
    EXPECT_FALSE(fs::exists(file)); // reading never creates the file

    ini.Update("Preview", "Zoom", int64_t{-120});
    ini.Update("Preview", "Rate", Decimal::fromCents(1250));
    ini.Update("Preview", "Name", "  Standard  ");
    ini.Update("Preview", "Empty", "");
    Decimal d;
    std::string s;
    EXPECT_TRUE(ini.Fetch("Preview", "Zoom", n) && ini.Fetch("Preview", "Rate", d) &&
                ini.Fetch("Preview", "Name", s));
    EXPECT_EQ(n, -120);
    EXPECT_EQ(d, Decimal::fromCents(1250));
    EXPECT_EQ(s, "Standard");
    EXPECT_EQ(ini.Fetch("Preview", "Empty"), "");  // stored but empty is not unknown
    EXPECT_FALSE(ini.Fetch("Preview", "Name", n)); // no number: the target keeps its value
    EXPECT_EQ(n, -120);

    EXPECT_TRUE(ini.Remove("Preview", "Zoom"));
    EXPECT_EQ(ini.Fetch("Preview", "Zoom"), "---Unknown---");
}

TEST_F(IniTest, CommaFieldsCountFromOneAndMissingFieldsAreEmpty)
{
    ini.Update("Liste", "To", "a,b");
    ini.Update("Liste", "Fire", "a,b,c,d");
    EXPECT_EQ(ini.TryFetchField("Liste", "To", 3), "");
    EXPECT_EQ(ini.TryFetchField("Liste", "Fire", 3), "c");
    EXPECT_EQ(ini.TryFetchField("Liste", "Fire", 4), "d");
    EXPECT_EQ(ini.TryFetchField("Liste", "Fire", 1), "a");
    EXPECT_EQ(ini.TryFetchField("Liste", "Fire", 0), "");
    EXPECT_EQ(ini.TryFetchField("Liste", "Ingen", 1), "");
    EXPECT_EQ(ini.FetchField("Liste", "Ingen", 1), "---Unknown---");
}

TEST_F(IniTest, NamesMatchWithoutRegardToCase)
{
    ini.Update("Utskrift", "Skriver", "HP");
    EXPECT_EQ(ini.Fetch("UTSKRIFT", "skriver"), "HP");
    ini.Update("uTsKrIfT", "SKRIVER", "Canon");
    EXPECT_EQ(ini.Fetch("Utskrift", "Skriver"), "Canon");
    EXPECT_EQ(onDisk(), "[Utskrift]\r\nSkriver=Canon\r\n");

    ini.Update("Sjåfør", "Søk", "x");
    EXPECT_EQ(ini.Fetch("SJÅFØR", "SØK"), "x");
}

TEST_F(IniTest, FileIsWindows1252OnDisk)
{
    ini.Update("Firma", "Navn", "Øye & Sønn AS");
    EXPECT_EQ(onDisk(), "[Firma]\r\nNavn=\xD8ye & S\xF8nn AS\r\n");
    EXPECT_EQ(ini.Fetch("Firma", "Navn"), "Øye & Sønn AS");

    // A file from the earlier version, with a Windows-1252 section name.
    writeDisk("[Bl\xE5]\nFarge=M\xF8rk\n");
    EXPECT_EQ(ini.Fetch("Blå", "Farge"), "Mørk");
}

TEST_F(IniTest, UpdatesKeepEverythingElseByteForByte)
{
    const std::string before = "; laget for hånd\n"
                               "[Andre]\n"
                               "A = 1\n"
                               "\n"
                               "[Preview]\n"
                               "Zoom=100\n"
                               "\n"
                               "[Siste]\n"
                               "B=\xE6\n";
    writeDisk(before);
    ASSERT_TRUE(ini.Update("Preview", "Maximize", "No"));
    ASSERT_TRUE(ini.Update("Andre", "A", "2"));
    EXPECT_EQ(onDisk(), "; laget for hånd\n"
                        "[Andre]\n"
                        "A =2\n"
                        "\n"
                        "[Preview]\n"
                        "Zoom=100\n"
                        "Maximize=No\n"
                        "\n"
                        "[Siste]\n"
                        "B=\xE6\n");
    ASSERT_TRUE(ini.Remove("Preview", "Maximize"));
    ASSERT_TRUE(ini.Update("Andre", "A ", "1"));
    EXPECT_EQ(onDisk(), std::string(before).replace(before.find("A = 1"), 5, "A =1"));

    // No temporary files are left beside the settings file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(IniTest, ChangesByAnotherWriterAreSeen)
{
    INIClass other;
    other.Init(file.string());
    ini.Update("Felles", "Verdi", "1");
    EXPECT_EQ(other.Fetch("Felles", "Verdi"), "1");
    writeDisk("[Felles]\r\nVerdi=2\r\n");
    EXPECT_EQ(ini.Fetch("Felles", "Verdi"), "2");
    other.Update("Felles", "Annen", "3");
    ini.Update("Felles", "Verdi", "4");
    EXPECT_EQ(onDisk(), "[Felles]\r\nVerdi=4\r\nAnnen=3\r\n");
}

TEST_F(IniTest, BadNamesUnwritableFilesAndNoStorage)
{
    EXPECT_FALSE(ini.Update("", "A", "1"));
    EXPECT_FALSE(ini.Update("S", "A=B", "1"));
    EXPECT_FALSE(ini.Update("S]", "A", "1"));
    EXPECT_FALSE(fs::exists(file));
    ini.Update("S", "A", "line1\nline2");
    EXPECT_EQ(ini.Fetch("S", "A"), "line1 line2");

    INIClass lost;
    lost.Init((dir / "missing" / "x.INI").string());
    EXPECT_FALSE(lost.Update("S", "A", "1"));

    INIClass none;
    none.Init((dir / "none.INI").string(), INIClass::NO_STORAGE);
    EXPECT_TRUE(none.Update("S", "A", "1"));
    EXPECT_EQ(none.Fetch("S", "A"), "");
    EXPECT_FALSE(fs::exists(dir / "none.INI"));
}

TEST_F(IniTest, QueueKeepsChosenColumnsAndDropsStaleRows)
{
    const Rows rows = {
        {"1", "skip", "Oslo, sentrum"}, {"2", "skip", "Bergen"}, {"3", "skip", "Tromsø"}};
    ASSERT_TRUE(ini.UpdateQueue("Steder", "Sted", rows, {0, 2}));
    EXPECT_EQ(ini.Fetch("Steder", "Sted"), "3");
    EXPECT_EQ(ini.Fetch("Steder", "Sted_1"), "1,Oslo, sentrum");

    Rows back = {{"old"}};
    ASSERT_TRUE(ini.FetchQueue("Steder", "Sted", back, {0, 2}));
    EXPECT_EQ(back, (Rows{{"1", "", "Oslo, sentrum"}, {"2", "", "Bergen"}, {"3", "", "Tromsø"}}));

    ASSERT_TRUE(ini.UpdateQueue("Steder", "Sted", {{"9", "x", "Bodø"}}, {2}));
    EXPECT_EQ(ini.Fetch("Steder", "Sted_2"), "---Unknown---");
    ASSERT_TRUE(ini.FetchQueue("Steder", "Sted", back, {1}));
    EXPECT_EQ(back, (Rows{{"", "Bodø"}}));

    EXPECT_FALSE(ini.UpdateQueue("Steder", "Sted", rows, {}));
    EXPECT_FALSE(ini.UpdateQueue("Steder", "Sted", rows, {0, 1, 2, 0, 1}));
    ASSERT_TRUE(ini.FetchQueue("Ingen", "Sted", back, {0}));
    EXPECT_TRUE(back.empty());
}

TEST_F(IniTest, WholeListsRoundTripFieldsWithCommasAndBrackets)
{
    const Rows rows = {{"Kunde", "Nordmann, Ola", "1"}, {"[x]", "[", "", "a]b"}, {"siste"}};
    ASSERT_TRUE(ini.UpdateQ("Filter", rows));
    EXPECT_EQ(ini.Fetch("Filter", "Entries"), "3");
    EXPECT_EQ(ini.Fetch("Filter", "ENTRY_1"), "Kunde,[Nordmann, Ola],1");
    Rows back;
    ini.FetchQ("Filter", back);
    EXPECT_EQ(back, rows);

    ASSERT_TRUE(ini.UpdateQ("Filter", {{"en"}}));
    EXPECT_EQ(ini.TryFetch("Filter", "ENTRY_2"), "");
    EXPECT_EQ(onDisk().find("ENTRY_3"), std::string::npos);

    // A damaged count neither hangs nor invents rows.
    writeDisk("[Filter]\nEntries=2000000000\nENTRY_1=a\n");
    ini.FetchQ("Filter", back);
    EXPECT_LE(back.size(), 2u);
    EXPECT_EQ(back.at(0), std::vector<std::string>{"a"});
}

TEST_F(IniTest, MaximisedWindowStoresNoPositionAndReopensMaximised)
{
    WindowPlacement w;
    w.x = 10, w.y = 20, w.width = 800, w.height = 600;
    ini.Update("_PreviewWindow_", w);
    EXPECT_EQ(onDisk(), "[_PreviewWindow_]\r\nMaximize=No\r\nMinimize=No\r\nXPos=10\r\nYPos=20\r\n"
                        "Width=800\r\nHeight=600\r\n");

    w.maximized = true;
    ini.Update("_PreviewWindow_", w);
    EXPECT_EQ(onDisk(), "[_PreviewWindow_]\r\nMaximize=Yes\r\nMinimize=No\r\n");

    WindowPlacement reopened;
    reopened.x = 5;
    ASSERT_TRUE(ini.Fetch("_PreviewWindow_", reopened));
    EXPECT_TRUE(reopened.maximized);
    EXPECT_FALSE(reopened.minimized);
    EXPECT_EQ(reopened.x, 5); // nothing stored: the designed position stays
    EXPECT_EQ(reopened.width, WindowPlacement::kAbsent);
}

TEST_F(IniTest, SizeOnlyForResizableWindowsAbsentValuesRemoved)
{
    WindowPlacement fixed;
    fixed.resizable = false;
    fixed.x = 1, fixed.y = 2, fixed.width = 300, fixed.height = 200;
    ini.Update("Fast", fixed);
    EXPECT_EQ(ini.TryFetch("Fast", "XPos"), "1");
    EXPECT_EQ(ini.TryFetch("Fast", "Width"), "");

    WindowPlacement partly;
    partly.x = 40, partly.y = WindowPlacement::kAbsent, partly.width = 640;
    ini.Update("Fast", partly);
    EXPECT_EQ(ini.TryFetch("Fast", "YPos"), "");
    EXPECT_EQ(ini.TryFetch("Fast", "Height"), "");

    WindowPlacement back;
    back.resizable = false;
    ASSERT_TRUE(ini.Fetch("Fast", back));
    EXPECT_EQ(back.x, 40);
    EXPECT_EQ(back.width, WindowPlacement::kAbsent); // not applied to a fixed-size window
    back.resizable = true;
    ASSERT_TRUE(ini.Fetch("Fast", back));
    EXPECT_EQ(back.width, 640);

    // Never written, or not by us: the window keeps its designed placement.
    WindowPlacement w = partly;
    EXPECT_FALSE(ini.Fetch("Aldri", w));
    ini.Update("Rar", "Maximize", "Kanskje");
    ini.Update("Rar", "XPos", "99");
    EXPECT_FALSE(ini.Fetch("Rar", w));
    EXPECT_EQ(w.x, 40);
}

TEST_F(IniTest, SectorListIsSortedUniqueAndSurvivesKill)
{
    ini.Update("Felles", "A", "1");
    ini.Kill(); // no list, none written
    EXPECT_EQ(onDisk(), "[Felles]\r\nA=1\r\n");

    ini.AddSector("Preview$$Faktura$$A4$$liggende");
    ini.AddSector("Preview$$Faktura$$A4$$liggende");
    ini.AddSector("PREVIEW$$faktura$$a4$$LIGGENDE");
    ini.AddSector("Kunde");
    ini.AddSector("Preview$$Avgrensning");
    ini.AddSector(std::string(150, 'x'));
    using S = INIClass::Sector;
    const std::vector<S> expected = {{"Kunde", "", ""},
                                     {"Preview", "Avgrensning", ""},
                                     {"Preview", "Faktura", "A4$$liggende"},
                                     {std::string(100, 'x'), "", ""}};
    EXPECT_EQ(ini.GetSectors(), expected);
    EXPECT_EQ(ini.GetSectors("preview").size(), 2u);
    EXPECT_EQ(INIClass::GetFamily("Preview$$Faktura"), "Preview");
    EXPECT_EQ(INIClass::GetFamily("Kunde"), "Kunde");

    ini.DeleteSector("kunde");
    ini.Kill();
    EXPECT_TRUE(ini.GetSectors().empty());
    EXPECT_EQ(ini.Fetch("__Dont_Touch_Me__", "Sectors"), "3");

    INIClass again;
    again.Init(file.string());
    EXPECT_EQ(again.GetSectors(), std::vector<S>(expected.begin() + 1, expected.end()));
}

TEST_F(IniTest, ThreadsSharingTheObjectLoseNothing)
{
    const auto writer = [&](const std::string& prefix) {
        for (int i = 0; i < 40; ++i) {
            ini.Update("Felles", prefix + std::to_string(i), std::to_string(i));
            Rows rows(5, {prefix});
            ini.UpdateQueue("Liste", "Rad", rows, {0});
        }
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(ini.Fetch("Felles", "a" + std::to_string(i)), std::to_string(i));
        EXPECT_EQ(ini.Fetch("Felles", "b" + std::to_string(i)), std::to_string(i));
    }
    // One writer's list whole, never a mix of both.
    Rows rows;
    ini.FetchQueue("Liste", "Rad", rows, {0});
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& r : rows)
        EXPECT_EQ(r, rows.front());
}
