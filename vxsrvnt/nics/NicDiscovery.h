// SPDX-License-Identifier: MIT
#pragma once

#include "linux/nic/Sysfs.h"
#include "vxsrvnt/nics/MachineNic.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velnet::vxsrvnt {

// The machine's NICs as cardcheck's real libraries see them: the same
// discovery (Ethernet interfaces with a bus device, and those VELNET_NICS
// names), in the same order (ifindex), so that a NIC's sequence is the
// ordinal cardcheck gives it.
class NicDiscovery
{
public:
    explicit NicDiscovery(linuxnic::Sysfs sysfs = linuxnic::Sysfs()) : sysfs_(std::move(sysfs)) {}

    std::vector<MachineNic> discover() const;

    // "0000:03:00.0" -> bus 3, device 0.
    static std::optional<std::pair<std::uint32_t, std::uint32_t>>
    pciBusSlot(const std::string& address);

private:
    MacBytes permanentMac(const std::string& ifname) const;

    linuxnic::Sysfs sysfs_;
};

} // namespace velnet::vxsrvnt
