// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velnet::vxsrvnt::autocure {

// One reading of a link's uniform counters (the kernel's 64-bit link
// statistics) and its state. Counters only ever grow, except when the driver
// resets them or a narrower counter wraps; the monitor handles both.
struct LinkCounters
{
    int ifindex = 0;
    bool adminUp = false; // IFF_UP: the administrator wants it up
    bool carrier = false; // IFF_LOWER_UP: the link is there
    int master = 0;       // ifindex of its bond, 0 when not enslaved
    std::uint64_t rxPackets = 0;
    std::uint64_t txPackets = 0;
    std::uint64_t rxErrors = 0;
    std::uint64_t txErrors = 0;
    std::uint64_t rxDropped = 0;
    std::uint64_t txDropped = 0;

    // Up as the administrator wants it, and with its link there.
    bool working() const { return adminUp && carrier; }
};

// The reading of `ifindex` in a reading sorted by ifindex, or null.
inline const LinkCounters* findLink(const std::vector<LinkCounters>& byIfindex, int ifindex)
{
    const auto it = std::lower_bound(byIfindex.begin(), byIfindex.end(), ifindex,
                                     [](const LinkCounters& l, int i) { return l.ifindex < i; });
    return it != byIfindex.end() && it->ifindex == ifindex ? &*it : nullptr;
}

} // namespace velnet::vxsrvnt::autocure
