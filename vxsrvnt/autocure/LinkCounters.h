// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace velnet::vxsrvnt::autocure {

// One reading of a link's uniform counters (the kernel's 64-bit link
// statistics) and its state. Counters only ever grow, except when the driver
// resets them or a narrower counter wraps; the monitor handles both.
struct LinkCounters
{
    int ifindex = 0;
    std::string ifname;
    bool adminUp = false; // IFF_UP: the administrator wants it up
    bool carrier = false; // IFF_LOWER_UP: the link is there
    int master = 0;       // ifindex of its bond, 0 when not enslaved
    std::uint64_t rxPackets = 0;
    std::uint64_t txPackets = 0;
    std::uint64_t rxErrors = 0;
    std::uint64_t txErrors = 0;
    std::uint64_t rxDropped = 0;
    std::uint64_t txDropped = 0;
};

} // namespace velnet::vxsrvnt::autocure
