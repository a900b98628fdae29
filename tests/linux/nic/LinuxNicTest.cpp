// SPDX-License-Identifier: MIT
// The parts of the real NIC libraries that need no kernel: discovery over a
// sysfs tree laid out by the test, link-mode texts, the growing string table,
// the driver's self-test rows over a scripted suite.
#include "libraries/real/ethcfg/EthStringTable.h"
#include "libraries/real/ethcfg/SelfTests.h"
#include "linux/nic/Ethtool.h"
#include "linux/nic/InterfaceDiscovery.h"
#include "linux/nic/LinkModes.h"
#include "tests/support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/if_arp.h>
#include <thread>

namespace fs = std::filesystem;
using namespace velnet::linuxnic;

namespace {

// An interface directory as the kernel shows it; `device` links it to a PCI
// function, or with `virtio` to a virtio device on that function.
void addInterface(const velnet::test::TempDir& root, const std::string& name, int type, int ifindex,
                  bool device, bool virtio = false)
{
    const fs::path dir = fs::path(root.path()) / "class/net" / name;
    fs::create_directories(dir);
    velnet::test::writeFile((dir / "type").string(), std::to_string(type) + "\n");
    velnet::test::writeFile((dir / "ifindex").string(), std::to_string(ifindex) + "\n");
    velnet::test::writeFile((dir / "mtu").string(), "1500\n");
    if (!device)
        return;
    const fs::path buses = fs::path(root.path()) / "bus";
    fs::create_directories(buses / "pci");
    fs::create_directories(buses / "virtio");
    const fs::path pci = fs::path(root.path()) / "devices/pci0000:00" /
                         ("0000:00:0" + std::to_string(ifindex) + ".0");
    fs::create_directories(pci / "msi_irqs");
    for (const char* vector : {"40", "38", "39"})
        velnet::test::writeFile((pci / "msi_irqs" / vector).string(), "msi\n");
    velnet::test::writeFile((pci / "vendor").string(), virtio ? "0x1af4\n" : "0x8086\n");
    velnet::test::writeFile((pci / "device").string(), virtio ? "0x1041\n" : "0x10d3\n");
    fs::create_directory_symlink(buses / "pci", pci / "subsystem");
    fs::path linked = pci;
    if (virtio) {
        linked = pci / "virtio2";
        fs::create_directories(linked);
        velnet::test::writeFile((linked / "vendor").string(), "0x1af4\n");
        velnet::test::writeFile((linked / "device").string(), "0x0001\n");
        fs::create_directory_symlink(buses / "virtio", linked / "subsystem");
    }
    fs::create_directory_symlink(linked, dir / "device");
}

TEST(LinuxNicDiscoveryTest, EthernetWithADeviceInIfindexOrderVirtualOnlyWhenNamed)
{
    velnet::test::TempDir root;
    addInterface(root, "lo", ARPHRD_LOOPBACK, 1, false);
    addInterface(root, "enp5s0", ARPHRD_ETHER, 3, true);
    addInterface(root, "eno1", ARPHRD_ETHER, 2, true);
    addInterface(root, "veth0", ARPHRD_ETHER, 7, false);
    addInterface(root, "br0", ARPHRD_ETHER, 4, false);
    addInterface(root, "ib0", ARPHRD_INFINIBAND, 5, true);
    const Sysfs sysfs(root.path());

    auto names = [](const std::vector<Interface>& found) {
        std::vector<std::string> out;
        for (const auto& interface : found)
            out.push_back(interface.name + "#" + std::to_string(interface.ifindex));
        return out;
    };
    EXPECT_EQ(names(discoverInterfaces(sysfs, {})),
              (std::vector<std::string>{"eno1#2", "enp5s0#3"}));
    EXPECT_EQ(names(discoverInterfaces(sysfs, {"veth0", "lo", "nosuch"})),
              (std::vector<std::string>{"eno1#2", "enp5s0#3", "veth0#7"}));
    EXPECT_EQ(names(discoverInterfaces(sysfs, splitNames("br0,veth0"))),
              (std::vector<std::string>{"eno1#2", "enp5s0#3", "br0#4", "veth0#7"}));

    EXPECT_EQ(sysfs.busAddress("eno1"), "0000:00:02.0");
    EXPECT_EQ(sysfs.busAddress("veth0"), std::nullopt);
    EXPECT_EQ(sysfs.msiVectors("eno1"), (std::vector<int>{38, 39, 40}));
    EXPECT_EQ(sysfs.pciAttribute("eno1", "vendor"), "0x8086");
    EXPECT_EQ(sysfs.pciAttribute("veth0", "vendor"), std::nullopt);
    EXPECT_TRUE(sysfs.msiVectors("veth0").empty());
    EXPECT_EQ(sysfs.number("eno1", "mtu"), 1500);
    EXPECT_EQ(sysfs.number("eno1", "nosuch"), std::nullopt);
    EXPECT_TRUE(discoverInterfaces(Sysfs(root.file("nosuch")), {"veth0"}).empty());
}

TEST(LinuxNicDiscoveryTest, AVirtioNicIsNamedByThePciFunctionItSitsOn)
{
    velnet::test::TempDir root;
    addInterface(root, "ens3", ARPHRD_ETHER, 3, true, true);
    const Sysfs sysfs(root.path());
    ASSERT_EQ(discoverInterfaces(sysfs, {}).size(), 1u);
    // The interface's own device is the virtio one; its ids name no product.
    EXPECT_EQ(sysfs.deviceAttribute("ens3", "device"), "0x0001");
    EXPECT_EQ(sysfs.pciAttribute("ens3", "device"), "0x1041");
    EXPECT_EQ(sysfs.pciAttribute("ens3", "vendor"), "0x1af4");
    EXPECT_EQ(sysfs.busAddress("ens3"), "0000:00:03.0");
    EXPECT_EQ(sysfs.msiVectors("ens3"), (std::vector<int>{38, 39, 40}));
}

TEST(LinuxNicDiscoveryTest, NamesAreSplitAtCommasWithBlanksIgnored)
{
    EXPECT_EQ(splitNames(" veth0 ,, br0,"), (std::vector<std::string>{"veth0", "br0"}));
    EXPECT_TRUE(splitNames("").empty());
    EXPECT_EQ(splitNames("eth1"), (std::vector<std::string>{"eth1"}));
}

TEST(LinuxNicLinkModesTest, ForcedModesAreTheDistinctSpeedsAndDuplexesSlowestFirst)
{
    std::vector<std::uint32_t> supported(3, 0);
    for (const int bit : {ETHTOOL_LINK_MODE_1000baseT_Full_BIT, ETHTOOL_LINK_MODE_10baseT_Half_BIT,
                          ETHTOOL_LINK_MODE_100baseT_Full_BIT, ETHTOOL_LINK_MODE_1000baseX_Full_BIT,
                          ETHTOOL_LINK_MODE_2500baseT_Full_BIT, ETHTOOL_LINK_MODE_Autoneg_BIT})
        LinkSettings::set(supported, bit, true);
    std::vector<std::string> texts;
    for (const auto& mode : forcedModes(supported))
        texts.push_back(mode.text());
    EXPECT_EQ(texts, (std::vector<std::string>{"10 Mbps Half Duplex", "100 Mbps Full Duplex",
                                               "1 Gbps Full Duplex", "2.5 Gbps Full Duplex"}));
    EXPECT_TRUE(LinkSettings::test(supported, ETHTOOL_LINK_MODE_2500baseT_Full_BIT));
    LinkSettings::set(supported, ETHTOOL_LINK_MODE_2500baseT_Full_BIT, false);
    EXPECT_FALSE(LinkSettings::test(supported, ETHTOOL_LINK_MODE_2500baseT_Full_BIT));
    EXPECT_FALSE(LinkSettings::test(supported, 32 * 3 + 1)); // beyond the bitmap
    EXPECT_TRUE(forcedModes({}).empty());
}

TEST(LinuxNicLinkModesTest, SpeedTexts)
{
    EXPECT_EQ(speedText(10), "10 Mbps");
    EXPECT_EQ(speedText(1000), "1 Gbps");
    EXPECT_EQ(speedText(2500), "2.5 Gbps");
    EXPECT_EQ(speedText(100000), "100 Gbps");
    EXPECT_EQ(speedText(static_cast<std::uint32_t>(SPEED_UNKNOWN)), "Unknown");
    EXPECT_EQ(speedText(0), "Unknown");
}

TEST(EthcfgStringTableTest, TextsKeepTheirIdsAndAFullTableSaysSo)
{
    velnet::ethcfg::EthStringTable table;
    const auto first = table.id("one");
    EXPECT_EQ(first, velnet::ethcfg::EthStringTable::kFirstId);
    EXPECT_EQ(table.id("two"), first + 1);
    EXPECT_EQ(table.id("one"), first);
    EXPECT_EQ(table.find(first + 1), "two");
    EXPECT_EQ(table.find(first + 2), std::nullopt);

    // Many threads adding and reading at once, as cardcheck's workers do.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&table, t] {
            for (int i = 0; i < 200; ++i)
                EXPECT_EQ(table.find(table.id("t" + std::to_string(t) + "-" + std::to_string(i))),
                          "t" + std::to_string(t) + "-" + std::to_string(i));
        });
    for (auto& thread : threads)
        thread.join();

    std::int32_t last = 0;
    for (int i = 0; i < 4000; ++i)
        last = table.id("filler " + std::to_string(i));
    EXPECT_EQ(last, velnet::ethcfg::EthStringTable::kLastId);
    EXPECT_EQ(table.find(last), "The library's table of messages is full.");
    EXPECT_LE(table.id("another"), velnet::ethcfg::EthStringTable::kLastId);
}

} // namespace

