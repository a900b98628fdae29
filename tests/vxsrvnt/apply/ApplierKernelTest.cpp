// SPDX-License-Identifier: MIT
// The apply against the kernel's own bonding and 802.1Q drivers, in
// namespaces of the test's own (inside a user-mode Linux guest where this
// machine's kernel lacks them). What the kernel holds is read with `ip -d -j`,
// never with the code under test.
#include "linux/netlink/Rtnl.h"
#include "tests/support/ChildProcess.h"
#include "tests/vxsrvnt/apply/BondTopology.h"
#include "tests/vxsrvnt/apply/PlainAdapter.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/apply/DesiredState.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using velnet::netlink::Rtnl;
using velnet::test::BondTopology;
using velnet::test::ChildProcess;
namespace vx = velnet::vxsrvnt;

namespace {

vx::DriverConfig standAlone()
{
    return {{vx::test::plainAdapter(1), vx::test::plainAdapter(2)}};
}

vx::FailoverSettings quickFailover(const std::string& switchForever = "Disabled")
{
    vx::FailoverSettings failover;
    failover.failureCount = 2; // downdelay 200 ms
    failover.preferredNic = "Enabled";
    failover.nicSwitchForever = switchForever;
    return failover;
}

vx::DriverConfig paired(const vx::FailoverSettings& failover = quickFailover())
{
    vx::DriverConfig config = standAlone();
    config.adapters[0].backupAdapter = 2;
    config.adapters[1].primaryAdapter = 1;
    config.adapters[1].failover = failover;
    return config;
}

constexpr const char* kVlanName = "Engineering-Floor-3";
constexpr const char* kVlanMac = "02:5a:00:00:00:10";

vx::DriverConfig pairedWithVlan()
{
    vx::DriverConfig config = paired();
    config.adapters[0].vlanOp = 1;
    config.adapters[0].vlanNameMissing = false;
    config.adapters[0].vlans = {{1, kVlanName, 10, "02-5A-00-00-00-10"}};
    return config;
}

std::string text(const nlohmann::json& value, const char* key)
{
    return value.is_object() && value.contains(key) && value[key].is_string()
               ? value[key].get<std::string>()
               : std::string();
}

std::string activeMember()
{
    return text(BondTopology::link("vxbond1")["linkinfo"]["info_data"], "active_slave");
}

bool hasFlag(const nlohmann::json& link, const std::string& flag)
{
    for (const auto& each : link["flags"])
        if (each == flag)
            return true;
    return false;
}

// How long until `done` holds, or nothing when it did not within `limit`.
template <typename Done>
std::optional<std::chrono::milliseconds> within(std::chrono::milliseconds limit, Done done)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        if (done())
            return spent;
        if (spent > limit)
            return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
}

class ApplierKernelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "namespaces need root";
        topology_ = std::make_unique<BondTopology>();
        auto opened = Rtnl::open();
        ASSERT_TRUE(opened.ok()) << opened.error();
        rtnl_ = std::make_unique<Rtnl>(std::move(opened).value());
        options_.runtimeDir = scratch_ + "/run";
        nics_ = {{1, "eth-a", BondTopology::ifindex("eth-a"), {}},
                 {2, "eth-b", BondTopology::ifindex("eth-b"), {}}};
    }

    void TearDown() override { std::filesystem::remove_all(scratch_); }

    vx::ApplyReport apply(const vx::DriverConfig& config)
    {
        vx::Applier applier(*rtnl_);
        auto report = applier.apply(config, nics_, options_);
        EXPECT_TRUE(report.ok()) << report.error();
        return report.ok() ? std::move(report).value() : vx::ApplyReport{};
    }

    void expectNicsStandAlone(const std::string& why)
    {
        EXPECT_TRUE(BondTopology::link("vxbond1").is_null()) << why;
        for (const char* nic : {"eth-a", "eth-b"}) {
            const nlohmann::json link = BondTopology::link(nic);
            EXPECT_FALSE(link.contains("master")) << nic << " " << why;
            EXPECT_TRUE(hasFlag(link, "UP")) << nic << " " << why;
        }
    }

    std::string scratch_ =
        std::filesystem::temp_directory_path().string() + "/applier-" + std::to_string(::getpid());
    std::unique_ptr<BondTopology> topology_;
    std::unique_ptr<Rtnl> rtnl_;
    vx::ApplyOptions options_;
    std::vector<vx::NicBinding> nics_;
};

