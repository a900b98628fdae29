// SPDX-License-Identifier: MIT
// The diagnostic packets through the kernel: a pair made by the apply (an
// active-backup bond of the kernel's own, inside the user-mode Linux guest
// where this kernel has none), its members' packets across the peer's bridge.
// A member that keeps its link but stops receiving is made with the bridge
// port's multicast flooding turned off; the bond's active member is read
// with `ip -d -j link`.
#include "linux/netlink/Rtnl.h"
#include "tests/vxsrvnt/apply/BondTopology.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/failover/ProbePair.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"
#include "vxsrvnt/failover/PacketProbeTransport.h"
#include "vxsrvnt/failover/ProbeMonitor.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace velnet::vxsrvnt::failover {
namespace {

using velnet::test::BondTopology;

std::string activeMember()
{
    const nlohmann::json data = BondTopology::link("vxbond1")["linkinfo"]["info_data"];
    return data.value("active_slave", "");
}

DriverConfig pairWithPackets()
{
    return test::probedPair({2, "Enabled", "Enabled", "Enabled", "Disabled"});
}

class ProbeKernelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "namespaces need root";
        topology_ = std::make_unique<BondTopology>();
        auto opened = netlink::Rtnl::open();
        ASSERT_TRUE(opened.ok()) << opened.error();
        rtnl_ = std::make_unique<netlink::Rtnl>(std::move(opened).value());
        nics_ = {{1, "eth-a", BondTopology::ifindex("eth-a"), {}},
                 {2, "eth-b", BondTopology::ifindex("eth-b"), {}}};
        ApplyOptions options;
        options.runtimeDir = scratch_;
        auto applied = Applier(*rtnl_).apply(pairWithPackets(), nics_, options);
        ASSERT_TRUE(applied.ok() && applied->ok()) << applied.error();
        BondTopology::ip({"address", "add", "10.77.0.1/24", "dev", "vxbond1"});
        counters_ = std::make_unique<autocure::RtnlCounterSource>(*rtnl_);
        actions_ = std::make_unique<autocure::LinuxNicActions>(*rtnl_);
        monitor_ = std::make_unique<ProbeMonitor>(transport_, *actions_, sink_);
        monitor_->configure(pairWithPackets(), nics_);
    }

    void TearDown() override
    {
        monitor_.reset();
        std::filesystem::remove_all(scratch_);
    }

    // Ticks (a fifth of a second apart) until `done`, at most `limit`; how many.
    template <typename Done> int tickUntil(int limit, Done done)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            auto links = counters_->readAll();
            EXPECT_TRUE(links.ok()) << links.error();
            if (links.ok()) {
                std::sort(links->begin(), links->end(),
                          [](const auto& a, const auto& b) { return a.ifindex < b.ifindex; });
                monitor_->tick(*links);
            }
            if (done())
                return tick;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return 0;
    }

    void floodTo(const std::string& port, bool on)
    {
        topology_->peerIp(
            {"link", "set", "dev", port, "type", "bridge_slave", "mcast_flood", on ? "on" : "off"});
    }

    std::string scratch_ =
        std::filesystem::temp_directory_path().string() + "/probes-" + std::to_string(::getpid());
    std::unique_ptr<BondTopology> topology_;
    std::unique_ptr<netlink::Rtnl> rtnl_;
    PacketProbeTransport transport_;
    std::unique_ptr<autocure::RtnlCounterSource> counters_;
    std::unique_ptr<autocure::LinuxNicActions> actions_;
    autocure::test::RecordingSink sink_;
    std::unique_ptr<ProbeMonitor> monitor_;
    std::vector<NicBinding> nics_;
};

TEST_F(ProbeKernelTest, bothMembersHearTheOtherAcrossTheNetworkTheStandbyToo)
{
    ASSERT_EQ(activeMember(), "eth-a");
    tickUntil(5, [] { return false; });
    const std::vector<ProbeHealth> health = monitor_->snapshot();
    ASSERT_EQ(health.size(), 2u);
    for (const ProbeHealth& member : health)
        EXPECT_EQ(member.missedInARow, 0) << "adapter " << member.adapterNumber;
    EXPECT_EQ(sink_.events(), "");
    EXPECT_EQ(activeMember(), "eth-a");
}

TEST_F(ProbeKernelTest, anActiveMemberThatStopsReceivingHandsOverAndGetsTheTrafficBack)
{
    tickUntil(2, [] { return false; });
    floodTo("far-a", false); // eth-a keeps its link and hears nothing of eth-b
    EXPECT_GT(tickUntil(6, [] { return activeMember() == "eth-b"; }), 0)
        << "active: " << activeMember() << "; alerts: " << sink_.events();
    ASSERT_FALSE(sink_.written.empty());
    EXPECT_EQ(sink_.written[0].event, "probe-handover");
    EXPECT_EQ(sink_.written[0].ifname, "eth-a");
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));

    floodTo("far-a", true);
    EXPECT_GT(tickUntil(6, [] { return activeMember() == "eth-a"; }), 0)
        << "active: " << activeMember() << "; alerts: " << sink_.events();
    EXPECT_EQ(sink_.events(), "probe-handover,probes-heard,handed-back");
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));
}

} // namespace
} // namespace velnet::vxsrvnt::failover
