// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/Service.h"

#include "linux/netlink/Rtnl.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/autocure/JournalAlertSink.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/Monitor.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"
#include "vxsrvnt/failover/PacketProbeTransport.h"
#include "vxsrvnt/failover/ProbeMonitor.h"
#include "vxsrvnt/nics/AdapterBinder.h"
#include "vxsrvnt/nics/NicDiscovery.h"
#include "vxsrvnt/service/ServiceLog.h"
#include "vxsrvnt/store/Installer.h"
#include "vxsrvnt/store/StoreLayout.h"
#include "vxsrvnt/store/StoreReader.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace velnet::vxsrvnt {

using registry::Access;
using registry::Root;

namespace {

// Writers replace the store in one rename, but an editor may write twice in
// quick succession; the reload waits this long after the last change.
constexpr int kSettleMs = 200;

std::string summary(const DriverConfig& config, std::size_t bound, const ApplyReport* report)
{
    std::size_t pairs = 0, vlans = 0;
    for (const AdapterConfig& a : config.adapters) {
        pairs += a.backupAdapter != kNoAdapter;
        vlans += a.vlansOn() ? a.vlans.size() : 0;
    }
    std::string text = std::to_string(config.adapters.size()) + " adapters (" +
                       std::to_string(bound) + " present), " + std::to_string(pairs) + " pairs, " +
                       std::to_string(vlans) + " VLANs";
    if (report)
        text += report->ok() ? "; applied"
                             : "; " + std::to_string(report->refusals.size()) + " not done";
    return text;
}

int makeSignalFd()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGHUP, SIGTERM, SIGINT})
        sigaddset(&set, signal);
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        return -1;
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

