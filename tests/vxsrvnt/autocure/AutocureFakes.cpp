// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/autocure/AutocureFakes.h"

namespace velnet::vxsrvnt::autocure::test {

velnet::Result<std::vector<LinkCounters>> ScriptedCounterSource::readAll()
{
    if (failing)
        return velnet::fail("scripted failure");
    if (!base_) {
        std::vector<LinkCounters> out;
        for (const auto& [ifindex, link] : links)
            out.push_back(link);
        return out;
    }
    auto read = base_->readAll();
    if (!read.ok())
        return read;
    for (LinkCounters& link : *read) {
        auto it = links.find(link.ifindex);
        if (it == links.end())
            continue;
        link.rxErrors += it->second.rxErrors;
        link.txErrors += it->second.txErrors;
        link.rxDropped += it->second.rxDropped;
        link.txDropped += it->second.txDropped;
        link.rxPackets += it->second.rxPackets;
        link.txPackets += it->second.txPackets;
    }
    return read;
}

SelfTestOutcome RecordingActions::selfTest(const std::string& ifname, std::string& detail)
{
    calls.push_back("selftest " + ifname);
    if (selfTestAnswer == SelfTestOutcome::Failed)
        detail = "register test";
    return selfTestAnswer;
}

velnet::Outcome RecordingActions::cure(int, const std::string& ifname, std::string& how)
{
    calls.push_back("cure " + ifname);
    if (!cureError.empty())
        return velnet::fail(cureError);
    how = "link down and up";
    return {};
}

std::optional<int> RecordingActions::activeMember(int bondIfindex)
{
    auto it = activeByBond.find(bondIfindex);
    return it == activeByBond.end() ? std::optional<int>() : it->second;
}

velnet::Outcome RecordingActions::makeActive(int bondIfindex, int memberIfindex)
{
    calls.push_back("active " + std::to_string(bondIfindex) + " " + std::to_string(memberIfindex));
    activeByBond[bondIfindex] = memberIfindex;
    return {};
}

velnet::Outcome RecordingActions::restoreLinks()
{
    calls.push_back("restore");
    return {};
}

std::string RecordingSink::events() const
{
    std::string out;
    for (const Alert& a : written)
        out += (out.empty() ? "" : ",") + a.event;
    return out;
}

} // namespace velnet::vxsrvnt::autocure::test
