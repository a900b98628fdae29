// SPDX-License-Identifier: MIT
#include "common/text/FormatMessage.h"

#include <gtest/gtest.h>

using velnet::formatMessage;

TEST(FormatMessage, InsertsInOnePass)
{
    EXPECT_EQ(formatMessage("Unable to load %1 for %2.", {"vx410cfg.dll", "Corvane XL"}),
              "Unable to load vx410cfg.dll for Corvane XL.");
    EXPECT_EQ(formatMessage("%2 before %1", {"one", "two"}), "two before one");
    // Inserted texts are never read again as patterns.
    EXPECT_EQ(formatMessage("%1 and %2", {"%2", "x"}), "%2 and x");
    EXPECT_EQ(formatMessage("[%1]", {"100%"}), "[100%]");
    EXPECT_EQ(formatMessage("[%1]", {"%%n%1"}), "[%%n%1]");
}

TEST(FormatMessage, EscapesAndMissingInserts)
{
    EXPECT_EQ(formatMessage("100%% sure%nnext", {}), "100% sure\nnext");
    EXPECT_EQ(formatMessage("a%3b", {"x"}), "ab");
    EXPECT_EQ(formatMessage("50% off", {}), "50% off");
    EXPECT_EQ(formatMessage("ends with %", {}), "ends with %");
    EXPECT_EQ(formatMessage("%12", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}),
              "12");
}
