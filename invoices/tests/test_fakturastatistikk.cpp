// The statistics of a year: month totals and counts, the product rows, the bar chart's geometry.
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "invoices/fakturastatistikk.h"
#include "invoices/tests/statistikkdata.h"

using namespace tavlo;

namespace {

Decimal kr(int64_t cents)
{
    return Decimal::fromCents(cents);
}

std::array<Decimal, kMaaneder> maaneder(std::initializer_list<std::pair<int, int64_t>> verdier)
{
    std::array<Decimal, kMaaneder> a{};
    for (auto [m, cents] : verdier)
        a[m] = kr(cents);
    return a;
}

using FakturaStatistikkTest = tavlo::testing::ContextTest;

TEST_F(FakturaStatistikkTest, TheYearsInvoicesAreSummedByMonthWithCreditNotesSubtracted)
{
    tavlo::testing::statistikkdata(*ctx);
    Aarsstatistikk s;
    ASSERT_EQ(statistikkForAar(*ctx, 2024, s), LEVEL_BENIGN);
    EXPECT_EQ(s.aar, 2024);
    // 1 January and 31 December belong to the year, 31.12.2023 and 1.1.2025 do not.
    EXPECT_EQ(s.maanedTotal, maaneder({{0, 125000}, {2, 12500}, {11, 50000}}));
    EXPECT_EQ(s.antallFakturaer, (std::array<int, kMaaneder>{1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(s.totalt, kr(187500));
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(FakturaStatistikkTest, ProductRowsInNumberOrderWithCreditNoteLinesNegative)
{
    tavlo::testing::statistikkdata(*ctx);
    Aarsstatistikk s;
    ASSERT_EQ(statistikkForAar(*ctx, 2024, s), LEVEL_BENIGN);
    ASSERT_EQ(s.produkter.size(), 3u);
    const ProduktRad &uten = s.produkter[0], &skruer = s.produkter[1], &timer = s.produkter[2];
    EXPECT_EQ(uten.produktId, 0);
    EXPECT_EQ(uten.navn, "Uspesifisert ***");
    EXPECT_EQ(uten.antall, maaneder({{11, 100}}));
    EXPECT_EQ(uten.belop, maaneder({{11, 40000}}));

    EXPECT_EQ(skruer.produktId, 1);
    EXPECT_EQ(skruer.navn, "Skruer");
    // Only 2024's screws: not the hundred invoices of 2022 numbered among the year's.
    EXPECT_EQ(skruer.antallTotalt, kr(1000));
    EXPECT_EQ(skruer.belopTotalt, kr(20000));

    EXPECT_EQ(timer.produktId, 2);
    EXPECT_EQ(timer.navn, "Konsulenttime");
    // The credit note's quantity is counted as it stands, its amount against the turnover.
    EXPECT_EQ(timer.antall, maaneder({{0, 200}, {2, 100}}));
    EXPECT_EQ(timer.belop, maaneder({{0, 100000}, {2, -10000}}));
    EXPECT_EQ(timer.antallTotalt, kr(300));
    EXPECT_EQ(timer.belopTotalt, kr(90000));
}

TEST_F(FakturaStatistikkTest, AYearWithoutInvoicesIsEmptyAndTheRulesStepYears)
{
    tavlo::testing::statistikkdata(*ctx);
    FakturaStatistikk regler(*ctx);
    ASSERT_TRUE(regler.settAar(2024));
    EXPECT_EQ(regler.statistikk().produkter.size(), 3u);
    ASSERT_TRUE(regler.nesteAar());
    EXPECT_EQ(regler.aar(), 2025);
    EXPECT_EQ(regler.statistikk().totalt, kr(88800));
    ASSERT_TRUE(regler.nesteAar());
    EXPECT_EQ(regler.statistikk().totalt, Decimal());
    EXPECT_TRUE(regler.statistikk().produkter.empty());
    EXPECT_EQ(regler.statistikk().antallFakturaer, (std::array<int, kMaaneder>{}));
    // The calendar ends in 2099: that far and no further.
    ASSERT_TRUE(regler.settAar(2099));
    EXPECT_FALSE(regler.nesteAar());
    EXPECT_EQ(regler.aar(), 2099);
    ASSERT_TRUE(regler.forrigeAar());
    EXPECT_EQ(regler.aar(), 2098);
}

TEST_F(FakturaStatistikkTest, ArchiveModeCountsTheArchivedInvoices)
{
    tavlo::testing::statistikkdata(*ctx);
    GLO::setArchiveMode(true);
    Context arkiv(&errors);
    tavlo::testing::leggInnFaktura(arkiv, date::fromYmd(2024, 5, 2), 70000, false,
                                   {{0, 300, 56000}});
    Aarsstatistikk s;
    ASSERT_EQ(statistikkForAar(arkiv, 2024, s), LEVEL_BENIGN);
    EXPECT_EQ(s.maanedTotal, maaneder({{4, 70000}}));
    ASSERT_EQ(s.produkter.size(), 1u);
    EXPECT_EQ(s.produkter[0].belopTotalt, kr(56000));
}

TEST_F(FakturaStatistikkTest, MonthNamesAndAmountsAsTheChartShowsThem)
{
    EXPECT_STREQ(maanedNavn(0), "Jan");
    EXPECT_STREQ(maanedNavn(4), "Mai");
    EXPECT_STREQ(maanedNavn(9), "Okt");
    EXPECT_STREQ(maanedNavn(11), "Des");
    EXPECT_EQ(maanedBelop(kr(123456750)), "1.234.568");
    EXPECT_EQ(maanedBelop(kr(-12500)), "-125");
    EXPECT_EQ(maanedBelop(Decimal()), "0");
}

// 12 bars of 20 with 3 between fill a chart 294 wide; 103 high leaves 100 for the bars.
constexpr int kBredde = 8 + 12 * 3 + 10 + 12 * 20, kHoyde = 103;

TEST_F(FakturaStatistikkTest, TheTallestBarFillsTheChartLessThreeAndTheOthersFollow)
{
    const auto d =
        stolpediagram(maaneder({{0, 100000}, {2, 50000}, {11, 25000}, {5, 1}}), kBredde, kHoyde);
    EXPECT_EQ(d.stolpebredde, 20);
    EXPECT_EQ(d.grunnlinje, kHoyde);
    EXPECT_EQ(d.stolper[0].hoyde, 100);
    EXPECT_EQ(d.stolper[0].y, 3);
    EXPECT_EQ(d.stolper[2].hoyde, 50);
    EXPECT_EQ(d.stolper[2].y, 53);
    EXPECT_EQ(d.stolper[11].hoyde, 25);
    // A month of one øre still shows; a month without turnover has no bar.
    EXPECT_EQ(d.stolper[5].hoyde, 1);
    EXPECT_EQ(d.stolper[1].hoyde, 0);
    for (int m = 0; m < kMaaneder; ++m) {
        EXPECT_EQ(d.stolper[m].bredde, 20);
        EXPECT_EQ(d.stolper[m].x, 11 + 23 * m);
        if (d.stolper[m].hoyde) {
            EXPECT_EQ(d.stolper[m].y + d.stolper[m].hoyde, d.grunnlinje) << m;
        }
    }
    EXPECT_LE(d.stolper[11].x + d.stolper[11].bredde, kBredde - 10);

    // Twice as high, twice the bars.
    const auto h = stolpediagram(maaneder({{0, 100000}, {2, 50000}}), kBredde, 2 * 100 + 3);
    EXPECT_EQ(h.stolper[0].hoyde, 200);
    EXPECT_EQ(h.stolper[2].hoyde, 100);
}

TEST_F(FakturaStatistikkTest, CreditNotesOutweighingAMonthHangBelowTheBaseLine)
{
    // Only credit notes: the base line at the top, the deepest month reaching the bottom.
    const auto neg = stolpediagram(maaneder({{1, -40000}, {3, -10000}}), kBredde, kHoyde);
    EXPECT_EQ(neg.grunnlinje, 3);
    EXPECT_TRUE(neg.stolper[1].negativ);
    EXPECT_EQ(neg.stolper[1].y, 3);
    EXPECT_EQ(neg.stolper[1].hoyde, 100);
    EXPECT_EQ(neg.stolper[3].hoyde, 25);

    // Both: the span from the highest to the deepest fills the chart.
    const auto mix = stolpediagram(maaneder({{0, 30000}, {1, -10000}}), kBredde, kHoyde);
    EXPECT_EQ(mix.grunnlinje, 3 + 75);
    EXPECT_EQ(mix.stolper[0].y, 3);
    EXPECT_EQ(mix.stolper[0].hoyde, 75);
    EXPECT_EQ(mix.stolper[1].y, 78);
    EXPECT_EQ(mix.stolper[1].hoyde, 25);
    EXPECT_FALSE(mix.stolper[0].negativ);
}

TEST_F(FakturaStatistikkTest, NoBarsWithoutTurnoverOrRoomForThem)
{
    for (const auto& d :
         {stolpediagram({}, kBredde, kHoyde), stolpediagram(maaneder({{0, 100}}), 60, kHoyde),
          stolpediagram(maaneder({{0, 100}}), kBredde, 3)})
        for (const Stolpe& s : d.stolper)
            EXPECT_EQ(s.hoyde, 0);
}

} // namespace
