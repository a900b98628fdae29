// SPDX-License-Identifier: MIT
#pragma once

namespace velnet::vxsrvnt::failover {

// What `status` shows of one member's diagnostic packets.
struct ProbeHealth
{
    int adapterNumber = 0;
    int partner = 0;
    int missedInARow = 0; // partner's packets not heard, in a row
    bool deaf = false;    // missed as many as the pair's FailureCount
};

} // namespace velnet::vxsrvnt::failover
