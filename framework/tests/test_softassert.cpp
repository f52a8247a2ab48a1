#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/softassert.h"
#include "framework/tests/recovering.h"

using tavlo::testing::RecoveringAsserts;

namespace {

int halve(int even)
{
    TAVLO_ASSERT(even % 2 == 0, return -1);
    return even / 2;
}

// Recovery is whatever statement the caller gives, or nothing.
int countOdd(int n)
{
    int odd = 0;
    TAVLO_ASSERT(n % 2 == 0, ++odd);
    return odd;
}

void stopHere()
{
    setenv(RecoveringAsserts::kVariable, "1", 1);
    halve(3);
}

} // namespace

// The helper that declares every test sets the variable; a test that passed over a programming
// error would otherwise stay green.
TEST(SoftAssert, TestsStopAtTheFirst)
{
    const char* value = std::getenv(RecoveringAsserts::kVariable);
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "1");
    EXPECT_DEATH(stopHere(), "test_softassert\\.cpp:[0-9]+: programming error: even % 2 == 0");
}

TEST(SoftAssert, RecoversAndLogsWithoutTheVariable)
{
    RecoveringAsserts recovering;
    EXPECT_EQ(halve(8), 4);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(halve(7), -1);
    EXPECT_EQ(countOdd(5), 1);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("test_softassert.cpp:14: programming error: even % 2 == 0\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("programming error: n % 2 == 0"), std::string::npos) << log;
    EXPECT_EQ(countOdd(4), 0);
}

TEST(SoftAssert, ZeroMeansRecover)
{
    RecoveringAsserts recovering;
    setenv(RecoveringAsserts::kVariable, "0", 1);
    EXPECT_EQ(halve(1), -1);
}
