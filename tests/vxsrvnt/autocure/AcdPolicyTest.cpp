// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/AcdPolicy.h"

#include <gtest/gtest.h>

namespace velnet::vxsrvnt::autocure {
namespace {

struct PolicyCase
{
    AcdSettings stored; // level, window, ratio, alert type, tolerance
    SelfCheckLevel level;
    std::uint32_t window;
    std::uint32_t ratio;
    int tolerance;
    std::uint32_t alerts;
    std::size_t warnings;
};

TEST(AcdPolicy, ReadsTheStoredValuesAsNicsetupsEditorDoes)
{
    using L = SelfCheckLevel;
    const PolicyCase cases[] = {
        {{"Off", 10, 5, 7, "Low"}, L::Off, 10, 5, 1, 7, 0},
        {{"Basic", 0, 0, 0, "Medium"}, L::Basic, 0, 0, 3, 0, 0},
        {{"Enhanced", 65536, 100, 5, "High"}, L::Enhanced, 65536, 100, 5, 5, 0},
        {{"eNhAnCeD", 1, 1, 1, "hIGH"}, L::Enhanced, 1, 1, 5, 1, 0},
        // The editor selects the first sorted word that begins with the text.
        {{"b", 1, 1, 1, "m"}, L::Basic, 1, 1, 3, 1, 0},
        {{"OF", 1, 1, 1, "lo"}, L::Off, 1, 1, 1, 1, 0},
        {{"", 1, 1, 1, ""}, L::Basic, 1, 1, 3, 1, 2},
        {{"Basics", 1, 1, 1, "Lowest"}, L::Basic, 1, 1, 3, 1, 2},
        {{"Basic", 65537, 101, 8, "Low"}, L::Basic, 10, 5, 1, 7, 3},
        {{"Basic", 4294967295u, 4294967295u, 4294967295u, "Low"}, L::Basic, 10, 5, 1, 7, 3},
    };
    for (const PolicyCase& c : cases) {
        std::vector<std::string> warnings;
        const AcdPolicy p = AcdPolicy::fromSettings(c.stored, warnings);
        SCOPED_TRACE(c.stored.selfCheckLevel + "/" + c.stored.errorTolerance + "/" +
                     std::to_string(c.stored.samplingWindow));
        EXPECT_EQ(p.level, c.level);
        EXPECT_EQ(p.windowSeconds, c.window);
        EXPECT_EQ(p.ratioPercent, c.ratio);
        EXPECT_EQ(p.toleranceWindows, c.tolerance);
        EXPECT_EQ(p.alertMask, c.alerts);
        EXPECT_EQ(warnings.size(), c.warnings);
    }
}

TEST(AcdPolicy, AWarningNamesTheValueAndTheDefault)
{
    std::vector<std::string> warnings;
    (void)AcdPolicy::fromSettings({"Basic", 10, 101, 7, "Low"}, warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "SamplingRatio 101 is above 100 %; using 5");
}

} // namespace
} // namespace velnet::vxsrvnt::autocure
