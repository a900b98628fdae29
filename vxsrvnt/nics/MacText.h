// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velnet::vxsrvnt {

using MacBytes = std::array<std::uint8_t, 6>;

// Six hexadecimal pairs separated by ':' or '-' (one kind throughout), in
// either case: the forms `ip link` prints and the store holds.
std::optional<MacBytes> parseMac(std::string_view text);

// "00-A0-CC-4E-1F-02": the form cardcheck writes into Base_Mac_Address.
std::string storeMacText(const MacBytes& mac);
// "00:a0:cc:4e:1f:02": the form `ip link` prints and the bindings carry.
std::string colonMacText(const MacBytes& mac);

// An address a link may take as its own: not all zeros, not multicast.
bool isUnicast(const MacBytes& mac);

} // namespace velnet::vxsrvnt
