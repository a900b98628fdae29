// SPDX-License-Identifier: MIT
#include "linux/nic/LinkModes.h"

#include "linux/nic/Ethtool.h"

#include <algorithm>

namespace velnet::linuxnic {

namespace {

struct ModeBit
{
    int bit;
    std::uint32_t speed;
    std::uint8_t duplex;
};

// The link modes of twisted-pair, backplane and optical Ethernet up to
// 100 Gbps; the rest name the same speeds again.
constexpr ModeBit kModes[] = {
    {ETHTOOL_LINK_MODE_10baseT_Half_BIT, 10, DUPLEX_HALF},
    {ETHTOOL_LINK_MODE_10baseT_Full_BIT, 10, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_100baseT_Half_BIT, 100, DUPLEX_HALF},
    {ETHTOOL_LINK_MODE_100baseT_Full_BIT, 100, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_100baseFX_Half_BIT, 100, DUPLEX_HALF},
    {ETHTOOL_LINK_MODE_100baseFX_Full_BIT, 100, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_1000baseT_Half_BIT, 1000, DUPLEX_HALF},
    {ETHTOOL_LINK_MODE_1000baseT_Full_BIT, 1000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_1000baseKX_Full_BIT, 1000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_1000baseX_Full_BIT, 1000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_2500baseT_Full_BIT, 2500, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_2500baseX_Full_BIT, 2500, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_5000baseT_Full_BIT, 5000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_10000baseT_Full_BIT, 10000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_10000baseKR_Full_BIT, 10000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_10000baseSR_Full_BIT, 10000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_10000baseLR_Full_BIT, 10000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_25000baseCR_Full_BIT, 25000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_25000baseSR_Full_BIT, 25000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_40000baseCR4_Full_BIT, 40000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_40000baseSR4_Full_BIT, 40000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_50000baseCR2_Full_BIT, 50000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_100000baseCR4_Full_BIT, 100000, DUPLEX_FULL},
    {ETHTOOL_LINK_MODE_100000baseSR4_Full_BIT, 100000, DUPLEX_FULL},
};

} // namespace

std::string speedText(std::uint32_t speedMbps)
{
    if (speedMbps == 0 || speedMbps == static_cast<std::uint32_t>(SPEED_UNKNOWN))
        return "Unknown";
    if (speedMbps >= 1000 && speedMbps % 1000 == 0)
        return std::to_string(speedMbps / 1000) + " Gbps";
    if (speedMbps >= 1000 && speedMbps % 100 == 0)
        return std::to_string(speedMbps / 1000) + "." + std::to_string(speedMbps % 1000 / 100) +
               " Gbps";
    return std::to_string(speedMbps) + " Mbps";
}

std::string ForcedMode::text() const
{
    return speedText(speedMbps) + (duplex == DUPLEX_FULL ? " Full Duplex" : " Half Duplex");
}

std::vector<ForcedMode> forcedModes(const std::vector<std::uint32_t>& supported)
{
    std::vector<ForcedMode> modes;
    for (const auto& mode : kModes) {
        if (!LinkSettings::test(supported, mode.bit))
            continue;
        const bool known = std::any_of(modes.begin(), modes.end(), [&](const ForcedMode& m) {
            return m.speedMbps == mode.speed && m.duplex == mode.duplex;
        });
        if (!known)
            modes.push_back({mode.speed, mode.duplex});
    }
    std::sort(modes.begin(), modes.end(), [](const ForcedMode& a, const ForcedMode& b) {
        return a.speedMbps != b.speedMbps ? a.speedMbps < b.speedMbps : a.duplex < b.duplex;
    });
    return modes;
}

} // namespace velnet::linuxnic