TEST_F(ApplierKernelTest, aPairIsAnActiveBackupBondWithThePrimaryActiveThatReachesThePeer)
{
    const vx::ApplyReport report = apply(paired());
    EXPECT_TRUE(report.ok()) << report.refusals.front();

    const nlohmann::json bond = BondTopology::link("vxbond1");
    ASSERT_FALSE(bond.is_null());
    const nlohmann::json& data = bond["linkinfo"]["info_data"];
    EXPECT_EQ(text(bond["linkinfo"], "info_kind"), "bond");
    EXPECT_EQ(text(data, "mode"), "active-backup");
    EXPECT_EQ(data["miimon"], 100);
    EXPECT_EQ(data["downdelay"], 200);
    EXPECT_EQ(text(data, "primary"), "eth-a");
    EXPECT_EQ(text(data, "primary_reselect"), "always");
    EXPECT_EQ(text(data, "active_slave"), "eth-a");
    EXPECT_EQ(text(bond, "ifalias"), "vxsrvnt:bond 1+2");
    EXPECT_EQ(text(BondTopology::link("eth-b"), "master"), "vxbond1");

    BondTopology::ip({"address", "add", "10.77.0.1/24", "dev", "vxbond1"});
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));

    auto view = vx::Applier(*rtnl_).observe(paired(), nics_);
    ASSERT_TRUE(view.ok()) << view.error();
    EXPECT_TRUE(view->matches());
    EXPECT_EQ(view->adapters[0].role, vx::NicRole::Primary);
    EXPECT_EQ(view->adapters[1].role, vx::NicRole::Backup);
    EXPECT_EQ(view->adapters[1].bond, "vxbond1");
    EXPECT_EQ(view->adapters[1].activeMember, "eth-a");
}

struct FailBack
{
    const char* switchForever;
    bool backToPrimary;
};

class FailoverTest : public ApplierKernelTest, public ::testing::WithParamInterface<FailBack>
{
};

TEST_P(FailoverTest, thePrimarysFarEndDownMovesTrafficToTheBackupWithinTheDowndelay)
{
    apply(paired(quickFailover(GetParam().switchForever)));
    BondTopology::ip({"address", "add", "10.77.0.1/24", "dev", "vxbond1"});
    ASSERT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));

    // Timed through rtnetlink: `ip` takes longer to start in the guest than the downdelay.
    Rtnl peer = topology_->peerRtnl();
    const int farA = peer.link("far-a")->ifindex;
    const int ethB = BondTopology::ifindex("eth-b");
    auto active = [&] {
        auto bond = rtnl_->link("vxbond1");
        return bond.ok() && bond->bond ? static_cast<int>(bond->bond->activeSlave.value_or(0)) : 0;
    };
    ASSERT_TRUE(peer.setUp(farA, false).ok());
    // downdelay 200 ms, counted from the first MII check (every 100 ms) that
    // sees the carrier gone; the rest is the guest's scheduling.
    const auto moved = within(200ms + 100ms + 400ms, [&] { return active() == ethB; });
    ASSERT_TRUE(moved) << "still on " << activeMember();
    EXPECT_GE(*moved, 190ms) << "moved before the downdelay";
    EXPECT_EQ(activeMember(), "eth-b");
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));

    ASSERT_TRUE(peer.setUp(farA, true).ok());
    const auto back = within(1500ms, [] { return activeMember() == "eth-a"; });
    EXPECT_EQ(back.has_value(), GetParam().backToPrimary) << "active: " << activeMember();
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerAddress));
}

INSTANTIATE_TEST_SUITE_P(NicSwitchForever, FailoverTest,
                         ::testing::Values(FailBack{"Disabled", true}, FailBack{"Enabled", false}));

TEST_F(ApplierKernelTest, aVlanOnTheBondReachesThePeersVlanWithItsOwnAddressOnTheWire)
{
    const vx::ApplyReport report = apply(pairedWithVlan());
    ASSERT_TRUE(report.ok()) << report.refusals.front();
    const std::string name = vx::fitLinkName(kVlanName, 10);
    ASSERT_LE(name.size(), 15u);

    const nlohmann::json vlan = BondTopology::link(name);
    ASSERT_FALSE(vlan.is_null()) << name;
    EXPECT_EQ(text(vlan["linkinfo"], "info_kind"), "vlan");
    EXPECT_EQ(vlan["linkinfo"]["info_data"]["id"], 10);
    EXPECT_EQ(text(vlan, "link"), "vxbond1");
    EXPECT_EQ(text(vlan, "address"), kVlanMac);
    EXPECT_EQ(text(vlan, "ifalias"), std::string("vxsrvnt:") + kVlanName);

    BondTopology::ip({"address", "add", "10.77.10.1/24", "dev", name});
    EXPECT_TRUE(BondTopology::ping(BondTopology::kPeerVlanAddress));
    const auto neighbours = nlohmann::json::parse(
        topology_->peerIp({"-j", "neigh", "show", "10.77.10.1", "dev", "br0.10"}));
    ASSERT_EQ(neighbours.size(), 1u);
    EXPECT_EQ(text(neighbours[0], "lladdr"), kVlanMac);
}

