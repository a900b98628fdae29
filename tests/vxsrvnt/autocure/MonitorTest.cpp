// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/Monitor.h"

#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "vxsrvnt/autocure/NicWatch.h"

#include <gtest/gtest.h>
#include <limits>

namespace velnet::vxsrvnt::autocure {
namespace {

using test::ManualClock;
using test::RecordingActions;
using test::RecordingSink;
using test::ScriptedCounterSource;

AcdSettings acd(std::string level, std::uint32_t window, std::uint32_t ratio, std::string tolerance,
                std::uint32_t alerts)
{
    return {std::move(level), window, ratio, alerts, std::move(tolerance)};
}

// One window's traffic: good and bad packets, the link, the self test.
struct Traffic
{
    std::uint64_t good = 0;
    std::uint64_t bad = 0;
    bool carrier = true;
    SelfTestOutcome selfTest = SelfTestOutcome::Passed;
};

// A monitor with fakes around it and NICs "ethN" with ifindex N + 3.
struct Rig
{
    ScriptedCounterSource counters;
    RecordingActions actions;
    RecordingSink sink;
    ManualClock clock;
    Monitor monitor{counters, actions, sink, clock};
    DriverConfig config;
    std::vector<NicBinding> bindings;

    AdapterConfig& addNic(int adapter, const AcdSettings& settings)
    {
        AdapterConfig a;
        a.adapterNumber = adapter;
        a.acd = settings;
        config.adapters.push_back(a);
        const int ifindex = adapter + 2;
        const std::string name = "eth" + std::to_string(adapter - 1);
        bindings.push_back({adapter, name, ifindex, ""});
        LinkCounters& link = counters.links[ifindex];
        link.ifindex = ifindex;
        link.adminUp = link.carrier = true;
        return config.adapters.back();
    }
    LinkCounters& link(int adapter) { return counters.links.at(adapter + 2); }
    void configure() { monitor.configure(config, bindings); }
    void start()
    {
        configure();
        monitor.tick(); // the baseline reading
    }
    // `seconds` ticks, the traffic counted at the first one.
    void run(const std::map<int, Traffic>& traffic, int seconds)
    {
        for (int s = 1; s <= seconds; ++s) {
            for (const auto& [adapter, t] : traffic) {
                LinkCounters& l = link(adapter);
                l.carrier = t.carrier;
                if (s == 1) {
                    l.rxPackets += t.good;
                    l.rxErrors += t.bad;
                }
                actions.selfTestAnswer = t.selfTest;
            }
            clock.advanceSeconds(1);
            monitor.tick();
        }
    }
    const NicHealth health(int adapter) const
    {
        for (const NicHealth& h : monitor.snapshot())
            if (h.adapterNumber == adapter)
                return h;
        ADD_FAILURE() << "no adapter " << adapter;
        return {};
    }
    std::string calls() const
    {
        std::string out;
        for (const std::string& c : actions.calls)
            out += (out.empty() ? "" : ",") + c;
        return out;
    }
};

struct WindowCase
{
    const char* name;
    AcdSettings settings;
    std::vector<Traffic> windows;
    const char* verdicts; // one letter per window: Good, Bad, Idle, '-' none closed
    int cures;
    const char* events; // alerts written; nullptr: not checked
    const char* calls;  // NIC actions; nullptr: not checked
};

void PrintTo(const WindowCase& c, std::ostream* os)
{
    *os << c.name;
}

const Traffic G{1000, 0};
const Traffic B{940, 60}; // 6 % bad

const WindowCase kWindowCases[] = {
    {"LowCuresAfterOneBadWindowAndTheCureWorks",
     acd("Basic", 10, 5, "Low", 7),
     {B, G},
     "BG",
     1,
     "monitoring-started,bad-window,cured,cure-worked",
     "cure eth0,restore"},
    {"MediumNeedsThreeInARowAndAGoodWindowEndsTheRun",
     acd("Basic", 10, 5, "Medium", 7),
     {B, B, G, B, B, B},
     "BBGBBB",
     1,
     "monitoring-started,bad-window,bad-window,bad-window,bad-window,bad-window,cured",
     "cure eth0,restore"},
    {"HighNeedsFive",
     acd("Basic", 2, 5, "High", 7),
     {B, B, B, B, G, B, B, B, B, B},
     "BBBBGBBBBB",
     1,
     nullptr,
     "cure eth0,restore"},
    {"IdleWindowsNeitherBreakNorLengthenARun",
     acd("Basic", 10, 5, "Medium", 7),
     {B, {50, 40}, B, B},
     "BIBB",
     1,
     nullptr,
     nullptr},
    {"BelowThePacketFloorIdleAtItJudged",
     acd("Basic", 10, 5, "Low", 7),
     {{95, 4}, {95, 5}},
     "IB",
     1,
     nullptr,
     nullptr},
    {"RatioFiveFourPercentGoodFiveBad",
     acd("Basic", 10, 5, "Low", 7),
     {{96, 4}, {95, 5}},
     "GB",
     1,
     "monitoring-started,bad-window,cured",
     nullptr},
    {"RatioZeroAnyBadPacket",
     acd("Basic", 10, 0, "Low", 7),
     {{1000, 0}, {999, 1}},
     "GB",
     1,
     nullptr,
     nullptr},
    {"RatioHundredOnlyWhenEveryPacketIsBad",
     acd("Basic", 10, 100, "Low", 7),
     {{1, 999}, {0, 200}},
     "GB",
     1,
     nullptr,
     nullptr},
    {"LostLinkIsABadWindowWithoutTraffic",
     acd("Basic", 10, 5, "Low", 7),
     {{0, 0, false}, {0, 0, true}},
     "BI",
     1,
     "monitoring-started,link-lost,bad-window,cured",
     "cure eth0,restore"},
    // A reset NIC negotiates its link afresh: for ten seconds after a cure a
    // lost link does not count, then it does again.
    {"ALostLinkRightAfterACureDoesNotCount",
     acd("Basic", 2, 5, "Low", 7),
     {B, {1000, 0, false}, {1000, 0, false}},
     "BGG",
     1,
     "monitoring-started,bad-window,cured,cure-worked",
     nullptr},
    {"ALostLinkAfterTheGraceCounts",
     acd("Basic", 11, 5, "Low", 7),
     {B, {1000, 0, false}},
     "BB",
     1,
     "monitoring-started,bad-window,cured,link-lost,bad-window,cure-failed",
     nullptr},
    {"EnhancedFailedSelfTestIsABadWindow",
     acd("Enhanced", 10, 5, "Low", 7),
     {{1000, 0, true, SelfTestOutcome::Failed}},
     "B",
     1,
     "monitoring-started,self-test-failed,bad-window,cured",
     "selftest eth0,cure eth0,restore"},
    {"BasicNeverRunsTheSelfTest",
     acd("basic", 10, 5, "Low", 7),
     {{1000, 0, true, SelfTestOutcome::Failed}},
     "G",
     0,
     "monitoring-started",
     ""},
    {"EnhancedWithoutADriverSelfTestAsksOnce",
     acd("ENHANCED", 10, 5, "Low", 7),
     {{1000, 0, true, SelfTestOutcome::NotSupported}, G},
     "GG",
     0,
     nullptr,
     "selftest eth0"},
    {"OffWatchesNothing", acd("Off", 10, 5, "Low", 7), {B, B}, "--", 0, "", ""},
    {"WindowZeroWatchesNothing", acd("Basic", 0, 5, "Low", 7), {B, B}, "--", 0, "", ""},
    {"AlertTypeZeroWritesNothingYetCures",
     acd("Basic", 10, 5, "Low", 0),
     {B, G},
     "BG",
     1,
     "",
     "cure eth0,restore"},
    {"AlertTypeFourWritesErrorsOnly",
     acd("Basic", 10, 5, "Low", 4),
     {B, B},
     "BB",
     1,
     "cure-failed",
     nullptr},
    {"AlertTypeTwoWritesWarningsOnly",
     acd("Basic", 10, 5, "Low", 2),
     {B, G},
     "BG",
     1,
     "bad-window",
     nullptr},
    {"AlertTypeOneWritesInformationOnly",
     acd("Basic", 10, 5, "Low", 1),
     {B, G},
     "BG",
     1,
     "monitoring-started,cured,cure-worked",
     nullptr},
    // Cures at windows 1, 4, 8 and 14: after each that did not help, the
    // windows skipped double (1, 2, 4).
    {"ACureThatDoesNotHelpDoublesThePause",
     acd("Basic", 1, 5, "Low", 7),
     {B, B, B, B, B, B, B, B, B, B, B, B, B, B},
     "BBBBBBBBBBBBBB",
     4,
     nullptr,
     nullptr},
};

class WindowTable : public ::testing::TestWithParam<WindowCase>
{
};

TEST_P(WindowTable, VerdictsCuresAlerts)
{
    const WindowCase& c = GetParam();
    Rig rig;
    rig.addNic(1, c.settings);
    rig.start();
    std::vector<std::string> warnings;
    const int seconds =
        std::max<std::uint32_t>(1, AcdPolicy::fromSettings(c.settings, warnings).windowSeconds);
    std::string verdicts;
    for (const Traffic& t : c.windows) {
        const auto before = rig.clock.time;
        rig.run({{1, t}}, seconds);
        const auto last = rig.health(1).lastWindow;
        const bool closed =
            last && rig.health(1).windowElapsedSeconds == 0 && rig.clock.time > before;
        verdicts += closed ? static_cast<char>(std::toupper(verdictName(last->verdict)[0])) : '-';
    }
    EXPECT_EQ(verdicts, c.verdicts);
    EXPECT_EQ(rig.health(1).cures, c.cures);
    if (c.events) {
        EXPECT_EQ(rig.sink.events(), c.events);
    }
    if (c.calls) {
        EXPECT_EQ(rig.calls(), c.calls);
    }
}

INSTANTIATE_TEST_SUITE_P(Autocure, WindowTable, ::testing::ValuesIn(kWindowCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct GrowthCase
{
    std::uint64_t before;
    std::uint64_t now;
    std::uint64_t growth;
};

TEST(CounterGrowth, WrapsAndResets)
{
    constexpr std::uint64_t max32 = std::numeric_limits<std::uint32_t>::max();
    constexpr std::uint64_t max64 = std::numeric_limits<std::uint64_t>::max();
    const GrowthCase cases[] = {
        {10, 15, 5},
        {7, 7, 0},
        {max32 - 4, 5, 10}, // a 32-bit counter wrapped
        {max64 - 2, 2, 5},  // a 64-bit one wrapped
        {1000, 10, 10},     // reset: what it counted since
        {std::uint64_t{1} << 40, 7, 7},
        {max32 - 4, max32, 4},
    };
    for (const GrowthCase& c : cases)
        EXPECT_EQ(counterGrowth(c.before, c.now), c.growth) << c.before << " -> " << c.now;
}

TEST(Monitor, ACounterResetMidWindowCountsOnlyWhatCameSince)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 10, 5, "Low", 7));
    rig.link(1).rxPackets = 5'000'000;
    rig.link(1).rxErrors = 90'000;
    rig.start();
    rig.run({}, 3);
    rig.link(1).rxPackets = 500; // the driver started again from zero
    rig.link(1).rxErrors = 0;
    rig.run({}, 7);
    ASSERT_TRUE(rig.health(1).lastWindow);
    EXPECT_EQ(rig.health(1).lastWindow->packets, 500u);
    EXPECT_EQ(rig.health(1).lastWindow->badPackets, 0u);
    EXPECT_EQ(rig.health(1).lastWindow->verdict, WindowVerdict::Good);
}

TEST(Monitor, ANicThatDisappearsIsReportedOnceAndNeverCured)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 2, 5, "Low", 7));
    rig.start();
    const LinkCounters saved = rig.link(1);
    rig.counters.links.erase(saved.ifindex);
    rig.run({}, 6);
    EXPECT_EQ(rig.sink.events(), "monitoring-started,nic-gone");
    EXPECT_EQ(rig.sink.written.back().kind, AlertKind::Error);
    EXPECT_EQ(rig.health(1).state, NicState::Gone);
    EXPECT_EQ(rig.calls(), "");

    rig.counters.links[saved.ifindex] = saved;
    rig.run({}, 1); // back: a fresh window from this reading
    rig.run({{1, B}}, 2);
    EXPECT_EQ(rig.health(1).state, NicState::Watching);
    EXPECT_EQ(rig.health(1).cures, 1);
}

