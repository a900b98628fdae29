// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/core/CoreTestSupport.h"
#include "vxsrvnt/nics/AdapterBinder.h"
#include "vxsrvnt/nics/NicDiscovery.h"

#include <gtest/gtest.h>

namespace velnet::vxsrvnt::test {
namespace {

TEST(MacText, ParsesBothFormsAndWritesTheStoresAndIpsForms)
{
    const struct
    {
        const char* text;
        bool valid;
    } cases[] = {
        {"00-a0-CC-4e-1f-02", true}, {"00:A0:cc:4E:1F:02", true},  {"00:a0-cc:4e:1f:02", false},
        {"00:a0:cc:4e:1f", false},   {"00:a0:cc:4e:1f:0g", false}, {"00:a0:cc:4e:1f:021", false},
    };
    for (const auto& c : cases) {
        const auto mac = parseMac(c.text);
        ASSERT_EQ(mac.has_value(), c.valid) << c.text;
        if (!mac)
            continue;
        EXPECT_EQ(storeMacText(*mac), "00-A0-CC-4E-1F-02");
        EXPECT_EQ(colonMacText(*mac), "00:a0:cc:4e:1f:02");
    }
    EXPECT_FALSE(isUnicast(*parseMac("01:00:5e:00:00:01")));
    EXPECT_FALSE(isUnicast(MacBytes{}));
    EXPECT_TRUE(isUnicast(*parseMac("02:00:00:00:00:01")));
}

TEST(NicDiscovery, BusAndSlotFromThePciAddress)
{
    using BusSlot = std::optional<std::pair<std::uint32_t, std::uint32_t>>;
    const std::pair<const char*, BusSlot> cases[] = {
        {"0000:00:03.0", std::pair{0u, 3u}}, {"0000:1a:1f.7", std::pair{0x1au, 0x1fu}},
        {"0001:02:00.1", std::pair{2u, 0u}}, {"virtio2", std::nullopt},
        {"0000:zz:00.0", std::nullopt},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(NicDiscovery::pciBusSlot(address), expected) << address;
}

TEST(AdapterBinder, BindsByAddressWhateverTheName)
{
    DriverConfig config;
    for (const auto& [number, mac] :
         {std::pair{1, "00-A0-CC-4E-1F-02"}, std::pair{2, "02-00-00-00-00-0B"}, std::pair{3, ""}}) {
        AdapterConfig a;
        a.adapterNumber = number;
        a.baseMacAddress = mac;
        config.adapters.push_back(a);
    }
    const std::vector<MachineNic> nics = {nic("lan0", 7, "02:00:00:00:00:0b"),
                                          nic("lan1", 8, "00:a0:cc:4e:1f:09")};
    const AdapterBinder binder(config, nics);
    ASSERT_EQ(binder.bindings().size(), 1u);
    EXPECT_EQ(binder.bindings()[0], (NicBinding{2, "lan0", 7, "02:00:00:00:00:0b"}));
    EXPECT_EQ(binder.goneAdapters(), (std::vector<int>{1, 3}));
    ASSERT_EQ(binder.unboundNics().size(), 1u);
    EXPECT_EQ(binder.unboundNics()[0].ifname, "lan1");
}

} // namespace
} // namespace velnet::vxsrvnt::test
