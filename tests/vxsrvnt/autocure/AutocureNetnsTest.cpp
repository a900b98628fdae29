// SPDX-License-Identifier: MIT
// The monitor on real links of a namespace of the test's own: veth never
// errs, so the error counters are scripted on top of the kernel's; the cure
// is the kernel's, and seen by `ip monitor`, not by our code.
#include "linux/netlink/Rtnl.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/autocure/LinkMonitor.h"
#include "tests/vxsrvnt/autocure/ScratchNetns.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/Monitor.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"

#include <gtest/gtest.h>
#include <iostream>

namespace velnet::vxsrvnt::autocure {
namespace {

using test::LinkMonitor;
using test::ManualClock;
using test::RecordingSink;
using test::ScratchNetns;
using test::ScriptedCounterSource;

TEST(AutocureNetns, ABadStandAloneNicIsTakenDownAndUp)
{
    ScratchNetns netns("acure");
    netns.ip({"link", "add", "vxnic0", "type", "veth", "peer", "name", "vxpeer0"});
    netns.ip({"link", "set", "vxnic0", "up"});
    netns.ip({"link", "set", "vxpeer0", "up"});
    const int ifindex = netns.ifindex("vxnic0");
    LinkMonitor events(netns);

    RecordingSink sink;
    int restored = 0;
    {
        ScratchNetns::Inside inside(netns);
        auto rtnl = netlink::Rtnl::open();
        ASSERT_TRUE(rtnl.ok()) << rtnl.error();
        RtnlCounterSource kernel(*rtnl);
        ScriptedCounterSource counters(&kernel);
        LinuxNicActions actions(*rtnl, [&] {
            ++restored;
            return velnet::Outcome{};
        });
        ManualClock clock;
        Monitor monitor(counters, actions, sink, clock);
        DriverConfig config;
        config.adapters.push_back({});
        config.adapters[0].adapterNumber = 1;
        config.adapters[0].acd = {"Enhanced", 1, 5, 7, "Low"};
        monitor.configure(config, {{1, "vxnic0", ifindex, ""}});
        monitor.tick();
        EXPECT_EQ(events.history("vxnic0"), "");

        counters.links[ifindex] = {ifindex, "vxnic0", true, true, 0, 1000, 0, 100, 0, 0, 0};
        clock.advanceSeconds(1);
        monitor.tick();
        ASSERT_EQ(monitor.snapshot().at(0).cures, 1);
    }
    // veth has neither an online self test nor ETHTOOL_RESET.
    EXPECT_EQ(sink.events(), "monitoring-started,bad-window,cured");
    EXPECT_EQ(sink.written.back().fields.at(0),
              (std::pair<std::string, std::string>{"CURE", "link down and up"}));
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(events.history("vxnic0"), "down,up");
}

} // namespace
} // namespace velnet::vxsrvnt::autocure

int main(int argc, char** argv)
{
    using velnet::vxsrvnt::autocure::test::ScratchNetns;
    if (auto why = ScratchNetns::unavailableReason()) {
        std::cout << "SKIPPED: " << *why << "\n";
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