TEST(Monitor, UnreadableCountersAreReportedOnceAndJudgeNothing)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 1, 5, "Low", 0));
    rig.start();
    rig.counters.failing = true;
    rig.run({}, 3);
    EXPECT_EQ(rig.sink.events(), "counters-unreadable"); // even with AlertType 0
    EXPECT_FALSE(rig.health(1).lastWindow);
}

TEST(Monitor, ACureTheNicRefusesIsAnErrorAndWaits)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 1, 5, "Low", 4));
    rig.actions.cureError = "Operation not permitted";
    rig.start();
    rig.run({{1, B}}, 2);
    EXPECT_EQ(rig.sink.events(), "cure-impossible"); // the second window is the pause
    EXPECT_EQ(rig.health(1).cures, 0);
    EXPECT_EQ(rig.calls(), "cure eth0");
}

// Adapter 1 (eth0, ifindex 3) is the primary, adapter 2 (eth1, ifindex 4)
// its backup, both in bond ifindex 10.
struct PairCase
{
    const char* name;
    bool primaryActive;
    bool backupSick;
    const char* calls;
    const char* lastEvent;
};

void PrintTo(const PairCase& c, std::ostream* os)
{
    *os << c.name;
}

class PairTable : public ::testing::TestWithParam<PairCase>
{
};

