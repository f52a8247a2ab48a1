// Start-up without windows: the environment file, the archive switch, the parameter record and
// the status bar's texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/datafolder.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "shell/startup.h"

using namespace tavlo;
using namespace tavlo::tlma;

class StartupTest : public tavlo::testing::DataFolderTest {
  protected:
    void write(const std::string& file, const std::string& content)
    {
        std::ofstream(path(file), std::ios::binary) << content;
    }
};

TEST_F(StartupTest, EnvironmentFileAbsentLoadedOrDamaged)
{
    Environment env;
    std::string problem;
    EXPECT_EQ(loadEnvironment(path("TAVLO.ENV"), env, problem), EnvironmentLoad::Absent);
    EXPECT_EQ(env.charset, "WINDOWS-1252");
    EXPECT_EQ(env.collation, "NOR");

    write("TAVLO.ENV", "# Tavlo\r\ntegnsett = cp1252\r\nSORTERING=NOR\r\n\r\n");
    EXPECT_EQ(loadEnvironment(path("TAVLO.ENV"), env, problem), EnvironmentLoad::Loaded);
    EXPECT_EQ(env.charset, "WINDOWS-1252");

    write("TAVLO.ENV", "TEGNSETT=WINDOWS-1252\nSORTERING=ASCII\n");
    EXPECT_EQ(loadEnvironment(path("TAVLO.ENV"), env, problem), EnvironmentLoad::Damaged);
    EXPECT_EQ(problem, "linje 2: SORTERING=ASCII");
    std::filesystem::remove(path("TAVLO.ENV"));
    std::filesystem::create_directory(path("TAVLO.ENV")); // there, but no file to read
    EXPECT_EQ(loadEnvironment(path("TAVLO.ENV"), env, problem), EnvironmentLoad::Damaged);
}

TEST_F(StartupTest, ArchiveSwitchCaptionAndTheInvoiceFiles)
{
    EXPECT_FALSE(archiveSwitch({}));
    EXPECT_FALSE(archiveSwitch({"demo", "/Andre"}));
    EXPECT_TRUE(archiveSwitch({"demo", "/A"}));
    EXPECT_TRUE(archiveSwitch({"/a=ja"}));
    EXPECT_EQ(caption(false), "Tavlo 4.0e");
    EXPECT_EQ(caption(true), "Tavlo 4.0e - ARKIV");

    std::string message;
    ASSERT_TRUE(createDataFolder(dir, message)) << message;
    for (bool archive : {false, true}) {
        GLO::setArchiveMode(archive);
        Context ctx(&errors);
        auto& fak = ctx.access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDENAVN, archive ? "i arkivet" : "i drift");
        ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
        fak.CLOSE();
    }
    GLO::setArchiveMode(false);
    // Each went into its own pair: the live one and the archive.
    auto names = [&](const char* file) {
        std::string all = bytesOf(file);
        return std::make_pair(all.find("i drift") != std::string::npos,
                              all.find("i arkivet") != std::string::npos);
    };
    EXPECT_EQ(names("FAKTURA.TPS"), std::make_pair(true, false));
    EXPECT_EQ(names("BAKTURA.TPS"), std::make_pair(false, true));
}

TEST_F(StartupTest, ParametersCopiedIntoTheGlobalsOrNoneToRead)
{
    Context ctx(&errors);
    // An empty parameter table: nothing to read (the program then halts).
    EXPECT_FALSE(readParameters(ctx));
    EXPECT_TRUE(std::filesystem::exists(path("PARAM.TPS")));
    EXPECT_FALSE(std::filesystem::exists(path("KUNDE.TPS"))); // nothing else is touched

    auto& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    par.rec().clear();
    par.rec().set(PAR::FORHANDSVISNING, 1);
    par.rec().set(PAR::STDMVASATS, 15);
    par.rec().set(PAR::STDMVATYPE, 2);
    par.rec().set(PAR::AVRUNDING, Decimal::fromCents(50));
    par.rec().set(PAR::FASTFILTERIDKUNDE, 7);
    ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
    par.CLOSE();
    ASSERT_TRUE(readParameters(ctx));
    EXPECT_EQ(GLO::PREVIEW, 1);
    EXPECT_EQ(GLO::STD_MVA_SATS, 15);
    EXPECT_EQ(GLO::STD_MVA_TYPE, 2);
    EXPECT_EQ(GLO::AVRUNDING, Decimal::fromCents(50));
    EXPECT_EQ(GLO::FAST_FILTERID_KUNDE, 7);
}

TEST_F(StartupTest, FirstStartOffersANewDataFolderWithTheStandardCodes)
{
    const std::string folder = path("ny");
    answers.answer(BUTTON_NO);
    EXPECT_FALSE(firstStart(errors, folder));
    EXPECT_FALSE(std::filesystem::exists(folder));
    answers.answer(BUTTON_YES);
    ASSERT_TRUE(firstStart(errors, folder));
    EXPECT_EQ(answers.shown.back().caption, "Ny datamappe");
    setDataFolder(folder);
    Context ctx(&errors);
    EXPECT_TRUE(readParameters(ctx));
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    kod.rec().set(KOD::GRUPPE, 101);
    kod.rec().set(KOD::NR, 5003);
    EXPECT_EQ(kod.TRYFETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    EXPECT_EQ(kod.rec().get(KOD::TEKST), "BERGEN");
    kod.CLOSE();
    // A data folder is taken as it is, without a question.
    answers.shown.clear();
    EXPECT_TRUE(firstStart(errors, folder));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(StartupTest, MenuStartTakesTheLastFolderWhileItHoldsDataElseAsks)
{
    const std::string data = path("data");
    answers.answer(BUTTON_YES);
    ASSERT_TRUE(firstStart(errors, data));
    ScriptedDialogs dialogs;
    EXPECT_EQ(menuStartFolder(dialogs, data, path("Tavlo")), data);
    EXPECT_TRUE(dialogs.dialogsShown.empty());

    // Gone, or never any: the user picks, from the suggestion's parent while it does not exist.
    dialogs.files.push_back(path("valgt"));
    EXPECT_EQ(menuStartFolder(dialogs, path("borte"), path("Tavlo")), path("valgt"));
    ASSERT_EQ(dialogs.dialogsShown.size(), 1u);
    EXPECT_EQ(menuStartFolder(dialogs, "", path("Tavlo")), ""); // cancelled
    ASSERT_EQ(dialogs.dialogsShown.size(), 2u);
}

TEST(Statusbar, WeekdayInEnglishAndTheDateOnSundaysAndOtherDays)
{
    const int32_t sunday = date::fromYmd(2026, 12, 6);
    ASSERT_EQ(sunday % 7, 0);
    EXPECT_EQ(weekdayAndDate(sunday), "Sunday, 06.12.2026");
    EXPECT_EQ(weekdayAndDate(sunday + 3), "Wednesday, 09.12.2026");
    EXPECT_EQ(weekdayAndDate(sunday + 6), "Saturday, 12.12.2026");
    EXPECT_EQ(clock(9, 5), "09:05");
}