TEST_F(ApplierKernelTest, aSecondApplyOfTheSameStoreChangesNothing)
{
    apply(pairedWithVlan());
    const std::string vlan = vx::fitLinkName(kVlanName, 10);
    const std::vector<std::string> names{"vxbond1", "eth-a", "eth-b", vlan};
    // The first apply's own events (a carrier coming up late on a slow
    // machine) are over before the second one is watched.
    const bool settled = within(5000ms, [&] {
                             for (const std::string& name : names)
                                 if (text(BondTopology::link(name), "operstate") != "UP")
                                     return false;
                             return true;
                         }).has_value();
    ASSERT_TRUE(settled) << "the links made by the first apply never came up";
    std::vector<int> before;
    for (const std::string& name : names)
        before.push_back(BondTopology::ifindex(name));
    ChildProcess monitor({"ip", "monitor", "link"});
    std::this_thread::sleep_for(300ms);

    const vx::ApplyReport again = apply(pairedWithVlan());
    EXPECT_TRUE(again.actions.empty()) << again.actions.front();
    EXPECT_TRUE(again.ok());
    std::vector<int> after;
    for (const std::string& name : names)
        after.push_back(BondTopology::ifindex(name));
    EXPECT_EQ(after, before);
    EXPECT_EQ(monitor.readRest(500ms), "");
}

TEST_F(ApplierKernelTest, unpairingRemovesTheBondAndGivesTheNicsBackAsTheyWere)
{
    const std::string macA = text(BondTopology::link("eth-a"), "address");
    const std::string macB = text(BondTopology::link("eth-b"), "address");
    apply(pairedWithVlan());

    const vx::ApplyReport report = apply(standAlone());
    EXPECT_TRUE(report.ok());
    expectNicsStandAlone("after unpairing");
    EXPECT_TRUE(BondTopology::link(vx::fitLinkName(kVlanName, 10)).is_null());
    EXPECT_EQ(text(BondTopology::link("eth-a"), "address"), macA);
    EXPECT_EQ(text(BondTopology::link("eth-b"), "address"), macB);
}

TEST_F(ApplierKernelTest, aNicWithAnAddressIsNotEnslavedUnlessForced)
{
    BondTopology::ip({"address", "add", "192.0.2.7/24", "dev", "eth-b"});

    const vx::ApplyReport refused = apply(paired());
    EXPECT_EQ(refused.refusals,
              std::vector<std::string>{"adapters 1 (eth-a) and 2 (eth-b): not paired: eth-b holds "
                                       "the address 192.0.2.7/24; pass --force to enslave it "
                                       "anyway"});
    expectNicsStandAlone("after the refusal");

    options_.allowAddressed = true;
    EXPECT_TRUE(apply(paired()).ok());
    EXPECT_EQ(activeMember(), "eth-a");
}

// The apply is killed at several points after it wrote its first intent;
// whatever it left, the next apply leaves no half-made bond.
TEST_F(ApplierKernelTest, anApplyKilledMidwayLeavesNoHalfMadeBondAfterTheNextOne)
{
    const std::string journal = options_.runtimeDir + "/apply.journal";
    int halfMade = 0;
    for (const auto delay : {0us, 200us, 1000us, 3000us, 10000us}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto rtnl = Rtnl::open();
            if (rtnl.ok())
                (void)vx::Applier(*rtnl).apply(paired(), nics_, options_); // killed or done
            ::_exit(0);
        }
        (void)within(5s, [&] { return std::filesystem::exists(journal); });
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const nlohmann::json left = BondTopology::link("vxbond1");
        halfMade += !left.is_null() && text(left, "ifalias").empty();

        const vx::ApplyReport report = apply(standAlone());
        EXPECT_TRUE(report.ok()) << report.refusals.front();
        expectNicsStandAlone("after a kill " + std::to_string(delay.count()) + " us in");
        EXPECT_FALSE(std::filesystem::exists(journal));
    }
    std::cout << halfMade << " of 5 kills left a half-made bond behind\n";
    EXPECT_TRUE(apply(paired()).ok());
    EXPECT_EQ(activeMember(), "eth-a");
}

} // namespace