TEST_P(PairTable, CuresOnlyBehindAHealthyPartner)
{
    const PairCase& c = GetParam();
    Rig rig;
    rig.addNic(1, acd("Basic", 1, 5, "Low", 7)).backupAdapter = 2;
    rig.addNic(2, acd("Basic", 1, 5, "Low", 7)).primaryAdapter = 1;
    rig.link(1).master = rig.link(2).master = 10;
    rig.actions.activeByBond[10] = c.primaryActive ? 3 : 4;
    rig.start();
    rig.run({{1, B}, {2, c.backupSick ? B : G}}, 1);
    EXPECT_EQ(rig.calls(), c.calls);
    EXPECT_EQ(rig.sink.written.back().event, c.lastEvent);
}

const PairCase kPairCases[] = {
    {"ActiveMemberHandsOverFirst", true, false, "active 10 4,cure eth0,restore", "cured"},
    {"BackupMemberIsCuredInPlace", false, false, "cure eth0,restore", "cured"},
    {"BothSickAlertOnly", true, true, "", "pair-sick"},
};

INSTANTIATE_TEST_SUITE_P(Autocure, PairTable, ::testing::ValuesIn(kPairCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Monitor, BothSickIsAnError)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 1, 5, "Low", 4)).backupAdapter = 2;
    rig.addNic(2, acd("Basic", 1, 5, "Low", 4)).primaryAdapter = 1;
    rig.start();
    rig.run({{1, B}, {2, B}}, 1);
    EXPECT_EQ(rig.sink.events(), "pair-sick,pair-sick");
    EXPECT_EQ(rig.calls(), "");
}

