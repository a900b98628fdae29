// SPDX-License-Identifier: MIT
// Install, pairs and VLANs in the store: what they write, and what they
// refuse (with the message, and without changing a byte).
#include "tests/vxsrvnt/core/CoreTestSupport.h"
#include "vxsrvnt/nics/AdapterBinder.h"
#include "vxsrvnt/store/Installer.h"
#include "vxsrvnt/store/PairEditor.h"
#include "vxsrvnt/store/StoreLayout.h"
#include "vxsrvnt/store/StoreReader.h"
#include "vxsrvnt/store/VlanEditor.h"

#include <functional>
#include <gtest/gtest.h>

namespace velnet::vxsrvnt::test {
namespace {

using registry::Value;

std::map<std::string, Value> parameters(const nicsetup::test::TestStore& s, int instance)
{
    return valuesOf(s.text(), layout::parametersPath(instance));
}

TEST(Install, NewNicsGetInstanceKeysAsTheDriversInstallationDid)
{
    InstalledStore installed;
    const auto eth0 = parameters(installed.store, 0);
    EXPECT_EQ(eth0.at("adapternumber"), dword(1));
    EXPECT_EQ(eth0.at("busnumber"), dword(2));
    EXPECT_EQ(eth0.at("slotnumber"), dword(12));
    EXPECT_EQ(eth0.at("base_mac_address"), sz("00-A0-CC-4E-1F-02"));
    EXPECT_EQ(eth0.at("adapterseq"), dword(1));
    EXPECT_EQ(eth0.at("vlan_op"), dword(0));
    const auto veth1 = parameters(installed.store, 1);
    EXPECT_EQ(veth1.at("adapterseq"), dword(2));
    EXPECT_EQ(veth1.count("busnumber"), 0u) << "a NIC off PCI has no bus number";
    const auto card = valuesOf(installed.store.text(), layout::networkCardPath(2));
    EXPECT_EQ(card.at("title"), sz("[2] Corvane Velnet XL Server : VX410"));
    EXPECT_EQ(card.at("description"), sz("(VX410) Bus:4 Slot 14 VX410 Fast Velnet Adapter "));
}

TEST(Install, AgainWritesNothing)
{
    InstalledStore installed;
    const std::string before = installed.store.text();
    const int rewrites = installed.store.registry().rewriteCount();
    const auto report = Installer(installed.store.registry()).install(threeNics());
    ASSERT_TRUE(report.ok()) << report.error();
    EXPECT_TRUE(report->added.empty());
    EXPECT_EQ(report->valuesFilled, 0);
    EXPECT_EQ(installed.store.registry().rewriteCount(), rewrites);
    EXPECT_EQ(installed.store.text(), before);
}

TEST(Install, KeepsValuesThereAndFillsMissingOnes)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    auto key =
        r.open(registry::Root::LocalMachine, layout::parametersPath(0), registry::Access::Full);
    ASSERT_EQ(key.setDword("SamplingWindow", 500), registry::Status::Success);
    ASSERT_EQ(key.deleteValue("AdapterSeq"), registry::Status::Success);
    const auto report = Installer(r).install(threeNics());
    ASSERT_TRUE(report.ok()) << report.error();
    EXPECT_EQ(report->valuesFilled, 1);
    const auto eth0 = parameters(installed.store, 0);
    EXPECT_EQ(eth0.at("samplingwindow"), dword(500));
    EXPECT_EQ(eth0.at("adapterseq"), dword(1));
}

TEST(Install, AdapterNumbersFollowTheNicsAddressesAndGoneNicsKeepTheirKeys)
{
    InstalledStore installed;
    // veth1 is gone, eth2 is renamed and found first, a new NIC comes.
    std::vector<MachineNic> now = {nic("lan2", 2, "00:a0:cc:4e:1f:03"),
                                   nic("eth0", 5, "00:a0:cc:4e:1f:02"),
                                   nic("eth9", 6, "00:a0:cc:4e:1f:09")};
    const auto report = Installer(installed.store.registry()).install(now);
    ASSERT_TRUE(report.ok()) << report.error();
    ASSERT_EQ(report->added.size(), 1u);
    EXPECT_EQ(report->added[0].adapterNumber, 4) << "a gone NIC's number is not given away";
    EXPECT_EQ(report->added[0].instance, 3);
    StoreReader reader(installed.store.registry());
    const auto config = reader.read();
    ASSERT_TRUE(config.ok());
    ASSERT_EQ(config->adapters.size(), 4u);
    EXPECT_EQ(config->adapter(2)->baseMacAddress, "02-00-00-00-00-0B");
    const AdapterBinder binder(*config, now);
    EXPECT_EQ(binder.byInterface("lan2")->adapterNumber, 3);
    EXPECT_EQ(binder.goneAdapters(), std::vector<int>{2});
}

TEST(Install, FiftyAdaptersAtMost)
{
    std::vector<MachineNic> nics;
    for (int i = 0; i < kMaxAdapters + 1; ++i) {
        char mac[18];
        std::snprintf(mac, sizeof mac, "02:00:00:00:01:%02x", i);
        nics.push_back(nic("n" + std::to_string(i), i + 2, mac));
    }
    nicsetup::test::TestStore store(packageStore());
    const auto report = Installer(store.registry()).install(nics);
    ASSERT_TRUE(report.ok()) << report.error();
    EXPECT_EQ(report->added.size(), static_cast<std::size_t>(kMaxAdapters));
    ASSERT_EQ(report->notAdded.size(), 1u);
    EXPECT_EQ(report->notAdded[0], "n50: no adapter number left (all 50 are taken)");
}

struct Refusal
{
    const char* name;
    std::function<Outcome(registry::Registry&)> edit;
    const char* message;
};

FailoverSettings count(std::uint32_t n)
{
    FailoverSettings f;
    f.failureCount = n;
    return f;
}

// Adapters 1 (eth0) and 2 (veth1) are a pair, 1 has VLAN 10 "sales", 3 is
// alone with VLAN 30 "engineering-eas1".
const Refusal kRefusals[] = {
    {"own backup", [](auto& r) { return PairEditor(r).pair(3, 3, {}); },
     "a NIC cannot be its own backup"},
    {"paired already", [](auto& r) { return PairEditor(r).pair(3, 1, {}); },
     "adapter 1 is already the primary of adapter 2; unpair it first (vxsrvnt unpair 1)"},
    {"no such adapter", [](auto& r) { return PairEditor(r).pair(3, 9, {}); },
     "the store has no adapter 9 (vxsrvnt status lists the adapters)"},
    {"failure count", [](auto& r) { return PairEditor(r).pair(3, 2, count(0)); },
     "the failure count must be 1..1000"},
    {"unpair alone", [](auto& r) { return PairEditor(r).unpair(3); }, "adapter 3 is in no pair"},
    {"VLAN on a backup", [](auto& r) { return VlanEditor(r).add(2, 20, "x", ""); },
     "adapter 2 is the backup of adapter 1, and a backup NIC keeps no VLANs: add the VLAN to "
     "adapter 1, whose bond carries it"},
    {"VLAN id", [](auto& r) { return VlanEditor(r).add(3, 4095, "x", ""); },
     "a VLAN identifier is 1..4094"},
    {"VLAN id twice", [](auto& r) { return VlanEditor(r).add(1, 10, "x", ""); },
     "adapter 1 has VLAN 10 already, named \"sales\""},
    {"VLAN name twice", [](auto& r) { return VlanEditor(r).add(3, 11, "sales", ""); },
     "adapter 1 has a VLAN named \"sales\" already"},
    {"VLAN link name twice",
     [](auto& r) { return VlanEditor(r).add(3, 31, "engineering-eas2", ""); },
     "adapter 3 has a VLAN named \"engineering-eas1\" already (link names keep 15 characters)"},
    {"VLAN name blank", [](auto& r) { return VlanEditor(r).add(3, 11, "a b", ""); },
     "a VLAN name may not hold blanks, '/', ':' or control characters: \"a b\""},
    {"VLAN name long", [](auto& r) { return VlanEditor(r).add(3, 11, "abcdefghijklmnopq1", ""); },
     "a VLAN name has 1..17 characters"},
    {"VLAN multicast address",
     [](auto& r) { return VlanEditor(r).add(3, 11, "x", "01:00:5e:00:00:01"); },
     "\"01:00:5e:00:00:01\" is not a unicast MAC address (like 02:00:00:00:01:0a)"},
    {"VLAN remove unknown", [](auto& r) { return VlanEditor(r).remove(1, "x"); },
     "adapter 1 has no VLAN named \"x\" (its VLANs: \"sales\")"},
};

void PrintTo(const Refusal& c, std::ostream* out)
{
    *out << c.name;
}

class Refusals : public ::testing::TestWithParam<Refusal>
{
};

TEST_P(Refusals, SayWhyAndChangeNothing)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    ASSERT_TRUE(PairEditor(r).pair(1, 2, {}).ok());
    ASSERT_TRUE(VlanEditor(r).add(1, 10, "sales", "").ok());
    ASSERT_TRUE(VlanEditor(r).add(3, 30, "engineering-eas1", "").ok());
    const std::string before = installed.store.text();
    const Outcome outcome = GetParam().edit(r);
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error(), GetParam().message);
    EXPECT_EQ(installed.store.text(), before);
}

