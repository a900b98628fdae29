// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/FileRegistry.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/MachineNic.h"
#include "vxsrvnt/nics/NicBinding.h"
#include "vxsrvnt/service/HealthFile.h"
#include "vxsrvnt/service/RuntimeFiles.h"
#include "vxsrvnt/service/StoreWatcher.h"
#include "vxsrvnt/service/SystemdNotifier.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velnet::netlink {
class Rtnl;
}

namespace velnet::vxsrvnt::autocure {
class Monitor;
class RtnlCounterSource;
class LinuxNicActions;
class JournalAlertSink;
class SteadyClock;
} // namespace velnet::vxsrvnt::autocure

namespace velnet::vxsrvnt::failover {
class PacketProbeTransport;
class ProbeMonitor;
} // namespace velnet::vxsrvnt::failover

namespace velnet::vxsrvnt {

// `vxsrvnt run`, what the unit starts. At start: `install` (new NICs get
// their keys), then the store applied and the autocure monitor configured,
// then READY=1. A reload (SIGHUP, or the store changed on disk) applies the
// store again between RELOADING=1 and READY=1, reconfigures the monitor and,
// once applied, clears nicsetup's PromptForReboot: the saved configuration
// is in force without a restart. Once a second the monitor ticks, the pairs'
// diagnostic packets go out and are judged, and the health goes to the
// run-time folder for `status`. SIGTERM or SIGINT ends it
// with status 0, leaving the links in place.
//
// A store that cannot be read is reported with its file and line; the kernel
// is then left as it is and the service waits for the next change.
class Service
{
public:
    Service(std::string storePath, RuntimeFiles runtime);
    ~Service();

    int run();

private:
    bool startUp();
    void install(const std::vector<MachineNic>& nics);
    // `nics`: the machine's NICs as found just now.
    void reload(const std::string& why, const std::vector<MachineNic>& nics);
    void applyAndConfigure(const DriverConfig& config, const std::vector<NicBinding>& bindings);
    void clearPromptForReboot();
    Outcome restoreLinks();
    void tick();
    int loop(int signalFd, int timerFd);

    std::string storePath_;
    RuntimeFiles runtime_;
    registry::FileRegistry registry_;
    StoreWatcher watcher_;
    StoreWatcher::Stamp ownWrite_;
    SystemdNotifier notifier_;
    HealthFile health_;
    std::unique_ptr<netlink::Rtnl> rtnl_;
    std::unique_ptr<autocure::RtnlCounterSource> counters_;
    std::unique_ptr<autocure::LinuxNicActions> actions_;
    std::unique_ptr<autocure::JournalAlertSink> alerts_;
    std::unique_ptr<autocure::SteadyClock> clock_;
    std::unique_ptr<autocure::Monitor> monitor_;
    std::unique_ptr<failover::PacketProbeTransport> probeTransport_;
    std::unique_ptr<failover::ProbeMonitor> probes_;
    // The store and bindings last applied, for a re-apply after a cure.
    std::optional<DriverConfig> applied_;
    std::vector<NicBinding> bindings_;
    // What that apply could not do; a re-apply that meets only these again
    // has restored everything it can.
    std::vector<std::string> standingRefusals_;
};

} // namespace velnet::vxsrvnt