TEST(Monitor, AChangedValueKeepsTheWindowInProgress)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 10, 5, "Low", 7));
    rig.start();
    rig.run({{1, {900, 100}}}, 5); // 10 % bad so far
    rig.config.adapters[0].acd.samplingRatio = 50;
    rig.configure();
    EXPECT_DOUBLE_EQ(rig.health(1).windowElapsedSeconds, 5);
    rig.run({}, 5);
    ASSERT_TRUE(rig.health(1).lastWindow);
    EXPECT_EQ(rig.health(1).lastWindow->packets, 900u);
    EXPECT_EQ(rig.health(1).lastWindow->verdict, WindowVerdict::Good); // by the new ratio
    EXPECT_EQ(rig.sink.events(), "monitoring-started,monitoring-changed");
}

TEST(Monitor, AnUnknownValueWarnsOnceUntilItChanges)
{
    Rig rig;
    rig.addNic(1, acd("Extreme", 70000, 5, "Medium", 0));
    rig.configure();
    rig.configure();
    EXPECT_EQ(rig.sink.events(), "bad-value,bad-value");
    EXPECT_EQ(rig.health(1).policy.level, SelfCheckLevel::Basic);
    EXPECT_EQ(rig.health(1).policy.windowSeconds, AcdPolicy::kDefaultWindowSeconds);
    rig.config.adapters[0].acd.selfCheckLevel = "Enhanced";
    rig.configure();
    EXPECT_EQ(rig.sink.events(), "bad-value,bad-value,bad-value"); // the window is still wrong
}

TEST(Monitor, TurnedOffStopsAndSaysSo)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 1, 5, "Low", 7));
    rig.start();
    rig.config.adapters[0].acd.selfCheckLevel = "Off";
    rig.configure();
    rig.run({{1, B}}, 3);
    EXPECT_EQ(rig.sink.events(), "monitoring-started,monitoring-stopped");
    EXPECT_EQ(rig.health(1).state, NicState::Off);
    EXPECT_EQ(rig.calls(), "");
}

TEST(Monitor, ARenamedOrReplacedInterfaceStartsAFreshWindow)
{
    Rig rig;
    rig.addNic(1, acd("Basic", 10, 5, "Low", 7));
    rig.start();
    rig.run({}, 4);
    LinkCounters moved = rig.link(1);
    rig.counters.links.erase(moved.ifindex);
    moved.ifindex = 42;
    rig.counters.links[42] = moved;
    rig.bindings[0] = {1, "lan0", 42, ""};
    rig.configure();
    EXPECT_DOUBLE_EQ(rig.health(1).windowElapsedSeconds, 0);
    EXPECT_EQ(rig.health(1).ifname, "lan0");
    EXPECT_EQ(rig.sink.events(), "monitoring-started"); // same values: nothing to say
}

} // namespace
} // namespace velnet::vxsrvnt::autocure
