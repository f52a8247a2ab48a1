// The giro's check digits: MOD10, the KID and the amount's check digit.
#include <gtest/gtest.h>

#include "invoices/giro.h"

using namespace tavlo;

TEST(Giro, Mod10IsTheLuhnDigitOfTheKidStandard)
{
    EXPECT_EQ(MOD10("12345"), "5");
    EXPECT_EQ(MOD10("007"), "5");
    EXPECT_EQ(MOD10("1234"), "4");
    EXPECT_EQ(MOD10(""), "0");
    EXPECT_EQ(MOD10("  1234  "), "4");
    EXPECT_EQ(MOD10("12a4"), MOD10("1204")); // a letter counts as 0
    // Only the first twenty characters count.
    EXPECT_EQ(MOD10("12345678901234567890999"), MOD10("12345678901234567890"));
}

TEST(Giro, TheKidHasAtLeastThreeDigitsAndOnlyWithAnOcrAgreement)
{
    EXPECT_EQ(kid(999, true), "9993");
    EXPECT_EQ(kid(1000, true), "10009");
    EXPECT_EQ(kid(1, true), "0018");
    EXPECT_EQ(kid(7, true), "0075");
    EXPECT_EQ(kid(1234, true), "12344");
    EXPECT_EQ(kid(1234, false), "");
}

TEST(Giro, TheAmountSplitsIntoKronerAndOreWithItsCheckDigit)
{
    GiroBelop b = giroBelop(Decimal(), false);
    EXPECT_EQ(b.kroner, 0);
    EXPECT_EQ(b.ore, 0);
    EXPECT_EQ(b.sjekksiffer, "0");
    b = giroBelop(*Decimal::parse("100.05"), false);
    EXPECT_EQ(b.kroner, 100);
    EXPECT_EQ(b.ore, 5);
    EXPECT_EQ(b.sjekksiffer, "7");
    b = giroBelop(*Decimal::parse("1234.50"), false);
    EXPECT_EQ(b.sjekksiffer, "9");
    // A credit note: the kroner negative, øre and check digit as before.
    b = giroBelop(*Decimal::parse("1234.50"), true);
    EXPECT_EQ(b.kroner, -1234);
    EXPECT_EQ(b.ore, 50);
    EXPECT_EQ(b.sjekksiffer, "9");
}
