// SPDX-License-Identifier: MIT
// The monitor on real links of a namespace of the test's own: veth never
// errs, so the error counters are scripted on top of the kernel's; the cure
// is the kernel's, and seen by `ip monitor`, not by our code. Its alerts in
// a journal of the test's own, read back with journalctl.
#include "linux/netlink/Rtnl.h"
#include "tests/support/RunInChild.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/autocure/LinkMonitor.h"
#include "tests/vxsrvnt/autocure/PrivateJournal.h"
#include "tests/vxsrvnt/autocure/ScratchNetns.h"
#include "vxsrvnt/autocure/JournalAlertSink.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/Monitor.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"

#include <gtest/gtest.h>
#include <iostream>

namespace velnet::vxsrvnt::autocure {
namespace {

using test::LinkMonitor;
using test::ManualClock;
using test::PrivateJournal;
using test::RecordingSink;
using test::ScratchNetns;
using test::ScriptedCounterSource;

// vxnic0, adapter 1, "Enhanced", 1 s, 5 %, "Low", all alerts: one window
// with 100 errors in 1100 packets. Answers the cures and restores counted.
std::pair<int, int> cureOneBadWindow(const ScratchNetns& netns, AlertSink& alerts)
{
    const int ifindex = netns.ifindex("vxnic0");
    ScratchNetns::Inside inside(netns);
    auto rtnl = netlink::Rtnl::open();
    if (!rtnl.ok())
        return {-1, -1};
    RtnlCounterSource kernel(*rtnl);
    ScriptedCounterSource counters(&kernel);
    int restored = 0;
    LinuxNicActions actions(*rtnl, [&] {
        ++restored;
        return velnet::Outcome{};
    });
    ManualClock clock;
    Monitor monitor(counters, actions, alerts, clock);
    DriverConfig config;
    config.adapters.push_back({});
    config.adapters[0].adapterNumber = 1;
    config.adapters[0].acd = {"Enhanced", 1, 5, 7, "Low"};
    monitor.configure(config, {{1, "vxnic0", ifindex, ""}});
    monitor.tick();
    counters.links[ifindex] = {ifindex, true, true, 0, 1000, 0, 100, 0, 0, 0};
    clock.advanceSeconds(1);
    monitor.tick();
    return {monitor.snapshot().at(0).cures, restored};
}

void makeNic(const ScratchNetns& netns)
{
    netns.ip({"link", "add", "vxnic0", "type", "veth", "peer", "name", "vxpeer0"});
    netns.ip({"link", "set", "vxnic0", "up"});
    netns.ip({"link", "set", "vxpeer0", "up"});
}

TEST(AutocureNetns, ABadStandAloneNicIsTakenDownAndUp)
{
    ScratchNetns netns("acure");
    makeNic(netns);
    LinkMonitor events(netns);
    RecordingSink sink;
    EXPECT_EQ(cureOneBadWindow(netns, sink), std::make_pair(1, 1));
    // veth has neither an online self test nor ETHTOOL_RESET.
    EXPECT_EQ(sink.events(), "monitoring-started,bad-window,cured");
    EXPECT_EQ(sink.written.back().fields.at(0),
              (std::pair<std::string, std::string>{"CURE", "link down and up"}));
    EXPECT_EQ(events.history("vxnic0"), "down,up");
}

TEST(AutocureNetns, AlertsReachTheJournalWithOurMessageIdAndPriorities)
{
    // In a child: the journal and the namespace live in its own mounts.
    const auto child = velnet::test::runInChild([](std::string& report) {
        PrivateJournal journal;
        if (auto why = journal.start()) {
            report = *why;
            return velnet::test::kChildCannotRun;
        }
        ScratchNetns netns("journal");
        makeNic(netns);
        JournalAlertSink sink;
        if (!JournalAlertSink::journalAvailable() ||
            cureOneBadWindow(netns, sink) != std::make_pair(1, 1)) {
            report = "no journal seen, or no cure";
            return 1;
        }
        const std::string id = std::string("MESSAGE_ID=") + JournalAlertSink::kMessageId;
        if (PrivateJournal::entries("VXSRVNT_EVENT=cured").empty()) {
            report = "the cure's alert is not in the journal";
            return 1;
        }
        for (const auto& e : PrivateJournal::entries(id))
            report += e.value("VXSRVNT_EVENT", "?") + " " + e.value("PRIORITY", "?") + " " +
                      e.value("INTERFACE", "?") + " " + e.value("ADAPTER_NUMBER", "?") + "\n";
        std::cout << PrivateJournal::text("short-iso", id) << std::flush;
        return 0;
    });
    if (child.exitCode == velnet::test::kChildCannotRun)
        GTEST_SKIP() << child.output;
    ASSERT_EQ(child.exitCode, 0) << child.output;
    EXPECT_EQ(child.output, "monitoring-started 6 vxnic0 1\n"
                            "bad-window 4 vxnic0 1\n"
                            "cured 6 vxnic0 1\n");
}

} // namespace
} // namespace velnet::vxsrvnt::autocure

int main(int argc, char** argv)
{
    return velnet::vxsrvnt::autocure::test::ScratchNetns::runAllTestsOrSkip(argc, argv);
}
