// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AlertSink.h"
#include "vxsrvnt/autocure/Clock.h"
#include "vxsrvnt/autocure/CounterSource.h"
#include "vxsrvnt/autocure/NicActions.h"

#include <map>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::autocure::test {

// Counters a test writes: the links it puts in `links` are what the next
// readAll() answers. With a `base`, the base's links are read and the
// scripted error and drop counters of the same ifindex are added to them, so
// that a real veth (which never errs) looks sick while the kernel keeps its
// link state.
class ScriptedCounterSource : public CounterSource
{
public:
    explicit ScriptedCounterSource(CounterSource* base = nullptr) : base_(base) {}

    std::map<int, LinkCounters> links;
    bool failing = false;

    velnet::Result<std::vector<LinkCounters>> readAll() override;

private:
    CounterSource* base_;
};

// Says what it was asked to do, one line per call ("cure eth0",
// "active 10 3", "selftest eth0", "restore"), and answers what the test set.
class RecordingActions : public NicActions
{
public:
    std::vector<std::string> calls;
    SelfTestOutcome selfTestAnswer = SelfTestOutcome::Passed;
    std::map<int, int> activeByBond;
    std::string cureError;

    SelfTestOutcome selfTest(const std::string& ifname, std::string& detail) override;
    velnet::Outcome cure(int ifindex, const std::string& ifname, std::string& how) override;
    std::optional<int> activeMember(int bondIfindex) override;
    velnet::Outcome makeActive(int bondIfindex, int memberIfindex) override;
    velnet::Outcome restoreLinks() override;
};

class RecordingSink : public AlertSink
{
public:
    std::vector<Alert> written;
    void write(const Alert& alert) override { written.push_back(alert); }
    // The events written, comma-separated: "monitoring-started,bad-window".
    std::string events() const;
};

class ManualClock : public Clock
{
public:
    std::chrono::milliseconds time{0};
    std::chrono::milliseconds now() const override { return time; }
    void advanceSeconds(int seconds) { time += std::chrono::seconds(seconds); }
};

} // namespace velnet::vxsrvnt::autocure::test
