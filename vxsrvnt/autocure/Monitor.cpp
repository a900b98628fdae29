// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/Monitor.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace velnet::vxsrvnt::autocure {

namespace {

std::string percentText(double percent)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", percent);
    return text;
}

std::string badWindows(int n)
{
    return std::to_string(n) + (n == 1 ? " bad window" : " bad windows");
}

std::string policyText(const AcdPolicy& p)
{
    return std::string(levelName(p.level)) + ", window " + std::to_string(p.windowSeconds) +
           " s, ratio " + std::to_string(p.ratioPercent) + " %, tolerance " +
           toleranceName(p.toleranceWindows) + " (" + badWindows(p.toleranceWindows) +
           "), alerts " + std::to_string(p.alertMask);
}

std::vector<std::pair<std::string, std::string>> policyFields(const AcdPolicy& p)
{
    return {{"SELF_CHECK_LEVEL", levelName(p.level)},
            {"SAMPLING_WINDOW", std::to_string(p.windowSeconds)},
            {"SAMPLING_RATIO", std::to_string(p.ratioPercent)},
            {"ERROR_TOLERANCE", std::to_string(p.toleranceWindows)},
            {"ALERT_TYPE", std::to_string(p.alertMask)}};
}

int partnerOf(const AdapterConfig& a)
{
    if (a.primaryAdapter != kNoAdapter)
        return static_cast<int>(a.primaryAdapter);
    if (a.backupAdapter != kNoAdapter)
        return static_cast<int>(a.backupAdapter);
    return 0;
}

} // namespace

Monitor::Monitor(CounterSource& counters, NicActions& actions, AlertSink& alerts,
                 const Clock& clock)
    : counters_(counters), actions_(actions), alerts_(alerts), clock_(clock)
{
}

Monitor::Nic* Monitor::find(int adapterNumber)
{
    auto it = nics_.find(adapterNumber);
    return it == nics_.end() ? nullptr : &it->second;
}

const Monitor::Nic* Monitor::find(int adapterNumber) const
{
    auto it = nics_.find(adapterNumber);
    return it == nics_.end() ? nullptr : &it->second;
}

void Monitor::configure(const DriverConfig& config, const std::vector<NicBinding>& bindings)
{
    const auto now = clock_.now();
    std::map<int, Nic> next;
    for (const AdapterConfig& a : config.adapters) {
        std::optional<NicBinding> binding;
        for (const NicBinding& b : bindings)
            if (b.adapterNumber == a.adapterNumber)
                binding = b;

        Nic* old = find(a.adapterNumber);
        Nic nic;
        nic.adapterNumber = a.adapterNumber;
        nic.settings = a.acd;
        nic.binding = binding;
        nic.partner = partnerOf(a);
        std::vector<std::string> warnings;
        const AcdPolicy policy = AcdPolicy::fromSettings(a.acd, warnings);
        if (!old || old->settings != a.acd)
            for (const std::string& w : warnings)
                emitAlways({AlertKind::Warning,
                            "bad-value",
                            "adapter " + std::to_string(a.adapterNumber) + ": " + w,
                            binding ? binding->ifname : "",
                            a.adapterNumber,
                            {}});

        const bool sameLink =
            old && old->binding && binding && old->binding->ifindex == binding->ifindex;
        const std::optional<AcdPolicy> oldPolicy =
            old ? std::optional<AcdPolicy>(old->watch.policy()) : std::nullopt;
        const bool wasWatched = oldPolicy && oldPolicy->watched();
        if (old) {
            nic.lastAlert = old->lastAlert;
            nic.lastAlertAt = old->lastAlertAt;
        }
        if (wasWatched && policy.watched()) {
            nic.watch = std::move(old->watch);
            nic.watch.setPolicy(policy);
            if (sameLink) {
                nic.gone = old->gone;
                nic.noSelfTest = old->noSelfTest;
            } else {
                nic.watch.restart(now);
            }
        } else {
            nic.watch = NicWatch(policy, now);
        }

        const bool changed = !oldPolicy || *oldPolicy != policy;
        auto [it, inserted] = next.emplace(a.adapterNumber, std::move(nic));
        (void)inserted; // adapter numbers are unique in a DriverConfig
        if (!changed)
            continue;
        if (policy.watched() || wasWatched) {
            Alert alert{AlertKind::Information,
                        policy.watched()
                            ? (wasWatched ? "monitoring-changed" : "monitoring-started")
                            : "monitoring-stopped",
                        "",
                        binding ? binding->ifname : "",
                        a.adapterNumber,
                        policyFields(policy)};
            alert.message = policy.watched()
                                ? "autocure " + std::string(wasWatched ? "changed" : "started") +
                                      ": " + policyText(policy)
                                : "autocure stopped";
            // A NIC that stops being watched says so under the alert bits it had.
            emit(it->second, std::move(alert),
                 policy.watched() ? policy.alertMask : oldPolicy->alertMask);
        }
    }
    nics_ = std::move(next);
}

