// SPDX-License-Identifier: MIT
#pragma once

#include "linux/cfm/CfmFrame.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velnet::vxsrvnt::failover {

using cfmecho::MacAddress;

// The diagnostic packets between the two members of a pair: IEEE 802.1ag
// loopback messages at maintenance level 0, sent to its class-1 multicast
// address so that the partner receives them whatever address its bond gave
// it. A member's packets carry a source address of its own: never the bond's
// (a backup that sent with it would draw the bond's traffic to itself on the
// switch), unicast, locally administered, the same at every start.
constexpr std::uint8_t kProbeMdLevel = 0;

MacAddress probeAddress(const NicBinding& member);

// A probe from `source` with sequence number `sequence`.
std::vector<std::uint8_t> buildProbe(const MacAddress& source, int adapterNumber,
                                     std::uint32_t sequence);

// Whether `frame` is a probe sent from `source`.
bool isProbeFrom(std::span<const std::uint8_t> frame, const MacAddress& source);

} // namespace velnet::vxsrvnt::failover