int makeTimerFd()
{
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    const itimerspec second{{1, 0}, {1, 0}};
    if (fd >= 0 && timerfd_settime(fd, 0, &second, nullptr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

Service::Service(std::string storePath, RuntimeFiles runtime)
    : storePath_(std::move(storePath)), runtime_(std::move(runtime)), registry_(storePath_),
      watcher_(storePath_), health_(runtime_.healthFile())
{
}

Service::~Service() = default;

int Service::run()
{
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = makeSignalFd();
    const int timerFd = makeTimerFd();
    if (signalFd < 0 || timerFd < 0) {
        ServiceLog::write(ServiceLog::Error, std::string("cannot start: ") + std::strerror(errno));
        return 1;
    }
    if (!startUp())
        return 1;
    const int status = loop(signalFd, timerFd);
    close(signalFd);
    close(timerFd);
    return status;
}

bool Service::startUp()
{
    if (Outcome ready = runtime_.prepare(); !ready)
        ServiceLog::write(ServiceLog::Warning, ready.error() + "; status shows no health");
    auto rtnl = netlink::Rtnl::open();
    if (!rtnl) {
        ServiceLog::write(ServiceLog::Error, "cannot talk to the kernel: " + rtnl.error());
        return false;
    }
    rtnl_ = std::make_unique<netlink::Rtnl>(std::move(*rtnl));
    counters_ = std::make_unique<autocure::RtnlCounterSource>(*rtnl_);
    actions_ =
        std::make_unique<autocure::LinuxNicActions>(*rtnl_, [this] { return restoreLinks(); });
    alerts_ = std::make_unique<autocure::JournalAlertSink>();
    clock_ = std::make_unique<autocure::SteadyClock>();
    monitor_ = std::make_unique<autocure::Monitor>(*counters_, *actions_, *alerts_, *clock_);
    probeTransport_ = std::make_unique<failover::PacketProbeTransport>();
    probes_ = std::make_unique<failover::ProbeMonitor>(*probeTransport_, *actions_, *alerts_);
    // Without a watch the service still reloads on SIGHUP.
    if (Outcome watching = watcher_.start(); !watching)
        ServiceLog::write(ServiceLog::Warning, watching.error() + "; reload with SIGHUP");
    const std::vector<MachineNic> nics = NicDiscovery().discover();
    install(nics);
    reload("start", nics);
    return true;
}

void Service::install(const std::vector<MachineNic>& nics)
{
    auto report = Installer(registry_).install(nics);
    if (!report) {
        ServiceLog::write(ServiceLog::Error, "install: " + report.error());
        return;
    }
    for (const InstallReport::Added& added : report->added)
        ServiceLog::write(ServiceLog::Notice, "install: " + added.ifname + " is adapter " +
                                                  std::to_string(added.adapterNumber));
    for (const std::string& why : report->notAdded)
        ServiceLog::write(ServiceLog::Warning, "install: " + why);
    ownWrite_ = watcher_.stamp();
}

void Service::reload(const std::string& why, const std::vector<MachineNic>& nics)
{
    notifier_.reloading();
    const ApplyLock lock(runtime_);
    if (!lock.held())
        ServiceLog::write(ServiceLog::Warning, lock.error() + "; applying without the lock");
    StoreReader reader(registry_);
    const auto config = reader.read();
    if (!config) {
        ServiceLog::write(ServiceLog::Error, "the store cannot be read: " + config.error() +
                                                 "; the kernel is left as it is");
        notifier_.ready("Store unreadable: " + config.error());
        return;
    }
    for (const std::string& warning : reader.warnings())
        ServiceLog::write(ServiceLog::Warning, warning);
    const AdapterBinder binder(*config, nics);
    for (const int gone : binder.goneAdapters())
        ServiceLog::write(ServiceLog::Notice,
                          "adapter " + std::to_string(gone) + ": its NIC is not in this machine");
    ServiceLog::write(ServiceLog::Info, "applying the store (" + why + ")");
    applyAndConfigure(*config, binder.bindings());
}

void Service::applyAndConfigure(const DriverConfig& config, const std::vector<NicBinding>& bindings)
{
    ApplyOptions options;
    options.runtimeDir = runtime_.dir();
    const auto report = Applier(*rtnl_).apply(config, bindings, options);
    if (report) {
        for (const std::string& action : report->actions)
            ServiceLog::write(ServiceLog::Notice, action);
        for (const std::string& refusal : report->refusals)
            ServiceLog::write(ServiceLog::Warning, "not done: " + refusal);
        applied_ = config;
        bindings_ = bindings;
        standingRefusals_ = report->refusals;
        clearPromptForReboot();
    } else {
        ServiceLog::write(ServiceLog::Error, "applying the store failed: " + report.error());
    }
    monitor_->configure(config, bindings);
    probes_->configure(config, bindings);
    notifier_.ready(summary(config, bindings.size(), report ? &*report : nullptr));
}

// nicsetup asks for a restart when it saves; the service has just put the
// saved configuration in force, so none is needed.
void Service::clearPromptForReboot()
{
    registry::Key maker = registry_.open(Root::LocalMachine, layout::kMakerKey, Access::Full);
    if (!maker || !maker.query(layout::kPromptForReboot, 64))
        return;
    if (maker.deleteValue(layout::kPromptForReboot) != registry::Status::Success) {
        ServiceLog::write(ServiceLog::Warning,
                          "cannot clear PromptForReboot: " + registry_.errorText());
        return;
    }
    ownWrite_ = watcher_.stamp();
}

// After a cure: the links made for the last applied store, made again where
// the cure lost them.
Outcome Service::restoreLinks()
{
    if (!applied_)
        return {};
    const ApplyLock lock(runtime_);
    ApplyOptions options;
    options.runtimeDir = runtime_.dir();
    const auto report = Applier(*rtnl_).apply(*applied_, bindings_, options);
    if (!report)
        return fail(report.error());
    for (const std::string& action : report->actions)
        ServiceLog::write(ServiceLog::Notice, "after a cure: " + action);
    if (const std::optional<std::string> refused = report->newRefusal(standingRefusals_))
        return fail(*refused);
    return {};
}

void Service::tick()
{
    monitor_->tick();
    // The monitor's reading of the links serves the diagnostic packets too;
    // without one, their tick is left out and what came in waits.
    if (const std::vector<autocure::LinkCounters>* links = monitor_->lastReading())
        probes_->tick(*links);
    health_.write(monitor_->snapshot(), probes_->snapshot());
}

int Service::loop(int signalFd, int timerFd)
{
    bool changePending = false;
    for (;;) {
        pollfd fds[3] = {{signalFd, POLLIN, 0}, {timerFd, POLLIN, 0}, {watcher_.fd(), POLLIN, 0}};
        const int ready = poll(fds, watcher_.fd() >= 0 ? 3 : 2, changePending ? kSettleMs : -1);
        if (ready < 0 && errno != EINTR) {
            ServiceLog::write(ServiceLog::Error, std::string("poll: ") + std::strerror(errno));
            return 1;
        }
        if (ready == 0 && changePending) {
            changePending = false;
            if (watcher_.stamp() != ownWrite_)
                reload("the store changed", NicDiscovery().discover());
            continue;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGHUP) {
                    reload("SIGHUP", NicDiscovery().discover());
                } else {
                    notifier_.stopping();
                    ServiceLog::write(ServiceLog::Info, "stopping; the links stay");
                    return 0;
                }
            }
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t expirations = 0;
            (void)!read(timerFd, &expirations, sizeof expirations); // only clears the timer
            tick();
        }
        if (watcher_.fd() >= 0 && (fds[2].revents & POLLIN) && watcher_.storeChanged())
            changePending = true;
    }
}

} // namespace velnet::vxsrvnt