void Monitor::tick()
{
    auto read = counters_.readAll();
    if (!read.ok()) {
        if (!readFailing_)
            emitAlways({AlertKind::Warning,
                        "counters-unreadable",
                        "cannot read the NICs' counters: " + read.error(),
                        "",
                        0,
                        {}});
        readFailing_ = true;
        return;
    }
    readFailing_ = false;
    lastRead_ = std::move(read).value();
    // The kernel dumps links by ascending ifindex; sort only when it did not.
    const auto byIndex = [](const LinkCounters& a, const LinkCounters& b) {
        return a.ifindex < b.ifindex;
    };
    if (!std::is_sorted(lastRead_.begin(), lastRead_.end(), byIndex))
        std::sort(lastRead_.begin(), lastRead_.end(), byIndex);

    // Every due window closes before any cure is considered, so that a pair
    // whose members both turned bad in this tick is seen as both sick.
    const auto now = clock_.now();
    std::vector<Nic*> cureDue;
    for (auto& [number, nic] : nics_) {
        if (!nic.watch.policy().watched() || !nic.binding)
            continue;
        const LinkCounters* link = lastRead(nic.binding->ifindex);
        if (!link) {
            if (!nic.gone)
                emit(nic,
                     {AlertKind::Error,
                      "nic-gone",
                      "interface " + nic.binding->ifname + " is gone; not watched until it is back",
                      nic.binding->ifname,
                      number,
                      {}});
            nic.gone = true;
            continue;
        }
        if (nic.gone) {
            nic.gone = false;
            nic.watch.restart(now);
        }
        if (nic.watch.observe(*link, now))
            emit(nic,
                 {AlertKind::Error, "link-lost", "link lost", nic.binding->ifname, number, {}});
        if (nic.watch.windowDue(now)) {
            closeWindow(nic);
            if (nic.watch.cureDue())
                cureDue.push_back(&nic);
        }
    }
    for (Nic* nic : cureDue)
        considerCure(*nic);
}

void Monitor::closeWindow(Nic& nic)
{
    const std::string& ifname = nic.binding->ifname;
    bool selfTestFailed = false;
    if (nic.watch.policy().level == SelfCheckLevel::Enhanced && !nic.noSelfTest) {
        std::string detail;
        switch (actions_.selfTest(ifname, detail)) {
        case SelfTestOutcome::NotSupported:
            nic.noSelfTest = true;
            break;
        case SelfTestOutcome::Passed:
            break;
        case SelfTestOutcome::Failed:
            selfTestFailed = true;
            emit(nic, {AlertKind::Warning,
                       "self-test-failed",
                       "online self test failed: " + detail,
                       ifname,
                       nic.adapterNumber,
                       {{"SELF_TEST", detail}}});
            break;
        }
    }
    const WindowFigures f = nic.watch.close(clock_.now(), selfTestFailed);
    if (f.verdict != WindowVerdict::Bad &&
        nic.watch.lastCureVerdict() == NicWatch::CureVerdict::None)
        return; // the common case, every window of every NIC: nothing to say
    const std::vector<std::pair<std::string, std::string>> figures{
        {"PACKETS", std::to_string(f.packets)},
        {"BAD_PACKETS", std::to_string(f.badPackets)},
        {"BAD_PERCENT", percentText(f.badPercent)},
        {"BAD_WINDOWS", std::to_string(nic.watch.badWindowsInARow())},
        {"SAMPLING_WINDOW", std::to_string(nic.watch.policy().windowSeconds)},
        {"SAMPLING_RATIO", std::to_string(nic.watch.policy().ratioPercent)},
        {"CURES", std::to_string(nic.watch.cures())}};

    if (f.verdict == WindowVerdict::Bad) {
        std::string why = f.linkLost         ? "link lost"
                          : f.selfTestFailed ? "self test failed"
                                             : percentText(f.badPercent) + " % bad packets (" +
                                                   std::to_string(f.badPackets) + " of " +
                                                   std::to_string(f.packets + f.badPackets) + ")";
        emit(nic, {AlertKind::Warning, "bad-window",
                   "bad window " + std::to_string(nic.watch.badWindowsInARow()) + " of " +
                       std::to_string(nic.watch.policy().toleranceWindows) + ": " + why,
                   ifname, nic.adapterNumber, figures});
    }
    switch (nic.watch.lastCureVerdict()) {
    case NicWatch::CureVerdict::Helped:
        emit(nic,
             {AlertKind::Information, "cure-worked",
              "the cure worked: the window after it was good", ifname, nic.adapterNumber, figures});
        break;
    case NicWatch::CureVerdict::DidNotHelp:
        emit(nic, {AlertKind::Error, "cure-failed",
                   "the cure did not help; next cure in " +
                       std::to_string(nic.watch.pauseWindows()) + " windows at the earliest",
                   ifname, nic.adapterNumber, figures});
        break;
    case NicWatch::CureVerdict::None:
        break;
    }
}

bool Monitor::partnerHealthy(const Nic& nic) const
{
    const Nic* partner = find(nic.partner);
    if (!partner || !partner->binding || partner->gone)
        return false;
    const LinkCounters* link = lastRead(partner->binding->ifindex);
    if (!link || !link->working())
        return false;
    if (!partner->watch.policy().watched())
        return true;
    return partner->watch.badWindowsInARow() == 0 && !partner->watch.awaitingVerdict();
}

