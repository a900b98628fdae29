// SPDX-License-Identifier: MIT
// The pairs' diagnostic packets over a simulated wire: which member goes
// deaf, when the traffic moves, what is alerted, by the failover values.
#include "vxsrvnt/failover/ProbeMonitor.h"

#include "tests/support/TempDir.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/failover/ProbePair.h"
#include "vxsrvnt/failover/ProbeFrame.h"
#include "vxsrvnt/service/HealthFile.h"

#include <gtest/gtest.h>
#include <set>

namespace velnet::vxsrvnt::failover {
namespace {

using autocure::AlertKind;
using autocure::test::RecordingActions;
using autocure::test::RecordingSink;

constexpr int kPrimary = 10; // eth-a, adapter 1
constexpr int kBackup = 11;  // eth-b, adapter 2
constexpr int kBond = 20;

// Every frame sent on one member arrives at the other, unless the test cut
// that direction.
class Wire : public ProbeTransport
{
public:
    std::set<int> openMembers;
    std::set<std::pair<int, int>> cut; // (from, to)
    int framesSent = 0;

    velnet::Outcome open(int ifindex, const std::string&) override
    {
        openMembers.insert(ifindex);
        return {};
    }
    void close(int ifindex) override { openMembers.erase(ifindex); }
    velnet::Outcome send(int from, std::span<const std::uint8_t> frame) override
    {
        ++framesSent;
        for (int to : openMembers)
            if (to != from && !cut.count({from, to}))
                inbox_[to].emplace_back(frame.begin(), frame.end());
        return {};
    }
    std::vector<std::vector<std::uint8_t>> receive(int ifindex) override
    {
        return std::exchange(inbox_[ifindex], {});
    }

private:
    std::map<int, std::vector<std::vector<std::uint8_t>>> inbox_;
};

struct Values
{
    std::string preferredNic = "Enabled";
    std::string nicSwitchForever = "Disabled";
    std::string alternateNicChecking = "Enabled";
    std::string nicDiagnosticPackets = "Enabled";
    std::uint32_t alertType = 7;
};

class ProbeMonitorTest : public ::testing::Test
{
protected:
    void start(const Values& values = {})
    {
        const DriverConfig config =
            test::probedPair({2, values.preferredNic, values.alternateNicChecking,
                              values.nicDiagnosticPackets, values.nicSwitchForever},
                             values.alertType);
        for (const int ifindex : {kPrimary, kBackup})
            links_[ifindex] = {ifindex, true, true, kBond, 0, 0, 0, 0, 0, 0};
        actions_.activeByBond[kBond] = kPrimary;
        nics_ = {{1, "eth-a", kPrimary, "00:a0:cc:00:00:01"},
                 {2, "eth-b", kBackup, "00:a0:cc:00:00:02"}};
        monitor_.configure(config, nics_);
    }

    void ticks(int count)
    {
        std::vector<autocure::LinkCounters> reading; // by ascending ifindex, as the map holds them
        for (const auto& [ifindex, link] : links_)
            reading.push_back(link);
        for (int i = 0; i < count; ++i)
            monitor_.tick(reading);
    }
    int active() { return actions_.activeByBond[kBond]; }