INSTANTIATE_TEST_SUITE_P(Edits, Refusals, ::testing::ValuesIn(kRefusals), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

TEST(VlanEditor, SixteenVlansAtMostAndTheFirstAndLastTurnTheInstance)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    for (std::uint32_t id = 1; id <= 16; ++id)
        ASSERT_TRUE(VlanEditor(r).add(3, id, "v" + std::to_string(id), "").ok()) << id;
    EXPECT_EQ(parameters(installed.store, 2).at("vlan_name"), sz("v1")) << "the NIC's own instance";
    const Outcome seventeenth = VlanEditor(r).add(3, 17, "v17", "");
    ASSERT_FALSE(seventeenth.ok());
    EXPECT_EQ(seventeenth.error(), "adapter 3 has 16 VLANs, the most it can have");
    for (std::uint32_t id = 16; id >= 1; --id)
        ASSERT_TRUE(VlanEditor(r).remove(3, "v" + std::to_string(id)).ok()) << id;
    const auto plain = parameters(installed.store, 2);
    EXPECT_EQ(plain.at("vlan_op"), dword(0));
    EXPECT_EQ(plain.count("vlan_name"), 0u);
    EXPECT_EQ(valuesOf(installed.store.text(), layout::parametersPath(3)).size(), 0u)
        << "the other VLANs' instance keys are gone";
}

