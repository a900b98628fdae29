// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AlertSink.h"
#include "vxsrvnt/autocure/Clock.h"
#include "vxsrvnt/autocure/CounterSource.h"
#include "vxsrvnt/autocure/NicActions.h"
#include "vxsrvnt/autocure/NicHealth.h"
#include "vxsrvnt/autocure/NicWatch.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace velnet::vxsrvnt::autocure {

// The autocure monitor: watches each bound NIC with its five ACD values,
// cures what it safely can and writes alerts.
//
// The service calls configure() at start and after every reload of the
// store, tick() about once a second from its loop, and snapshot() for
// `vxsrvnt status`. Everything runs on the caller's thread; nothing blocks
// longer than one rtnetlink dump, an online self test or a cure.
//
// - A window closes when SamplingWindow seconds have passed since it opened;
//   its figures are the counters' growth over the window, summed tick by
//   tick (a counter that goes backwards was reset: its growth since then
//   counts; a 32-bit counter that wraps counts across the wrap).
// - Bad window: the link was lost at a tick while the administrator wanted
//   it up, the online self test failed (Enhanced), or, with at least
//   AcdPolicy::kPacketFloor packets, the bad packets' share reached
//   SamplingRatio. Fewer packets: idle, which neither breaks nor lengthens a
//   run of bad windows; a good window ends the run.
// - ErrorTolerance bad windows in a row: a cure, at most one per window, and
//   only after the pause that each cure that did not help doubles (1, 2, 4 ..
//   64 windows). A cure helped when the next judged window is good.
// - A NIC in a pair is cured only when its partner is present, has its link
//   and has no bad window in its current run; the active member first hands
//   the traffic over. Both sick: an Error alert, no cure.
class Monitor
{
public:
    Monitor(CounterSource& counters, NicActions& actions, AlertSink& alerts, const Clock& clock);

    // A new store or new bindings: NICs whose values and interface did not
    // change keep their window in progress and their run; a changed value
    // takes effect at the window's close; a new or re-bound NIC starts
    // afresh. Unknown or out-of-range values are warned about once (again
    // only when they change). Adapters without binding count as gone.
    void configure(const DriverConfig& config, const std::vector<NicBinding>& nics);

    // Reads the counters (one dump), closes due windows, cures, alerts.
    void tick();

    // One entry per adapter of the last configure(), ascending.
    std::vector<NicHealth> snapshot() const;

    // Every link as the last tick read it, by ascending ifindex; null when
    // that tick could not read them.
    const std::vector<LinkCounters>* lastReading() const
    {
        return readFailing_ ? nullptr : &lastRead_;
    }

private:
    struct Nic
    {
        int adapterNumber = 0;
        AcdSettings settings;
        std::optional<NicBinding> binding;
        int partner = 0; // adapter number of the pair's other member, 0 when none
        NicWatch watch;
        bool gone = false;       // its interface was missing from the last reading
        bool noSelfTest = false; // its driver has no online self test
        std::optional<Alert> lastAlert;
        std::chrono::milliseconds lastAlertAt{0};
    };

    void closeWindow(Nic& nic);
    void considerCure(Nic& nic);
    bool partnerHealthy(const Nic& nic) const;
    bool handOver(Nic& nic, const LinkCounters& link);
    // Records the alert as the NIC's last and writes it when its kind's bit
    // is set in `mask` (the NIC's AlertType when not given).
    void emit(Nic& nic, Alert alert, std::optional<std::uint32_t> mask = std::nullopt);
    void emitAlways(Alert alert); // configuration warnings: not governed by AlertType
    Nic* find(int adapterNumber);
    const Nic* find(int adapterNumber) const;

    CounterSource& counters_;
    NicActions& actions_;
    AlertSink& alerts_;
    const Clock& clock_;
    std::map<int, Nic> nics_;
    // The last tick's reading, by ascending ifindex; null when not there.
    const LinkCounters* lastRead(int ifindex) const;
    std::vector<LinkCounters> lastRead_;
    bool readFailing_ = false;
};

} // namespace velnet::vxsrvnt::autocure
