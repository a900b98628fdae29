// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velnet::linuxnic {

// Names from the system's PCI ID database (through libpci). Nothing when the
// database has no entry; never a number standing in for a name.
class PciNames
{
public:
    static std::optional<std::string> vendorAndDevice(std::uint16_t vendor, std::uint16_t device);
    static std::optional<std::string> subsystem(std::uint16_t vendor, std::uint16_t device,
                                                std::uint16_t subVendor, std::uint16_t subDevice);
};

} // namespace velnet::linuxnic
