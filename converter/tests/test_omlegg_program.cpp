// The converter program on the command line, as a separate process: its output, its exit
// status, and runs killed halfway.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "converter/testmappe/versjon3mappe.h"
#include "converter/versjon3.h"
#include "data/globals.h"
#include "framework/tests/childprogram.h"

namespace {
namespace fs = std::filesystem;
using namespace tavlo;

constexpr const char* kTabeller[] = {"PARAM",   "KUNDE",    "PRODUKT", "GRUNNLAG",
                                     "FAKTURA", "FAKLINJE", "BAKTURA", "BAKLINJE"};

std::string bytesOf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

long poster(const std::string& sti, Tbl t)
{
    StoreError err;
    auto f =
        TableFile::open(sti, table(t), TableFile::Mode::READ_ONLY, false, GLO::kOwnerPassword, err);
    return f ? static_cast<long>(f->count(err)) : -1;
}

using Utfall = tavlo::testing::Outcome;

class omleggProgram : public tavlo::testing::ProgramTest {
  protected:
    omleggProgram() : ProgramTest(OMLEGG_EXE) {}
    void SetUp() override
    {
        ProgramTest::SetUp();
        mappe = root + "/data";
    }

    // Every original is readable, whole, under one of its two names.
    void originaleneErHele()
    {
        for (const char* t : kTabeller) {
            const std::string navn = t;
            const std::string som = fs::exists(mappe + "/" + navn + ".300") ? ".300" : ".TPS";
            EXPECT_TRUE(bytesOf(mappe + "/" + navn + som) == originaler[navn]) << navn << som;
        }
    }

    std::string mappe;
    std::map<std::string, std::string> originaler;
};

TEST_F(omleggProgram, ConvertsAFolderWithoutQuestionsAndRefusesItTheSecondTime)
{
    omlegg::testmappe::lag(mappe);
    Utfall u = run({mappe, "--vat", "yes"});
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_EQ(u.err, "");
    EXPECT_NE(u.out.find("Konverteringen er ferdig\n"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("KUNDE     20 poster konvertert\n"), std::string::npos) << u.out;
    EXPECT_NE(u.out.find("FAKLINJE  30 poster konvertert\n"), std::string::npos) << u.out;
    {
        StoreError err;
        auto par = TableFile::open(mappe + "/PARAM.TPS", table(Tbl::PARAM),
                                   TableFile::Mode::READ_ONLY, false, GLO::kOwnerPassword, err);
        ASSERT_TRUE(par);
        std::vector<Row> rader;
        ASSERT_TRUE(par->page(0, Bound{}, true, 5, rader, err));
        ASSERT_EQ(rader.size(), 1u);
        EXPECT_EQ(rader[0].rec.get(PAR::STDMVASATS), 25);
    }

    u = run({mappe});
    EXPECT_EQ(u.status, 1);
    EXPECT_EQ(u.err, "Feil: Datamappen " + fs::absolute(mappe).string() +
                         " er allerede konvertert til versjon 4.\n");

    EXPECT_EQ(run({mappe, "--vat", "kanskje"}).status, 2);
    EXPECT_EQ(run({root + "/finnes-ikke"}).status, 1);
    u = run({"--help"});
    EXPECT_EQ(u.status, 0);
    EXPECT_NE(u.out.find("--vat yes|no"), std::string::npos);
}

TEST_F(omleggProgram, RunsKilledAnywhereLeaveEveryOriginalAndTheNextRunFinishes)
{
    omlegg::testmappe::Omfang o;
    o.kunder = 3000;
    o.fakturaer = 3000;
    o.arkiverte = 1000;
    o.linjer = 5;
    omlegg::testmappe::lag(mappe, o);
    for (const char* t : kTabeller)
        originaler[t] = bytesOf(mappe + "/" + t + ".TPS");

    // Killed while the customers are copied, then while the invoice lines are.
    for (const char* underveis : {"KUNDE.400", "FAKLINJE.400"}) {
        SCOPED_TRACE(underveis);
        pid_t pid = start({mappe});
        const auto frist = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(mappe + "/" + underveis) && std::chrono::steady_clock::now() < frist)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        kill(pid, SIGKILL);
        wait(pid);
        originaleneErHele();
    }

    Utfall u = run({mappe});
    ASSERT_EQ(u.status, 0) << u.err;
    EXPECT_NE(u.out.find("PARAM     konvertert av en tidligere kjøring"), std::string::npos)
        << u.out;
    EXPECT_NE(u.out.find("Konverteringen er ferdig"), std::string::npos);
    for (const char* t : kTabeller) {
        const std::string navn = t;
        EXPECT_TRUE(bytesOf(mappe + "/" + navn + ".300") == originaler[navn]) << navn;
        EXPECT_FALSE(fs::exists(mappe + "/" + navn + ".400")) << navn;
    }
    EXPECT_EQ(poster(mappe + "/KUNDE.TPS", Tbl::KUNDE), 3000);
    EXPECT_EQ(poster(mappe + "/FAKLINJE.TPS", Tbl::FAKLINJE), 15000);
    EXPECT_EQ(poster(mappe + "/BAKLINJE.TPS", Tbl::FAKLINJE), 5000);
}

} // namespace
