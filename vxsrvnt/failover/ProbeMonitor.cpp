// SPDX-License-Identifier: MIT
#include "vxsrvnt/failover/ProbeMonitor.h"

#include "vxsrvnt/apply/DesiredState.h"

#include <algorithm>

namespace velnet::vxsrvnt::failover {

using autocure::Alert;
using autocure::AlertKind;
using autocure::LinkCounters;

namespace {

constexpr int kMinimumLimit = 2; // one late packet is not a fault

bool working(const LinkCounters* link)
{
    return link && link->working();
}

// Whether traffic goes back to the primary once it works again, as the
// bond's own fail-back does.
bool failsBack(const FailoverSettings& failover)
{
    return failover.preferredNic == "Enabled" && failover.nicSwitchForever != "Enabled";
}

} // namespace

ProbeMonitor::ProbeMonitor(ProbeTransport& transport, autocure::NicActions& actions,
                           autocure::AlertSink& alerts)
    : transport_(transport), actions_(actions), alerts_(alerts)
{
}

ProbeMonitor::~ProbeMonitor()
{
    for (auto& [primary, pair] : pairs_)
        closePair(pair);
}

void ProbeMonitor::configure(const DriverConfig& config, const std::vector<NicBinding>& nics)
{
    std::map<int, Pair> wanted;
    for (const WantedBond& bond : DesiredState::from(config, nics).bonds) {
        const AdapterConfig* backup = config.adapter(bond.backupAdapter);
        Pair pair;
        pair.failover = backup ? backup->failover : FailoverSettings{};
        if (pair.failover.nicDiagnosticPackets != "Enabled")
            continue;
        pair.members[0].binding = bond.primary;
        pair.members[1].binding = bond.backup;
        for (Member& member : pair.members) {
            member.address = probeAddress(member.binding);
            const AdapterConfig* adapter = config.adapter(member.binding.adapterNumber);
            // The autocure monitor warns of a bad AlertType; read it by its rule.
            std::vector<std::string> warnedThere;
            member.alertMask =
                adapter ? autocure::AcdPolicy::fromSettings(adapter->acd, warnedThere).alertMask
                        : autocure::AcdPolicy::kDefaultAlertMask;
        }
        wanted.emplace(bond.primaryAdapter, std::move(pair));
    }

    for (auto& [primary, old] : pairs_) {
        const auto kept = wanted.find(primary);
        const bool same = kept != wanted.end() && kept->second.failover == old.failover &&
                          kept->second.members[0].binding == old.members[0].binding &&
                          kept->second.members[1].binding == old.members[1].binding;
        if (same) {
            for (int i = 0; i < 2; ++i)
                old.members[i].alertMask = kept->second.members[i].alertMask;
            kept->second = std::move(old);
        } else {
            closePair(old);
        }
    }
    pairs_ = std::move(wanted);
    for (auto& [primary, pair] : pairs_)
        if (!pair.open)
            open(pair);
}

void ProbeMonitor::open(Pair& pair)
{
    for (Member& member : pair.members) {
        auto opened = transport_.open(member.binding.ifindex, member.binding.ifname);
        if (!opened.ok()) {
            Member& other = &member == &pair.members[0] ? pair.members[1] : pair.members[0];
            emit(member, AlertKind::Warning, "probes-unavailable",
                 "no diagnostic packets with " + other.binding.ifname + ": " + opened.error(),
                 other);
            closePair(pair);
            return;
        }
    }
    pair.open = true;
}

void ProbeMonitor::closePair(Pair& pair)
{
    for (const Member& member : pair.members)
        transport_.close(member.binding.ifindex);
    pair.open = false;
}

void ProbeMonitor::tick(const std::vector<LinkCounters>& links)
{
    for (auto& [primary, pair] : pairs_) {
        if (!pair.open)
            continue;
        const std::array<const LinkCounters*, 2> link = {
            autocure::findLink(links, pair.members[0].binding.ifindex),
            autocure::findLink(links, pair.members[1].binding.ifindex)};
        const bool bothWorking = working(link[0]) && working(link[1]);
        listen(pair, bothWorking);
        if (bothWorking && link[0]->master != 0 && link[0]->master == link[1]->master)
            judge(pair, link[0]->master);
        send(pair, link);
    }
}

int ProbeMonitor::limit(const Pair& pair) const
{
    const auto count = std::min(pair.failover.failureCount, kMaxFailureCount);
    return std::max(static_cast<int>(count), kMinimumLimit);
}

void ProbeMonitor::listen(Pair& pair, bool bothWorking)
{
    for (int i = 0; i < 2; ++i) {
        Member& member = pair.members[i];
        const Member& partner = pair.members[1 - i];
        bool heard = false;
        for (const auto& frame : transport_.receive(member.binding.ifindex))
            heard = heard || isProbeFrom(frame, partner.address);
        if (!bothWorking) {
            // A lost carrier is the MII monitor's; start afresh after it.
            member.missed = member.heard = 0;
            continue;
        }
        if (heard) {
            member.missed = 0;
            ++member.heard;
        } else if (partner.sent) {
            ++member.missed;
            member.heard = 0;
        }
        if (member.missed >= limit(pair))
            member.deaf = true;
        if (member.deaf && member.heard >= limit(pair)) {
            member.deaf = false;
            if (member.reported)
                emit(member, AlertKind::Information, "probes-heard",
                     "hears " + partner.binding.ifname + "'s diagnostic packets again", partner);
            member.reported = false;
            if (pair.leftDeaf == i)
                pair.leftDeaf = -1;
        }
    }
    if (!pair.members[0].deaf || !pair.members[1].deaf)
        pair.bothReported = false;
}

void ProbeMonitor::judge(Pair& pair, int bond)
{
    if (!pair.members[0].deaf && !pair.members[1].deaf &&
        !(pair.tookFromPrimary && failsBack(pair.failover)))
        return; // all well, or nothing to hand back: the bond need not be asked
    const std::optional<int> activeIndex = actions_.activeMember(bond);
    int active = -1;
    for (int i = 0; i < 2; ++i)
        if (activeIndex && *activeIndex == pair.members[i].binding.ifindex)
            active = i;
    if (active < 0)
        return; // no active member: the bond has nothing to hand over
    Member& current = pair.members[active];
    Member& standby = pair.members[1 - active];
    const bool checkStandby = pair.failover.alternateNicChecking == "Enabled";
    const std::string missed = std::to_string(limit(pair)) + " diagnostic packets";

    if (current.deaf) {
        const bool standbyFit = (!checkStandby || !standby.deaf) && pair.leftDeaf != 1 - active;
        if (standbyFit) {
            handOver(pair, bond, active, 1 - active,
                     "hears none of the last " + missed + " from " + standby.binding.ifname);
            return;
        }
        if (!pair.bothReported)
            emit(current, AlertKind::Error, "probes-lost",
                 "neither " + current.binding.ifname + " nor " + standby.binding.ifname +
                     " hears the other (the last " + missed +
                     "): one of them or the network between them has failed; the traffic "
                     "stays on " +
                     current.binding.ifname,
                 standby);
        pair.bothReported = current.reported = standby.reported = true;
        return;
    }
    if (standby.deaf && checkStandby && !standby.reported) {
        emit(standby, AlertKind::Warning, "standby-deaf",
             "hears none of the last " + missed + " from " + current.binding.ifname +
                 ": a failover to it would lose the traffic",
             current);
        standby.reported = true;
    }
    // The primary that traffic was taken from hears again: back to it as the
    // bond's own fail-back would go.
    if (active == 0)
        pair.tookFromPrimary = false;
    if (failsBack(pair.failover) && pair.tookFromPrimary && pair.leftDeaf < 0)
        handOver(pair, bond, 1, 0, "it hears " + current.binding.ifname + " again");
}

void ProbeMonitor::handOver(Pair& pair, int bond, int from, int to, const std::string& why)
{
    Member& leaving = pair.members[from];
    Member& taking = pair.members[to];
    auto moved = actions_.makeActive(bond, taking.binding.ifindex);
    if (!moved.ok()) {
        // A deaf member is tried again each tick, alerted once; a hand-back
        // is given up.
        if (!leaving.deaf || !leaving.reported)
            emit(leaving, AlertKind::Error, "hand-over-failed",
                 why + "; cannot hand the traffic over to " + taking.binding.ifname + ": " +
                     moved.error(),
                 taking);
        leaving.reported = leaving.deaf;
        pair.tookFromPrimary = pair.tookFromPrimary && leaving.deaf;
        return;
    }
    if (leaving.deaf) {
        emit(leaving, AlertKind::Warning, "probe-handover",
             why + ": traffic handed over to " + taking.binding.ifname, taking);
        leaving.reported = true;
        pair.leftDeaf = from;
        pair.tookFromPrimary = from == 0;
    } else {
        emit(taking, AlertKind::Information, "handed-back",
             "traffic handed back to " + taking.binding.ifname + ": " + why, leaving);
        pair.tookFromPrimary = false;
    }
}

void ProbeMonitor::send(Pair& pair, const std::array<const LinkCounters*, 2>& links)
{
    ++pair.sequence;
    for (int i = 0; i < 2; ++i) {
        Member& member = pair.members[i];
        member.sent =
            working(links[i]) &&
            transport_
                .send(member.binding.ifindex,
                      buildProbe(member.address, member.binding.adapterNumber, pair.sequence))
                .ok();
    }
}

std::vector<ProbeHealth> ProbeMonitor::snapshot() const
{
    std::vector<ProbeHealth> health;
    for (const auto& [primary, pair] : pairs_)
        for (int i = 0; pair.open && i < 2; ++i)
            health.push_back({pair.members[i].binding.adapterNumber,
                              pair.members[1 - i].binding.adapterNumber, pair.members[i].missed,
                              pair.members[i].deaf});
    std::sort(health.begin(), health.end(), [](const ProbeHealth& a, const ProbeHealth& b) {
        return a.adapterNumber < b.adapterNumber;
    });
    return health;
}

void ProbeMonitor::emit(const Member& about, AlertKind kind, const std::string& event,
                        const std::string& message, const Member& partner)
{
    if (!(about.alertMask & static_cast<std::uint32_t>(kind)))
        return;
    alerts_.write(Alert{
        kind,
        event,
        message,
        about.binding.ifname,
        about.binding.adapterNumber,
        {{"PARTNER", partner.binding.ifname}, {"MISSED_PACKETS", std::to_string(about.missed)}}});
}

} // namespace velnet::vxsrvnt::failover
