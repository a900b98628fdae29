// SPDX-License-Identifier: MIT
// What the store asks of the kernel, and what an apply reports, without a kernel.
#include "vxsrvnt/apply/DesiredState.h"

#include "tests/vxsrvnt/apply/PlainAdapter.h"
#include "vxsrvnt/apply/Applier.h"

#include <gtest/gtest.h>

namespace vx = velnet::vxsrvnt;
using velnet::netlink::BondOptions;

namespace {

const std::vector<vx::NicBinding> kNics{
    {1, "eth0", 11, {}}, {2, "eth1", 12, {}}, {3, "eth2", 13, {}}};

vx::DriverConfig pairOf1And2(const vx::FailoverSettings& failover = {})
{
    vx::DriverConfig config{
        {vx::test::plainAdapter(1), vx::test::plainAdapter(2), vx::test::plainAdapter(3)}};
    config.adapters[0].backupAdapter = 2;
    config.adapters[1].primaryAdapter = 1;
    config.adapters[1].failover = failover;
    return config;
}

struct Mapping
{
    std::uint32_t failureCount;
    const char* preferredNic;
    const char* switchForever;
    std::uint32_t downdelay;
    std::uint32_t primary;
    std::uint8_t reselect;
};

class FailoverMapping : public ::testing::TestWithParam<Mapping>
{
};

TEST_P(FailoverMapping, givesTheBondItsOptionsWithTheMonitorAlwaysOn)
{
    const Mapping& row = GetParam();
    vx::FailoverSettings failover;
    failover.failureCount = row.failureCount;
    failover.preferredNic = row.preferredNic;
    failover.nicSwitchForever = row.switchForever;
    const vx::DesiredState state = vx::DesiredState::from(pairOf1And2(failover), kNics);
    ASSERT_EQ(state.bonds.size(), 1u);
    BondOptions expected;
    expected.mode = 1;
    expected.miimon = 100;
    expected.updelay = 0;
    expected.downdelay = row.downdelay;
    expected.primary = row.primary;
    expected.primaryReselect = row.reselect;
    EXPECT_EQ(state.bonds[0].options, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FailoverMapping,
                         ::testing::Values(Mapping{10, "Disabled", "Disabled", 1000, 0, 0},
                                           Mapping{3, "Enabled", "Disabled", 300, 11, 0},
                                           Mapping{3, "Enabled", "Enabled", 300, 11, 2},
                                           Mapping{0, "Disabled", "Enabled", 0, 0, 2},
                                           Mapping{4000000000u, "enabled", "Disabled", 100000, 0,
                                                   0}));

TEST(DesiredState, aPairIsKnownFromEitherSideAndNamedAfterItsPrimary)
{
    vx::DriverConfig config{
        {vx::test::plainAdapter(1), vx::test::plainAdapter(2), vx::test::plainAdapter(3)}};
    config.adapters[2].backupAdapter = 1; // a backup in VLAN mode keeps no PRIMARYADAPTERNUMBER
    const vx::DesiredState state = vx::DesiredState::from(config, kNics);
    ASSERT_EQ(state.bonds.size(), 1u);
    EXPECT_EQ(state.bonds[0].name, "vxbond3");
    EXPECT_EQ(state.bonds[0].alias, "vxsrvnt:bond 3+1");
    EXPECT_EQ(state.bonds[0].primary.ifname, "eth2");
    EXPECT_EQ(state.bonds[0].backup.ifname, "eth0");
    EXPECT_TRUE(state.refusals.empty());
}

TEST(DesiredState, aPairWithAMissingNicOrANicInTwoPairsIsRefused)
{
    vx::DriverConfig config = pairOf1And2();
    config.adapters[2].backupAdapter = 2; // 2 is already 1's backup
    const vx::DesiredState state = vx::DesiredState::from(config, {kNics[0], kNics[1]});
    EXPECT_EQ(state.bonds.size(), 1u);
    EXPECT_EQ(state.refusals,
              std::vector<std::string>{
                  "adapter 3 and adapter 2: not paired: one of them is already in another pair"});

    const vx::DesiredState gone = vx::DesiredState::from(pairOf1And2(), {kNics[0]});
    EXPECT_TRUE(gone.bonds.empty());
    EXPECT_EQ(gone.refusals, std::vector<std::string>{"adapter 1 and adapter 2: no bond: adapter 2 "
                                                      "has no NIC on this machine"});
}

TEST(ApplyReport, aRepeatedApplyFailsOnlyOnWhatTheLastOneDidNotRefuse)
{
    const std::vector<std::string> standing =
        vx::DesiredState::from(pairOf1And2(), {kNics[0], kNics[2]}).refusals;
    ASSERT_EQ(standing.size(), 1u);
    vx::ApplyReport again{{"created bond vxbond1"}, standing};
    EXPECT_EQ(again.newRefusal(standing), std::nullopt);
    EXPECT_EQ(vx::ApplyReport{}.newRefusal(standing), std::nullopt);
    again.refusals.insert(again.refusals.begin(), "adapter 3 (eth2): not enslaved");
    EXPECT_EQ(again.newRefusal(standing), "adapter 3 (eth2): not enslaved");
    EXPECT_EQ(again.newRefusal({}), "adapter 3 (eth2): not enslaved");
}

vx::DriverConfig withVlans(vx::DriverConfig config, int number, std::vector<vx::VlanConfig> vlans)
{
    vx::AdapterConfig& nic = config.adapters[static_cast<std::size_t>(number - 1)];
    nic.vlanOp = 1;
    nic.vlanNameMissing = false;
    nic.vlans = std::move(vlans);
    return config;
}

TEST(DesiredState, vlansGoOnTheBondOfAPairedNicAndOnThePlainNicOtherwise)
{
    const vx::DesiredState state = vx::DesiredState::from(
        withVlans(withVlans(pairOf1And2(), 1, {{1, "Sales", 10, "00-A0-CC-4E-1F-02"}}), 3,
                  {{3, "Lab", 20, ""}}),
        kNics);
    ASSERT_EQ(state.vlans.size(), 2u);
    EXPECT_EQ(state.vlans[0].bond, "vxbond1");
    EXPECT_EQ(state.vlans[0].nic, "");
    EXPECT_EQ(state.vlans[0].address, (std::vector<std::uint8_t>{0, 0xa0, 0xcc, 0x4e, 0x1f, 2}));
    EXPECT_EQ(state.vlans[0].alias, "vxsrvnt:Sales");
    EXPECT_EQ(state.vlans[1].bond, "");
    EXPECT_EQ(state.vlans[1].nic, "eth2");
    EXPECT_TRUE(state.vlans[1].address.empty());
    EXPECT_TRUE(state.refusals.empty()) << state.refusals.front();
}

TEST(DesiredState, vlansWithoutAUsableIdOrAddressAreRefusedWithTheReason)
{
    const vx::DesiredState state =
        vx::DesiredState::from(withVlans(pairOf1And2(), 3,
                                         {{3, "NoId", vx::kNoAdapter, ""},
                                          {4, "Zero", 0, ""},
                                          {5, "TooBig", 4095, ""},
                                          {6, "Multicast", 7, "01-00-5E-00-00-01"},
                                          {7, "Same", 8, ""},
                                          {8, "Same", 9, ""}}),
                               kNics);
    EXPECT_EQ(state.refusals,
              (std::vector<std::string>{
                  "adapter 3 VLAN \"NoId\": not made: its VLANID is missing",
                  "adapter 3 VLAN \"Zero\": not made: its VLANID 0 is not a VLAN id (1..4094)",
                  "adapter 3 VLAN \"TooBig\": not made: its VLANID 4095 is not a VLAN id (1..4094)",
                  "adapter 3 VLAN \"Multicast\": Network_Address \"01-00-5E-00-00-01\" is not a "
                  "unicast MAC address; the link keeps its parent's address",
                  "adapter 3 VLAN \"Same\": not made: its interface name Same is taken by another "
                  "VLAN of the store"}));
    EXPECT_EQ(state.vlans.size(), 2u); // Multicast (without its address) and the first Same
}

TEST(DesiredState, vlanNamesFitTheKernelsFifteenCharacters)
{
    EXPECT_EQ(vx::fitLinkName("Sales", 10), "Sales");
    EXPECT_EQ(vx::fitLinkName("a b/c:d", 10), "a_b_c_d");
    EXPECT_EQ(vx::fitLinkName("", 10), "vlan10");
    const std::string one = vx::fitLinkName("Engineering-Floor-3", 10);
    const std::string two = vx::fitLinkName("Engineering-Floor-4", 10);
    EXPECT_EQ(one.size(), 15u);
    EXPECT_EQ(one.substr(0, 11), "Engineerin-");
    EXPECT_NE(one, two);
}

TEST(DesiredState, networkAddressesAreReadInTheStoresSpellings)
{
    for (const char* text : {"00-A0-CC-4E-1F-02", "00:a0:cc:4e:1f:02", "00A0CC4E1F02"})
        EXPECT_EQ(vx::unicastMac(text), (std::vector<std::uint8_t>{0, 0xa0, 0xcc, 0x4e, 0x1f, 2}))
            << text;
    for (const char* text : {"00-00-00-00-00-00", "FF-FF-FF-FF-FF-FF", "00A0CC4E1F0", "garbage"})
        EXPECT_FALSE(vx::unicastMac(text)) << text;
}

TEST(DesiredState, titlesGoToThePresentNicsOnly)
{
    vx::DriverConfig config = pairOf1And2();
    config.adapters[0].title = "[1] Corvane Fast Velnet Server NIC";
    config.adapters[2].title = "[3] Corvane Velnet XL Server : VX410";
    const vx::DesiredState state = vx::DesiredState::from(config, {kNics[0], kNics[1]});
    ASSERT_EQ(state.titles.size(), 1u);
    EXPECT_EQ(state.titles[0].ifname, "eth0");
    EXPECT_EQ(state.titles[0].alias, "[1] Corvane Fast Velnet Server NIC");
}

} // namespace
