// SPDX-License-Identifier: MIT
// A pair of NICs in an active-backup bond of the kernel (inside the
// user-mode Linux guest where this kernel has no bonding): the sick member
// is cured only behind a healthy partner, after handing the traffic over.
// Error counters are scripted (veth never errs); the bond, the hand-over and
// the cure are the kernel's, checked with `ip -d -j link` and `ip monitor`.
#include "linux/netlink/Rtnl.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/autocure/LinkMonitor.h"
#include "tests/vxsrvnt/autocure/ScratchNetns.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/Monitor.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"

#include <chrono>
#include <gtest/gtest.h>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

namespace velnet::vxsrvnt::autocure {
namespace {

using test::LinkMonitor;
using test::ManualClock;
using test::RecordingSink;
using test::ScratchNetns;
using test::ScriptedCounterSource;

std::string bondActiveMember(const ScratchNetns& netns)
{
    const auto bond = nlohmann::json::parse(netns.ip({"-d", "-j", "link", "show", "vxbond1"}));
    return bond.at(0).at("linkinfo").at("info_data").value("active_slave", "");
}

// The real actions, with the bond's active member as `ip` sees it at the
// moment of each cure.
class WatchedActions : public NicActions
{
public:
    WatchedActions(NicActions& real, const ScratchNetns& netns) : real_(real), netns_(netns) {}
    std::vector<std::string> activeAtCure;

    SelfTestOutcome selfTest(const std::string& ifname, std::string& detail) override
    {
        return real_.selfTest(ifname, detail);
    }
    velnet::Outcome cure(int ifindex, const std::string& ifname, std::string& how) override
    {
        activeAtCure.push_back(bondActiveMember(netns_));
        return real_.cure(ifindex, ifname, how);
    }
    std::optional<int> activeMember(int bond) override { return real_.activeMember(bond); }
    velnet::Outcome makeActive(int bond, int member) override
    {
        return real_.makeActive(bond, member);
    }
    velnet::Outcome restoreLinks() override { return real_.restoreLinks(); }

private:
    NicActions& real_;
    const ScratchNetns& netns_;
};

// vxm0 (adapter 1, the primary) and vxm1 (adapter 2, its backup) in bond
// vxbond1, vxm0 active; their veth peers up in the same namespace.
class AutocurePair : public ::testing::Test
{
protected:
    void SetUp() override
    {
        netns_.ip(
            {"link", "add", "vxbond1", "type", "bond", "mode", "active-backup", "miimon", "100"});
        for (const char* n : {"0", "1"}) {
            netns_.ip({"link", "add", std::string("vxm") + n, "type", "veth", "peer", "name",
                       std::string("vxq") + n});
            netns_.ip({"link", "set", std::string("vxm") + n, "master", "vxbond1"});
            netns_.ip({"link", "set", std::string("vxq") + n, "up"});
        }
        netns_.ip({"link", "set", "vxbond1", "up"});
        for (int i = 0; i < 50 && bondActiveMember(netns_) != "vxm0"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(bondActiveMember(netns_), "vxm0");
        for (const char* n : {"0", "1"}) {
            const std::string name = std::string("vxm") + n;
            ifindex_.push_back(netns_.ifindex(name));
            config_.adapters.push_back({});
            config_.adapters.back().adapterNumber = static_cast<int>(ifindex_.size());
            config_.adapters.back().acd = {"Basic", 1, 5, 7, "Low"};
            bindings_.push_back({static_cast<int>(ifindex_.size()), name, ifindex_.back(), ""});
        }
        config_.adapters[0].backupAdapter = 2;
        config_.adapters[1].primaryAdapter = 1;
    }

    // One window in which the members in `sick` count 100 errors in 1100 packets.
    void runOneWindow(const std::vector<int>& sick)
    {
        ScratchNetns::Inside inside(netns_);
        auto rtnl = netlink::Rtnl::open();
        ASSERT_TRUE(rtnl.ok()) << rtnl.error();
        RtnlCounterSource kernel(*rtnl);
        ScriptedCounterSource counters(&kernel);
        LinuxNicActions real(*rtnl);
        WatchedActions actions(real, netns_);
        ManualClock clock;
        Monitor monitor(counters, actions, sink_, clock);
        monitor.configure(config_, bindings_);
        monitor.tick();
        for (int adapter : sick)
            counters.links[ifindex_[adapter - 1]] = {
                ifindex_[adapter - 1], true, true, 0, 1000, 0, 100, 0, 0, 0};
        clock.advanceSeconds(1);
        monitor.tick();
        activeAtCure_ = actions.activeAtCure;
    }

    ScratchNetns netns_{"pair"};
    DriverConfig config_;
    std::vector<NicBinding> bindings_;
    std::vector<int> ifindex_;
    RecordingSink sink_;
    std::vector<std::string> activeAtCure_;
};

TEST_F(AutocurePair, TheActiveMemberHandsOverBeforeItIsCured)
{
    LinkMonitor events(netns_);
    runOneWindow({1});
    EXPECT_EQ(sink_.events(), "monitoring-started,monitoring-started,bad-window,handed-over,cured");
    EXPECT_EQ(activeAtCure_, std::vector<std::string>{"vxm1"});
    EXPECT_EQ(bondActiveMember(netns_), "vxm1");
    const std::string vxm0 = events.history("vxm0");
    EXPECT_TRUE(vxm0.ends_with("down,up") && vxm0.find("down") == vxm0.rfind("down")) << vxm0;
    const auto member = nlohmann::json::parse(netns_.ip({"-j", "link", "show", "vxm0"}));
    EXPECT_EQ(member.at(0).value("master", ""), "vxbond1");
}

TEST_F(AutocurePair, BothMembersSickAlertOnly)
{
    LinkMonitor events(netns_);
    runOneWindow({1, 2});
    EXPECT_EQ(sink_.events(),
              "monitoring-started,monitoring-started,bad-window,bad-window,pair-sick,pair-sick");
    EXPECT_EQ(sink_.written.back().kind, AlertKind::Error);
    EXPECT_TRUE(activeAtCure_.empty());
    EXPECT_EQ(bondActiveMember(netns_), "vxm0");
    EXPECT_EQ(events.history("vxm0").find("down"), std::string::npos);
    EXPECT_EQ(events.history("vxm1").find("down"), std::string::npos);
}

} // namespace
} // namespace velnet::vxsrvnt::autocure

int main(int argc, char** argv)
{
    return velnet::vxsrvnt::autocure::test::ScratchNetns::runAllTestsOrSkip(argc, argv);
}
