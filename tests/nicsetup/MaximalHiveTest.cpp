// SPDX-License-Identifier: MIT
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ConfigSaver.h"
#include "nicsetup/Tables.h"
#include "tests/nicsetup/HiveTestSupport.h"
#include "tests/support/GTestResponder.h"

#include <gtest/gtest.h>

using namespace velnet::nicsetup;
using namespace velnet::nicsetup::test;
using namespace velnet::registry;
using velnet::test::GTestResponder;

namespace {

std::string pad(std::uint32_t n, std::size_t width)
{
    std::string s = std::to_string(n);
    return std::string(width - s.size(), '0') + s;
}

class MaximalHive : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(ConfigLoader(store.registry()).load(), LoadResult::Loaded); }
    TestStore store{maximalHive()};
    GTestResponder responder; // no box expected
};

} // namespace

TEST_F(MaximalHive, LoadFillsEveryRecordAndEveryVlanSlot)
{
    int marks = 0;
    for (std::uint32_t i = 0; i < MAX_ADAPTERS; ++i) {
        SCOPED_TRACE(i);
        const CARD_INFO& card = ETHCard[i];
        ASSERT_TRUE(card.CardFlags & CARD_IN_USE);
        EXPECT_TRUE(card.CardFlags & CARD_MAC_VALID);
        ASSERT_EQ(card.VlanCount, MAX_VLANS);
        EXPECT_EQ(card.LastInstance, i * 16 + 15);
        for (std::uint32_t e = 0; e < MAX_VLANS; ++e) {
            const VlanEntry& entry = card.VlanTable[e];
            EXPECT_EQ(entry.InstanceNumber, i * 16 + e);
            EXPECT_EQ(entry.VLANID, e + 1);
            EXPECT_EQ(textOf(entry.VLAN_NAME), "VLAN name ___ " + pad(i * 16 + e, 3));
        }
        EXPECT_EQ(textOf(card.SelfCheckLevel), "Self Check Lvl " + pad(i * 16 + 15, 4));
        if (i % 2 == 1) {
            EXPECT_EQ(textOf(card.NicSwitchForever), "Enabled_________4");
        }
        for (const auto mark : RL_INFO[i])
            marks += mark != 0;
    }
    EXPECT_EQ(marks, 25);
}

TEST_F(MaximalHive, SaveIsOneRewriteAndASecondSaveChangesNothing)
{
    ASSERT_TRUE(ConfigSaver(store.registry()).save());
    EXPECT_EQ(store.registry().rewriteCount(), 1);
    const std::string saved = store.text();
    for (const std::uint32_t n : {0u, 15u, 16u, 31u, 784u, 799u}) {
        SCOPED_TRACE(n);
        const bool vlanOn = (n / 16) % 2 == 0; // adapter numbers 1, 3, ... have VLANs on
        const auto card = store.registry().open(
            Root::LocalMachine,
            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\" + std::to_string(n),
            Access::Read);
        const auto params = store.registry().open(Root::LocalMachine,
                                                  "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" +
                                                      std::to_string(n) + "\\Parameters",
                                                  Access::Read);
        const std::string suffix = vlanOn ? "VLAN name ___ " + pad(n, 3) : "STANDBY";
        EXPECT_EQ(card.queryString("Title", 100),
                  "[" + std::to_string(n) + "] Corvane Velnet XL Server: " + suffix);
        EXPECT_EQ(params.queryDword("VLANID").has_value(), vlanOn);
        EXPECT_EQ(params.queryDword("FailureCount").has_value(), !vlanOn);
    }

    ASSERT_EQ(ConfigLoader(store.registry()).load(), LoadResult::Loaded);
    ASSERT_TRUE(ConfigSaver(store.registry()).save());
    for (const auto& line : differences(snapshotOf(saved), snapshotOf(store.text())))
        ADD_FAILURE() << line;
}