TEST(Edits, EachCommandIsOneWriteOfTheStore)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    const std::function<Outcome()> edits[] = {
        [&] { return PairEditor(r).pair(1, 2, {}); },
        [&] { return VlanEditor(r).add(1, 10, "a", ""); },
        [&] { return VlanEditor(r).add(1, 11, "b", ""); },
        [&] { return VlanEditor(r).remove(1, "a"); },
        [&] { return PairEditor(r).unpair(2); },
    };
    for (const auto& edit : edits) {
        const int before = r.rewriteCount();
        ASSERT_TRUE(edit().ok());
        EXPECT_EQ(r.rewriteCount(), before + 1);
    }
}

TEST(PairEditor, BackupWithVlansIsRefused)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    ASSERT_TRUE(VlanEditor(r).add(3, 10, "v", "").ok());
    const Outcome outcome = PairEditor(r).pair(1, 3, {});
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.error().substr(0, 44), "adapter 3 has VLANs, and a backup NIC keeps ");
}

TEST(PairEditor, UnpairLeavesNoFailoverValues)
{
    InstalledStore installed;
    auto& r = installed.store.registry();
    ASSERT_TRUE(PairEditor(r).pair(1, 2, {}).ok());
    EXPECT_EQ(parameters(installed.store, 1).at("primaryadapternumber"), dword(1));
    EXPECT_EQ(parameters(installed.store, 0).at("backupadapternumber"), dword(2));
    ASSERT_TRUE(PairEditor(r).unpair(2).ok());
    for (const int instance : {0, 1})
        for (const char* gone : {"primaryadapternumber", "backupadapternumber", "failurecount",
                                 "preferrednic", "nicswitchforever"})
            EXPECT_EQ(parameters(installed.store, instance).count(gone), 0u)
                << gone << " in instance " << instance;
}

} // namespace
} // namespace velnet::vxsrvnt::test
