// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/nics/MacText.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velnet::vxsrvnt {

// A NIC of the machine as discovery found it.
struct MachineNic
{
    std::string ifname;
    int ifindex = 0;
    MacBytes permanentMac{};
    std::optional<std::uint32_t> pciBus;  // from its PCI address, when it has one
    std::optional<std::uint32_t> pciSlot; // the PCI device number
    std::uint32_t sequence = 0;           // 1-based position in cardcheck's discovery order

    bool operator==(const MachineNic&) const = default;
};

} // namespace velnet::vxsrvnt