    Wire wire_;
    std::map<int, autocure::LinkCounters> links_;
    RecordingActions actions_;
    RecordingSink sink_;
    ProbeMonitor monitor_{wire_, actions_, sink_};
    std::vector<NicBinding> nics_;
};

TEST_F(ProbeMonitorTest, membersThatHearEachOtherAreLeftAlone)
{
    start();
    ticks(10);
    EXPECT_EQ(wire_.framesSent, 20);
    EXPECT_TRUE(actions_.calls.empty());
    EXPECT_EQ(sink_.events(), "");
    const std::vector<ProbeHealth> health = monitor_.snapshot();
    ASSERT_EQ(health.size(), 2u);
    for (const ProbeHealth& member : health)
        EXPECT_EQ(member.missedInARow, 0) << member.adapterNumber;
}

struct FailBack
{
    std::string preferredNic;
    std::string nicSwitchForever;
    bool back;
};

class ProbeFailBackTest : public ProbeMonitorTest, public ::testing::WithParamInterface<FailBack>
{
};

TEST_P(ProbeFailBackTest, aDeafActiveMemberHandsOverAndGetsTheTrafficBackAsTheBondWould)
{
    start({GetParam().preferredNic, GetParam().nicSwitchForever});
    ticks(1);
    wire_.cut.insert({kBackup, kPrimary}); // from the packets of the next tick on
    ticks(2);
    EXPECT_EQ(active(), kPrimary) << "one packet missed is not deafness";
    ticks(1);
    EXPECT_EQ(active(), kBackup);
    ASSERT_EQ(sink_.written.size(), 1u);
    EXPECT_EQ(sink_.written[0].kind, AlertKind::Warning);
    EXPECT_EQ(sink_.written[0].ifname, "eth-a");
    EXPECT_EQ(
        sink_.written[0].message,
        "hears none of the last 2 diagnostic packets from eth-b: traffic handed over to eth-b");

    wire_.cut.clear();
    ticks(3);
    EXPECT_EQ(active(), GetParam().back ? kPrimary : kBackup);
    EXPECT_EQ(sink_.events(), GetParam().back ? "probe-handover,probes-heard,handed-back"
                                              : "probe-handover,probes-heard");
    ticks(5);
    EXPECT_EQ(actions_.calls.size(), GetParam().back ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Values, ProbeFailBackTest,
                         ::testing::Values(FailBack{"Enabled", "Disabled", true},
                                           FailBack{"Enabled", "Enabled", false},
                                           FailBack{"Disabled", "Disabled", false}));

struct Loss
{
    const char* name;
    std::set<std::pair<int, int>> cut;
    std::string alternateNicChecking;
    std::vector<std::string> calls;
    std::string events;
};

class ProbeLossTest : public ProbeMonitorTest, public ::testing::WithParamInterface<Loss>
{
};

TEST_P(ProbeLossTest, lossIsJudgedByWhichMemberIsDeafAndAlternateNicChecking)
{
    start({"Enabled", "Disabled", GetParam().alternateNicChecking});
    ticks(1);
    wire_.cut = GetParam().cut;
    ticks(10);
    EXPECT_EQ(actions_.calls, GetParam().calls);
    EXPECT_EQ(sink_.events(), GetParam().events);
}

const std::set<std::pair<int, int>> kBothWays = {{kPrimary, kBackup}, {kBackup, kPrimary}};
const std::string kToBackup = "active 20 11";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeLossTest,
    ::testing::Values(
        Loss{"standbyDeafChecked", {{kPrimary, kBackup}}, "Enabled", {}, "standby-deaf"},
        Loss{"standbyDeafUnchecked", {{kPrimary, kBackup}}, "Disabled", {}, ""},
        Loss{"bothDeafChecked", kBothWays, "Enabled", {}, "probes-lost"},
        // Taken on trust: one hand-over, then no way back to the member left.
        Loss{
            "bothDeafUnchecked", kBothWays, "Disabled", {kToBackup}, "probe-handover,probes-lost"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProbeMonitorTest, nothingIsJudgedWhileAMemberHasNoCarrier)
{
    start();
    ticks(1);
    wire_.cut = kBothWays;
    links_[kBackup].carrier = false;
    ticks(10);
    EXPECT_TRUE(actions_.calls.empty());
    EXPECT_EQ(sink_.events(), "");
}

TEST_F(ProbeMonitorTest, alertTypeSilencesTheAlertsButNotTheHandOver)
{
    start({.alertType = 1}); // Information only
    ticks(1);
    wire_.cut.insert({kBackup, kPrimary});
    ticks(3);
    EXPECT_EQ(active(), kBackup);
    EXPECT_EQ(sink_.events(), "");
}

TEST_F(ProbeMonitorTest, diagnosticPacketsDisabledSendsNothing)
{
    start({.nicDiagnosticPackets = "Disabled"});
    ticks(5);
    EXPECT_EQ(wire_.framesSent, 0);
    EXPECT_TRUE(wire_.openMembers.empty());
    EXPECT_TRUE(monitor_.snapshot().empty());
}

TEST_F(ProbeMonitorTest, aReloadOfTheSamePairKeepsItsCountsAndNoPairClosesTheSockets)
{
    start();
    ticks(1);
    wire_.cut.insert({kBackup, kPrimary});
    ticks(2); // one packet missed
    start();  // the same store again
    ticks(1); // the second: deaf
    EXPECT_EQ(active(), kBackup);

    monitor_.configure(DriverConfig{}, {});
    EXPECT_TRUE(wire_.openMembers.empty());
    EXPECT_TRUE(monitor_.snapshot().empty());
}

TEST(ProbeFrameTest, probesAreKnownByTheirSenderAndNothingElse)
{
    const NicBinding a{1, "eth-a", 10, "00:a0:cc:00:00:01"};
    const NicBinding b{2, "eth-b", 11, "00:a0:cc:00:00:02"};
    const MacAddress fromA = probeAddress(a);
    EXPECT_EQ(fromA, probeAddress(NicBinding{1, "renamed", 30, a.permanentMac}));
    EXPECT_NE(fromA, probeAddress(b));
    EXPECT_EQ(fromA[0] & 0x03, 0x02) << "unicast and locally administered";

    const auto probe = buildProbe(fromA, 1, 7);
    EXPECT_TRUE(isProbeFrom(probe, fromA));
    EXPECT_FALSE(isProbeFrom(probe, probeAddress(b)));

    cfmecho::LoopbackFrame other;
    other.source = fromA;
    other.destination = cfmecho::classOneMulticast(kProbeMdLevel);
    other.mdLevel = 7; // the echo test's level
    EXPECT_FALSE(isProbeFrom(cfmecho::buildLoopbackFrame(other), fromA));
    other.mdLevel = kProbeMdLevel;
    other.opcode = cfmecho::CfmOpcode::LoopbackReply;
    EXPECT_FALSE(isProbeFrom(cfmecho::buildLoopbackFrame(other), fromA));
    EXPECT_FALSE(isProbeFrom(std::span(probe).first(20), fromA));
}

TEST(ProbeStatusTest, statusSaysWhatEachMemberHearsThroughTheHealthFile)
{
    const velnet::test::TempDir dir;
    const HealthFile file(dir.file("health.json"));
    const auto nic = [](int adapterNumber) {
        autocure::NicHealth health; // autocure off
        health.adapterNumber = adapterNumber;
        return health;
    };
    file.write({nic(1), nic(2), nic(3)}, {{1, 2, 0, false}, {2, 1, 3, true}});
    const auto adapters = file.read(60);
    ASSERT_TRUE(adapters.has_value());
    EXPECT_EQ(HealthFile::text((*adapters)["1"]),
              "Basic, off; diagnostic packets from adapter 2: heard");
    EXPECT_EQ(HealthFile::text((*adapters)["2"]),
              "Basic, off; diagnostic packets from adapter 1: not heard (3 missed in a row)");
    EXPECT_EQ(HealthFile::text((*adapters)["3"]), "Basic, off");
}

} // namespace
} // namespace velnet::vxsrvnt::failover
