// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AcdPolicy.h"
#include "vxsrvnt/autocure/AlertSink.h"
#include "vxsrvnt/autocure/LinkCounters.h"
#include "vxsrvnt/autocure/NicActions.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/failover/ProbeFrame.h"
#include "vxsrvnt/failover/ProbeHealth.h"
#include "vxsrvnt/failover/ProbeTransport.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::failover {

// The pairs' diagnostic packets (NicDiagnosticPackets): the bond's MII
// monitor sees a lost carrier, not a NIC that has its link and still does
// not receive. Each member of a pair sends one packet a tick (a second) to
// the other, across the network between them; a member that has not heard
// its partner's last FailureCount packets (at least 2) is deaf, and hears
// again after as many in a row.
//
// - A one-way loss counts against the receiver: a NIC that stops sending is
//   caught by the kernel's transmit watchdog; one that stops receiving is not.
// - The active member deaf: the traffic goes to the standby
//   (IFLA_BOND_ACTIVE_SLAVE), when its link is up and, with
//   AlternateNicChecking "Enabled", when it hears. With "Disabled" the
//   standby is taken on trust, but never handed back to while it is the
//   deaf member traffic was taken from. No hand-over possible: an Error.
// - The standby deaf, with AlternateNicChecking "Enabled": a Warning, for a
//   failover to it would lose the traffic. "Disabled": not reported.
// - A primary that traffic was taken from hears again: with PreferredNic
//   "Enabled" and NicSwitchForever "Disabled" (the bond's fail-back) the
//   traffic goes back to it; otherwise it stays.
// - While either member is down or has no carrier, or they are not in the
//   same bond, nothing is judged: the bond's MII monitor has the say.
//
// Alerts follow the AlertType of the NIC they are about.
class ProbeMonitor
{
public:
    ProbeMonitor(ProbeTransport& transport, autocure::NicActions& actions,
                 autocure::AlertSink& alerts);
    ~ProbeMonitor();

    // The pairs of the store whose NicDiagnosticPackets is "Enabled" and
    // whose two NICs are bound. A pair whose members, interfaces and values
    // did not change keeps its counts.
    void configure(const DriverConfig& config, const std::vector<NicBinding>& nics);

    // Takes the packets that came in, judges, hands over, sends the next.
    // `links` is this tick's reading of every link, the one the autocure
    // monitor took, by ascending ifindex.
    void tick(const std::vector<autocure::LinkCounters>& links);

    // The members of the pairs being probed, by adapter number.
    std::vector<ProbeHealth> snapshot() const;

private:
    struct Member
    {
        NicBinding binding;
        MacAddress address{};
        std::uint32_t alertMask = autocure::AcdPolicy::kDefaultAlertMask;
        int missed = 0;
        int heard = 0; // in a row
        bool deaf = false;
        bool reported = false; // its deafness was alerted
        bool sent = false;     // a packet went out at the last tick
    };
    struct Pair
    {
        std::array<Member, 2> members; // the primary, then the backup
        FailoverSettings failover;
        std::uint32_t sequence = 0;
        int leftDeaf = -1;            // the member traffic was taken from, while deaf
        bool tookFromPrimary = false; // the traffic left the primary for its deafness
        bool bothReported = false;    // no hand-over possible, alerted
        bool open = false;
    };

    void open(Pair& pair);
    void closePair(Pair& pair);
    void listen(Pair& pair, bool bothWorking);
    void judge(Pair& pair, int bond);
    void handOver(Pair& pair, int bond, int from, int to, const std::string& why);
    void send(Pair& pair, const std::array<const autocure::LinkCounters*, 2>& links);
    int limit(const Pair& pair) const;
    void emit(const Member& about, autocure::AlertKind kind, const std::string& event,
              const std::string& message, const Member& partner);

    ProbeTransport& transport_;
    autocure::NicActions& actions_;
    autocure::AlertSink& alerts_;
    std::map<int, Pair> pairs_; // by the primary's adapter number
};

} // namespace velnet::vxsrvnt::failover
