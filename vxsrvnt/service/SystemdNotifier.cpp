// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/SystemdNotifier.h"

#include <ctime>
#include <systemd/sd-daemon.h>

namespace velnet::vxsrvnt {

namespace {

unsigned long long monotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1000000ULL +
           static_cast<unsigned long long>(now.tv_nsec) / 1000ULL;
}

} // namespace

// sd_notify's answer only says whether a manager listens; nobody listening
// is the normal case outside systemd, so it is not looked at.
void SystemdNotifier::ready(const std::string& status)
{
    (void)sd_notifyf(0, "READY=1\nSTATUS=%s", status.c_str());
}

void SystemdNotifier::reloading()
{
    (void)sd_notifyf(0, "RELOADING=1\nMONOTONIC_USEC=%llu\nSTATUS=Reloading the store",
                     monotonicMicroseconds());
}

void SystemdNotifier::stopping()
{
    (void)sd_notify(0, "STOPPING=1\nSTATUS=Stopping");
}

} // namespace velnet::vxsrvnt
