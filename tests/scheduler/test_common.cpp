// The exit actions' words and the two-digit time parts.
#include <gtest/gtest.h>

#include "scheduler/commonU.h"

TEST(CommonTest, ExitTypeNameGivesTheWordOfEachActionAndNothingElse) {
    EXPECT_EQ(ExitTypeName(etLogoff), "logoff");
    EXPECT_EQ(ExitTypeName(etRestart), "restart");
    EXPECT_EQ(ExitTypeName(etShutdown), "shutdown");
    EXPECT_EQ(ExitTypeName(0), "logoff");
    EXPECT_EQ(ExitTypeName(1), "restart");
    EXPECT_EQ(ExitTypeName(2), "shutdown");
    for (int value : {3, 4, 9, 127, 128, 255})
        EXPECT_EQ(ExitTypeName(static_cast<uint8_t>(value)), "") << value;
}

TEST(CommonTest, ExitTypeNumberingMatchesTheSetting) {
    EXPECT_EQ(static_cast<int>(etLogoff), 0);
    EXPECT_EQ(static_cast<int>(etRestart), 1);
    EXPECT_EQ(static_cast<int>(etShutdown), 2);
    EXPECT_EQ(sizeof(TExitType), 1u);
}

TEST(CommonTest, TwoDigitsPadsBelowTenIncludingNegatives) {
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(5), "05");
    EXPECT_EQ(TwoDigits(7), "07");
    EXPECT_EQ(TwoDigits(9), "09");
    EXPECT_EQ(TwoDigits(10), "10");
    EXPECT_EQ(TwoDigits(23), "23");
    EXPECT_EQ(TwoDigits(59), "59");
    EXPECT_EQ(TwoDigits(100), "100");
    EXPECT_EQ(TwoDigits(-5), "0-5");
    EXPECT_EQ(TwoDigits(-10), "0-10");
    EXPECT_EQ(TwoDigits(INT32_MIN), "0-2147483648");
    EXPECT_EQ(TwoDigits(INT32_MAX), "2147483647");
}

TEST(CommonTest, HintTimeReadsAsHoursAndMinutes) {
    EXPECT_EQ(TwoDigits(7) + ":" + TwoDigits(5), "07:05");
    EXPECT_EQ(TwoDigits(20) + ":" + TwoDigits(0), "20:00");
}
