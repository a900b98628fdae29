// SPDX-License-Identifier: MIT
// What the service writes is what nicsetup's own load and save would write:
// after install, pair, unpair and VLAN edits, nicsetup loads the store
// without one message and its save leaves the file byte for byte as it was.
#include "common/registry/FileRegistry.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/ConfigSaver.h"
#include "nicsetup/Tables.h"
#include "tests/support/GTestResponder.h"
#include "tests/vxsrvnt/core/CoreTestSupport.h"
#include "vxsrvnt/store/PairEditor.h"
#include "vxsrvnt/store/VlanEditor.h"

#include <functional>
#include <gtest/gtest.h>

namespace velnet::vxsrvnt::test {
namespace {

using nicsetup::ETHCard;
using nicsetup::RL_INFO;

struct Scenario
{
    const char* name;
    std::function<Outcome(registry::Registry&)> edit;
    std::function<void()> nicsetupSees; // checks on nicsetup's tables after its load
};

Outcome steps(registry::Registry& r, std::initializer_list<std::function<Outcome()>> list)
{
    for (const auto& step : list)
        if (Outcome done = step(); !done)
            return done;
    (void)r;
    return {};
}

FailoverSettings failover(std::uint32_t count, const char* switchForever)
{
    FailoverSettings f;
    f.failureCount = count;
    f.nicSwitchForever = switchForever;
    return f;
}

std::string text(const char* field)
{
    return field;
}

const Scenario kScenarios[] = {
    {"install", [](registry::Registry&) { return Outcome(); },
     [] {
         for (int i = 0; i < 3; ++i)
             EXPECT_TRUE(ETHCard[i].CardFlags & nicsetup::CARD_MAC_VALID) << "adapter " << i + 1;
         EXPECT_EQ(text(ETHCard[0].Base_Mac_Address), "00-A0-CC-4E-1F-02");
         EXPECT_EQ(ETHCard[0].VlanNameMissing, 1u); // a plain NIC
         EXPECT_EQ(text(ETHCard[1].SelfCheckLevel), "Basic");
     }},
    {"pair", [](registry::Registry& r) { return PairEditor(r).pair(1, 2, failover(4, "Enabled")); },
     [] {
         EXPECT_EQ(RL_INFO[1][0], 1u); // adapter 2 is the backup of adapter 1
         EXPECT_EQ(ETHCard[1].FailureCount, 4u);
         EXPECT_EQ(text(ETHCard[1].NicSwitchForever), "Enabled");
     }},
    {"pair then unpair",
     [](registry::Registry& r) {
         return steps(r, {[&] { return PairEditor(r).pair(3, 1, {}); },
                          [&] { return PairEditor(r).unpair(1); }});
     },
     [] { EXPECT_EQ(RL_INFO[0][2], 0u); }},
    {"first VLAN", [](registry::Registry& r) { return VlanEditor(r).add(1, 10, "sales", ""); },
     [] {
         EXPECT_EQ(ETHCard[0].VlanNameMissing, 0u);
         EXPECT_EQ(ETHCard[0].Vlan_op, 1u);
         ASSERT_EQ(ETHCard[0].VlanCount, 1u);
         EXPECT_EQ(ETHCard[0].VlanTable[0].VLANID, 10u);
     }},
    {"pair with VLANs on the primary",
     [](registry::Registry& r) {
         return steps(r, {[&] { return PairEditor(r).pair(1, 2, {}); },
                          [&] { return VlanEditor(r).add(1, 10, "sales", "02:00:00:00:10:0a"); },
                          [&] { return VlanEditor(r).add(1, 20, "accounting-floor2", ""); }});
     },
     [] {
         ASSERT_EQ(ETHCard[0].VlanCount, 2u);
         EXPECT_EQ(text(ETHCard[0].VlanTable[0].Network_Address), "02-00-00-00-10-0A");
         EXPECT_EQ(text(ETHCard[0].VlanTable[1].VLAN_NAME), "accounting-floor2");
         EXPECT_EQ(ETHCard[0].VlanTable[1].InstanceNumber, 3u); // the lowest free instance
         EXPECT_EQ(RL_INFO[1][0], 1u);
     }},
    {"VLANs added and all removed again",
     [](registry::Registry& r) {
         return steps(r, {[&] { return VlanEditor(r).add(3, 5, "a", ""); },
                          [&] { return VlanEditor(r).add(3, 6, "b", ""); },
                          [&] { return VlanEditor(r).remove(3, "a"); },
                          [&] { return VlanEditor(r).remove(3, "b"); }});
     },
     [] {
         EXPECT_EQ(ETHCard[2].VlanNameMissing, 1u); // plain again, in one instance:
         EXPECT_EQ(ETHCard[2].LastInstance, 3u);    // the second VLAN's, as the first's went
     }},
};

void PrintTo(const Scenario& c, std::ostream* out)
{
    *out << c.name;
}

class StoreRoundTrip : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(StoreRoundTrip, NicsetupLoadAndSaveChangeNothing)
{
    InstalledStore installed;
    const Outcome edited = GetParam().edit(installed.store.registry());
    ASSERT_TRUE(edited.ok()) << edited.error();
    const std::string before = installed.store.text();

    // nicsetup as a program of its own: a registry of its own on the file.
    registry::FileRegistry nicsetupStore(installed.store.path());
    velnet::test::GTestResponder noBoxes; // any message box fails the test
    ASSERT_EQ(nicsetup::ConfigLoader(nicsetupStore).load(), nicsetup::LoadResult::Loaded);
    GetParam().nicsetupSees();
    ASSERT_TRUE(nicsetup::ConfigSaver(nicsetupStore).save());
    EXPECT_EQ(installed.store.text(), before);
}

INSTANTIATE_TEST_SUITE_P(Edits, StoreRoundTrip, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace velnet::vxsrvnt::test
