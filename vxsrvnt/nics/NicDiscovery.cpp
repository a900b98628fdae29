// SPDX-License-Identifier: MIT
#include "vxsrvnt/nics/NicDiscovery.h"

#include "linux/nic/Ethtool.h"
#include "linux/nic/InterfaceDiscovery.h"

#include <charconv>

namespace velnet::vxsrvnt {

namespace {

std::optional<std::uint32_t> hexField(std::string_view text)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::vector<MachineNic> NicDiscovery::discover() const
{
    std::vector<MachineNic> nics;
    const auto found = linuxnic::discoverInterfaces(sysfs_, linuxnic::namedInEnvironment());
    for (const linuxnic::Interface& interface : found) {
        MachineNic nic;
        nic.ifname = interface.name;
        nic.ifindex = interface.ifindex;
        nic.permanentMac = permanentMac(interface.name);
        if (const auto device = sysfs_.pciDevice(interface.name)) {
            if (const auto busSlot = pciBusSlot(device->filename().string())) {
                nic.pciBus = busSlot->first;
                nic.pciSlot = busSlot->second;
            }
        }
        nic.sequence = static_cast<std::uint32_t>(nics.size() + 1);
        nics.push_back(std::move(nic));
    }
    return nics;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>>
NicDiscovery::pciBusSlot(const std::string& address)
{
    // domain:bus:device.function
    const std::string_view text = address;
    const auto firstColon = text.find(':');
    const auto secondColon = text.find(':', firstColon + 1);
    const auto dot = text.find('.', secondColon + 1);
    if (firstColon == std::string_view::npos || secondColon == std::string_view::npos ||
        dot == std::string_view::npos)
        return std::nullopt;
    const auto bus = hexField(text.substr(firstColon + 1, secondColon - firstColon - 1));
    const auto slot = hexField(text.substr(secondColon + 1, dot - secondColon - 1));
    if (!bus || !slot)
        return std::nullopt;
    return std::pair{*bus, *slot};
}

// The address the NIC was made with, which stays when the NIC is renamed or
// enslaved: the driver's permanent address; a bond member's address from
// before it joined (the bond gives its members its own); else the current one
// (veth and some virtual NICs keep no permanent address).
MacBytes NicDiscovery::permanentMac(const std::string& ifname) const
{
    if (const auto permanent = linuxnic::Ethtool(ifname).permanentAddress())
        return *permanent;
    for (const char* attribute : {"bonding_slave/perm_hwaddr", "address"}) {
        if (const auto text = sysfs_.attribute(ifname, attribute))
            if (const auto mac = parseMac(*text))
                return *mac;
    }
    return {};
}

} // namespace velnet::vxsrvnt