namespace {

using velnet::ethcfg::DriverSuite;
using velnet::ethcfg::SelfTests;
using velnet::linuxnic::SelfTestResult;

// A driver suite of three tests whose runs the test counts and scripts.
struct ScriptedSuite
{
    int runs = 0;
    bool lastOffline = false;
    std::optional<SelfTestResult> answer;
    int error = 0;

    DriverSuite suite()
    {
        return {
            {"Register test  (offline)", "Link test   (on/offline)", "Interrupt test (offline)"},
            [this](bool offline, int& errorOut) {
                ++runs;
                lastOffline = offline;
                errorOut = error;
                return answer;
            }};
    }
};

class SelfTestsTest : public ::testing::Test
{
protected:
    velnet::test::TempDir root_;
    velnet::ethcfg::EthNic nic_{{"eth7", 7}, Sysfs(root_.path())};
    ScriptedSuite script_;
};

// The legacy interrupt line as the details show it: the kernel's 0 of a NIC
// that interrupts through MSI-X is no line at all.
TEST(EthNicTest, TheIrqOfAnMsiNicIsNone)
{
    for (const auto& [irq, shown] : {std::pair{"0", "None"}, std::pair{"11", "11"}}) {
        velnet::test::TempDir root;
        addInterface(root, "eth7", ARPHRD_ETHER, 7, true);
        velnet::test::writeFile(root.file("devices/pci0000:00/0000:00:07.0/irq"),
                                std::string(irq) + "\n");
        const velnet::ethcfg::EthNic nic({"eth7", 7}, Sysfs(root.path()));
        std::optional<std::string> value;
        for (const auto& row : nic.details())
            if (row.name == "IRQ")
                value = row.value();
        EXPECT_EQ(value, std::optional<std::string>(shown)) << irq;
    }
}

TEST_F(SelfTestsTest, DriverTestsAreRowsAfterTheLibrarysOwnAndOnePassRunsTheSuiteOnce)
{
    script_.answer = SelfTestResult{true, {0, 2, 0}};
    SelfTests tests(nic_, false, script_.suite());
    ASSERT_EQ(tests.count(), 6u);
    EXPECT_EQ(tests.name(0), "Driver Response Test");
    EXPECT_EQ(tests.name(3), "Driver Test: Register test  (offline)");
    EXPECT_EQ(tests.name(5), "Driver Test: Interrupt test (offline)");

    EXPECT_EQ(tests.run(3), std::nullopt);
    EXPECT_EQ(tests.run(4), "The driver's test \"Link test   (on/offline)\" of eth7 failed with "
                            "result 2 (online run; offline tests run only in advanced mode).");
    EXPECT_EQ(tests.run(5), std::nullopt);
    EXPECT_EQ(script_.runs, 1);
    EXPECT_FALSE(script_.lastOffline);

    // The next pass runs the suite again, and so does a lone row run twice.
    script_.answer = SelfTestResult{false, {0, 0, 0}};
    EXPECT_EQ(tests.run(3), std::nullopt);
    EXPECT_EQ(tests.run(4), std::nullopt);
    EXPECT_EQ(script_.runs, 2);
    EXPECT_EQ(tests.run(4), std::nullopt);
    EXPECT_EQ(script_.runs, 3);
    EXPECT_EQ(tests.run(6), "There is no such test for this NIC.");
}

TEST_F(SelfTestsTest, OfflineInAdvancedModeAndEveryRowSaysWhyTheSuiteDidNotRun)
{
    script_.answer = SelfTestResult{true, {0, 1}}; // one result short
    SelfTests advanced(nic_, true, script_.suite());
    EXPECT_EQ(advanced.run(4), "The driver's test \"Link test   (on/offline)\" of eth7 failed with "
                               "result 1.");
    EXPECT_TRUE(script_.lastOffline);
    EXPECT_EQ(advanced.run(5),
              "The driver of eth7 gave no result for \"Interrupt test (offline)\".");

    script_.answer.reset();
    script_.error = EPERM;
    SelfTests withoutRights(nic_, false, script_.suite());
    const std::string rights = "This needs administrator rights (the CAP_NET_ADMIN capability). "
                               "The kernel refused: Operation not permitted.";
    EXPECT_EQ(withoutRights.run(3), rights);
    EXPECT_EQ(withoutRights.run(4), rights);

    script_.error = EOPNOTSUPP;
    SelfTests unsupported(nic_, false, script_.suite());
    EXPECT_EQ(unsupported.run(3),
              "The driver of eth7 does not run self tests (ETHTOOL_TEST is not supported).");

    script_.error = EIO;
    SelfTests failing(nic_, false, script_.suite());
    EXPECT_EQ(failing.run(3),
              "The driver of eth7 could not run its self tests: Input/output error.");
}

} // namespace