bool Monitor::handOver(Nic& nic, const LinkCounters& link)
{
    if (link.master == 0)
        return true; // not enslaved now: nothing carries traffic for it
    auto active = actions_.activeMember(link.master);
    if (!active || *active != link.ifindex)
        return true;
    const Nic* partner = find(nic.partner);
    const std::string& ifname = nic.binding->ifname;
    auto moved = actions_.makeActive(link.master, partner->binding->ifindex);
    if (moved.ok()) {
        emit(nic, {AlertKind::Information,
                   "handed-over",
                   "traffic handed over to " + partner->binding->ifname + " before the cure",
                   ifname,
                   nic.adapterNumber,
                   {{"PARTNER", partner->binding->ifname}}});
        return true;
    }
    emit(nic, {AlertKind::Error,
               "hand-over-failed",
               "not cured: cannot hand the traffic over to " + partner->binding->ifname + ": " +
                   moved.error(),
               ifname,
               nic.adapterNumber,
               {{"PARTNER", partner->binding->ifname}}});
    return false;
}

void Monitor::considerCure(Nic& nic)
{
    const std::string& ifname = nic.binding->ifname;
    const LinkCounters& link = *lastRead(nic.binding->ifindex); // read in this tick
    if (nic.partner != 0) {
        if (!partnerHealthy(nic)) {
            const Nic* partner = find(nic.partner);
            emit(nic, {AlertKind::Error,
                       "pair-sick",
                       "not cured: its partner (adapter " + std::to_string(nic.partner) +
                           (partner && partner->binding ? ", " + partner->binding->ifname : "") +
                           (partner && partner->binding && !partner->gone
                                ? ") is not healthy either"
                                : ") is not there to take the traffic"),
                       ifname,
                       nic.adapterNumber,
                       {{"PARTNER_ADAPTER", std::to_string(nic.partner)}}});
            nic.watch.cureWithheld();
            return;
        }
        if (!handOver(nic, link)) {
            nic.watch.cureWithheld();
            return;
        }
    }
    std::string how;
    auto cured = actions_.cure(nic.binding->ifindex, ifname, how);
    if (!cured.ok()) {
        emit(nic, {AlertKind::Error,
                   "cure-impossible",
                   "cannot cure: " + cured.error(),
                   ifname,
                   nic.adapterNumber,
                   {}});
        nic.watch.cureWithheld();
        return;
    }
    const int run = nic.watch.badWindowsInARow();
    nic.watch.cured(clock_.now());
    emit(nic, {AlertKind::Information,
               "cured",
               "cured after " + badWindows(run) + " in a row: " + how,
               ifname,
               nic.adapterNumber,
               {{"CURE", how}, {"CURES", std::to_string(nic.watch.cures())}}});
    auto restored = actions_.restoreLinks();
    if (!restored.ok())
        emit(nic,
             {AlertKind::Error,
              "restore-failed",
              "after the cure, the links of the store could not be restored: " + restored.error(),
              ifname,
              nic.adapterNumber,
              {}});
}

void Monitor::emit(Nic& nic, Alert alert, std::optional<std::uint32_t> mask)
{
    const std::uint32_t bits = mask.value_or(nic.watch.policy().alertMask);
    if ((bits & static_cast<std::uint32_t>(alert.kind)) != 0)
        alerts_.write(alert);
    nic.lastAlert = std::move(alert);
    nic.lastAlertAt = clock_.now();
}

void Monitor::emitAlways(Alert alert)
{
    alerts_.write(alert);
}

const LinkCounters* Monitor::lastRead(int ifindex) const
{
    return findLink(lastRead_, ifindex);
}

std::vector<NicHealth> Monitor::snapshot() const
{
    const auto now = clock_.now();
    std::vector<NicHealth> out;
    for (const auto& [number, nic] : nics_) {
        NicHealth h;
        h.adapterNumber = number;
        h.ifname = nic.binding ? nic.binding->ifname : "";
        h.policy = nic.watch.policy();
        if (!h.policy.watched())
            h.state = NicState::Off;
        else if (!nic.binding || nic.gone)
            h.state = NicState::Gone;
        else if (const LinkCounters* link = lastRead(nic.binding->ifindex); link && !link->adminUp)
            h.state = NicState::AdminDown;
        else
            h.state = NicState::Watching;
        h.windowElapsedSeconds = h.state == NicState::Off ? 0 : nic.watch.windowElapsedSeconds(now);
        h.lastWindow = nic.watch.lastWindow();
        h.badWindowsInARow = nic.watch.badWindowsInARow();
        h.cures = nic.watch.cures();
        h.lastAlert = nic.lastAlert;
        if (nic.lastAlert)
            h.lastAlertSecondsAgo = std::chrono::duration<double>(now - nic.lastAlertAt).count();
        out.push_back(std::move(h));
    }
    return out;
}

} // namespace velnet::vxsrvnt::autocure
