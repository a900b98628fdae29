// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::linuxnic {

// A speed and duplex that a user can force, and the link modes (ethtool
// link-mode bits) that carry it.
struct ForcedMode
{
    std::uint32_t speedMbps = 0;
    std::uint8_t duplex = 0;  // DUPLEX_HALF or DUPLEX_FULL
    std::string text() const; // "100 Mbps Full Duplex"
};

// The speed/duplex pairs of the modes in `supported` (a link-mode bitmap),
// slowest first, each once.
std::vector<ForcedMode> forcedModes(const std::vector<std::uint32_t>& supported);
// "1 Gbps"-style text of a speed in Mbps; "Unknown" for SPEED_UNKNOWN.
std::string speedText(std::uint32_t speedMbps);

} // namespace velnet::linuxnic
