// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/EthNic.h"

#include "linux/netlink/Link.h"
#include "linux/nic/Ethtool.h"
#include "linux/nic/LinkModes.h"
#include "linux/nic/PciNames.h"
#include "linux/nic/Rtnetlink.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <net/if.h>
#include <string_view>
#include <sys/socket.h>
#include <system_error>

namespace velnet::ethcfg {

using linuxnic::Ethtool;
using linuxnic::Rtnetlink;

namespace {

struct UniformCounter
{
    const char* name;
    __u64 rtnl_link_stats64::*field;
    const char* sysfsName;
};

constexpr UniformCounter kUniform[] = {
    {"Packets Received", &rtnl_link_stats64::rx_packets, "rx_packets"},
    {"Packets Sent", &rtnl_link_stats64::tx_packets, "tx_packets"},
    {"Bytes Received", &rtnl_link_stats64::rx_bytes, "rx_bytes"},
    {"Bytes Sent", &rtnl_link_stats64::tx_bytes, "tx_bytes"},
    {"Receive Errors", &rtnl_link_stats64::rx_errors, "rx_errors"},
    {"Transmit Errors", &rtnl_link_stats64::tx_errors, "tx_errors"},
    {"Receive Drops", &rtnl_link_stats64::rx_dropped, "rx_dropped"},
    {"Transmit Drops", &rtnl_link_stats64::tx_dropped, "tx_dropped"},
    {"Multicast Received", &rtnl_link_stats64::multicast, "multicast"},
    {"Collisions", &rtnl_link_stats64::collisions, "collisions"},
    {"Receive Length Errors", &rtnl_link_stats64::rx_length_errors, "rx_length_errors"},
    {"Receive Overruns", &rtnl_link_stats64::rx_over_errors, "rx_over_errors"},
    {"Receive CRC Errors", &rtnl_link_stats64::rx_crc_errors, "rx_crc_errors"},
    {"Receive Frame Errors", &rtnl_link_stats64::rx_frame_errors, "rx_frame_errors"},
    {"Receive FIFO Errors", &rtnl_link_stats64::rx_fifo_errors, "rx_fifo_errors"},
    {"Missed Frames", &rtnl_link_stats64::rx_missed_errors, "rx_missed_errors"},
    {"Transmit Aborts", &rtnl_link_stats64::tx_aborted_errors, "tx_aborted_errors"},
    {"Transmit Carrier Errors", &rtnl_link_stats64::tx_carrier_errors, "tx_carrier_errors"},
    {"Transmit FIFO Errors", &rtnl_link_stats64::tx_fifo_errors, "tx_fifo_errors"},
    {"Heartbeat Errors", &rtnl_link_stats64::tx_heartbeat_errors, "tx_heartbeat_errors"},
    {"Transmit Window Errors", &rtnl_link_stats64::tx_window_errors, "tx_window_errors"},
};

constexpr const char* kUnknown = "Unknown";

std::string orText(const std::optional<std::string>& value, const char* otherwise)
{
    return value && !value->empty() ? *value : otherwise;
}

std::string hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string channelsText(const ethtool_channels& c)
{
    std::string text;
    auto add = [&](const char* name, std::uint32_t count, std::uint32_t max) {
        if (max == 0)
            return;
        if (!text.empty())
            text += ", ";
        text += std::string(name) + " " + std::to_string(count) + " of " + std::to_string(max);
    };
    add("Combined", c.combined_count, c.max_combined);
    add("RX", c.rx_count, c.max_rx);
    add("TX", c.tx_count, c.max_tx);
    add("Other", c.other_count, c.max_other);
    return text.empty() ? "None" : text;
}

std::string ringsText(const ethtool_ringparam& r)
{
    return "RX " + std::to_string(r.rx_pending) + " of " + std::to_string(r.rx_max_pending) +
           ", TX " + std::to_string(r.tx_pending) + " of " + std::to_string(r.tx_max_pending);
}

} // namespace

EthNic::EthNic(linuxnic::Interface interface, linuxnic::Sysfs sysfs)
    : interface_(std::move(interface)), sysfs_(std::move(sysfs))
{
}

std::optional<std::uint16_t> EthNic::pciId(const char* attribute) const
{
    const auto text = sysfs_.pciAttribute(interface_.name, attribute);
    if (!text)
        return std::nullopt;
    // sysfs writes "0x8086\n": hexadecimal, with or without its 0x.
    std::string_view digits(*text);
    digits.remove_prefix(std::min(digits.find_first_not_of(" \t\n"), digits.size()));
    if (digits.starts_with("0x") || digits.starts_with("0X"))
        digits.remove_prefix(2);
    unsigned long value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc())
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::string EthNic::driverName() const
{
    Ethtool ethtool(interface_.name);
    const auto info = ethtool.driverInfo();
    return info && !info->driver.empty() ? info->driver : "Ethernet";
}

std::string EthNic::cardName(std::size_t limit) const
{
    std::string product;
    const auto vendor = pciId("vendor");
    const auto device = pciId("device");
    if (vendor && device)
        product = linuxnic::PciNames::vendorAndDevice(*vendor, *device).value_or("");
    if (product.empty())
        product = driverName() + " network interface";
    const std::string suffix = " (" + interface_.name + ")";
    if (product.size() + suffix.size() > limit)
        product.resize(limit > suffix.size() ? limit - suffix.size() : 0);
    return (product + suffix).substr(0, limit);
}

std::string EthNic::permanentAddress() const
{
    Ethtool ethtool(interface_.name);
    // Where the kernel keeps no permanent address (virtual NICs, some
    // drivers) the current one would pass for it: say there is none.
    if (const auto permanent = ethtool.permanentAddress())
        return netlink::macText({permanent->begin(), permanent->end()}, '-', true);
    return "None";
}

std::vector<Row> EthNic::summary() const
{
    const std::string name = interface_.name;
    const int ifindex = interface_.ifindex;
    auto linkSettings = [name] { return Ethtool(name).linkSettings(); };
    return {
        {"Interface", [name] { return name; }},
        {"Permanent Address", [this] { return permanentAddress(); }},
        {"Driver",
         [name] {
             Ethtool ethtool(name);
             const auto info = ethtool.driverInfo();
             return info ? orText(info->driver, kUnknown) : std::string(kUnknown);
         }},
        {"Driver Version",
         [name] {
             Ethtool ethtool(name);
             const auto info = ethtool.driverInfo();
             return info ? orText(info->version, "None") : std::string(kUnknown);
         }},
        {"Firmware",
         [name] {
             Ethtool ethtool(name);
             const auto info = ethtool.driverInfo();
             return info ? orText(info->firmware, "None") : std::string(kUnknown);
         }},
        {"Bus Address",
         [this] {
             Ethtool ethtool(interface_.name);
             const auto info = ethtool.driverInfo();
             if (info && !info->busInfo.empty())
                 return info->busInfo;
             return orText(sysfs_.busAddress(interface_.name), "None");
         }},
        {"Link",
         [ifindex] {
             Rtnetlink netlink;
             const auto link = netlink.link(ifindex);
             if (!link)
                 return std::string(kUnknown);
             if (!(link->flags & IFF_UP))
                 return std::string("Down (administratively)");
             if (link->carrier)
                 return std::string(*link->carrier ? "Up" : "Down (no carrier)");
             return std::string(link->flags & IFF_RUNNING ? "Up" : "Down");
         }},
        {"Speed",
         [linkSettings] {
             const auto settings = linkSettings();
             return settings ? linuxnic::speedText(settings->base().speed) : std::string(kUnknown);
         }},
        {"Duplex",
         [linkSettings] {
             const auto settings = linkSettings();
             if (!settings)
                 return std::string(kUnknown);
             switch (settings->base().duplex) {
             case DUPLEX_FULL:
                 return std::string("Full");
             case DUPLEX_HALF:
                 return std::string("Half");
             default:
                 return std::string(kUnknown);
             }
         }},
        {"Autonegotiation",
         [linkSettings] {
             const auto settings = linkSettings();
             if (!settings)
                 return std::string(kUnknown);
             return std::string(settings->base().autoneg == AUTONEG_ENABLE ? "On" : "Off");
         }},
        {"MTU",
         [ifindex] {
             Rtnetlink netlink;
             const auto link = netlink.link(ifindex);
             return link ? std::to_string(link->mtu) : std::string(kUnknown);
         }},
    };
}

void EthNic::addPciRows(std::vector<Row>& rows) const
{
    const auto vendor = pciId("vendor");
    const auto device = pciId("device");
    if (!vendor || !device)
        return;
    rows.push_back({"PCI IDs", [v = *vendor, d = *device] { return hex4(v) + ":" + hex4(d); }});
    const auto subVendor = pciId("subsystem_vendor");
    const auto subDevice = pciId("subsystem_device");
    if (subVendor && subDevice) {
        rows.push_back(
            {"PCI Subsystem", [v = *vendor, d = *device, sv = *subVendor, sd = *subDevice] {
                 const std::string ids = hex4(sv) + ":" + hex4(sd);
                 const auto name = linuxnic::PciNames::subsystem(v, d, sv, sd);
                 return name ? *name + " (" + ids + ")" : ids;
             }});
    }
    rows.push_back({"IRQ", [this] {
                        // A NIC that interrupts through MSI or MSI-X has no
                        // line of its own: the kernel shows 0 for it.
                        const auto irq = sysfs_.pciAttribute(interface_.name, "irq");
                        return !irq || irq->empty() || *irq == "0" ? std::string("None") : *irq;
                    }});
    rows.push_back({"MSI Vectors", [this] {
                        std::string text;
                        for (const int vector : sysfs_.msiVectors(interface_.name)) {
                            if (!text.empty())
                                text += ' ';
                            text += std::to_string(vector);
                        }
                        return text.empty() ? std::string("None") : text;
                    }});
    rows.push_back({"NUMA Node", [this] {
                        const auto node = sysfs_.pciAttribute(interface_.name, "numa_node");
                        return !node || *node == "-1" ? std::string("None") : *node;
                    }});
}

void EthNic::addKernelRows(std::vector<Row>& rows) const
{
    const std::string name = interface_.name;
    const int ifindex = interface_.ifindex;
    rows.push_back({"Queues", [name] {
                        Ethtool ethtool(name);
                        const auto channels = ethtool.get<ethtool_channels>(ETHTOOL_GCHANNELS);
                        return channels ? channelsText(*channels) : std::string("Not reported");
                    }});
    rows.push_back({"Ring Sizes", [name] {
                        Ethtool ethtool(name);
                        const auto rings = ethtool.get<ethtool_ringparam>(ETHTOOL_GRINGPARAM);
                        return rings ? ringsText(*rings) : std::string("Not reported");
                    }});
    Ethtool ethtool(name);
    if (const auto features = ethtool.features()) {
        for (std::size_t i = 0; i < features->size(); ++i) {
            if (!(*features)[i].changeable())
                continue;
            rows.push_back({(*features)[i].name, [name, i] {
                                Ethtool current(name);
                                const auto now = current.features();
                                if (!now || i >= now->size())
                                    return std::string(kUnknown);
                                return std::string((*now)[i].active ? "On" : "Off");
                            }});
        }
    }
    Rtnetlink netlink;
    const auto addresses = netlink.addresses(ifindex);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const int family = addresses[i].family;
        std::size_t nth = 0;
        for (std::size_t j = 0; j < i; ++j)
            nth += addresses[j].family == family;
        rows.push_back(
            {family == AF_INET ? "IPv4 Address" : "IPv6 Address", [ifindex, family, nth] {
                 Rtnetlink current;
                 std::size_t seen = 0;
                 for (const auto& address : current.addresses(ifindex)) {
                     if (address.family == family && seen++ == nth)
                         return address.text;
                 }
                 return std::string("None");
             }});
    }
}

std::vector<Row> EthNic::details() const
{
    // The details start where the summary ends: the summary's first row
    // names the interface, the rest are in the summary already.
    std::vector<Row> rows{summary().front()};
    addPciRows(rows);
    addKernelRows(rows);
    return rows;
}

std::size_t EthNic::uniformCounterCount()
{
    return std::size(kUniform);
}

const char* EthNic::uniformCounterName(std::size_t index)
{
    return index < std::size(kUniform) ? kUniform[index].name : nullptr;
}

std::optional<std::uint64_t> EthNic::uniformCounter(std::size_t index) const
{
    if (index >= std::size(kUniform))
        return std::nullopt;
    Rtnetlink netlink;
    if (const auto link = netlink.link(interface_.ifindex); link && link->statistics)
        return (*link->statistics).*kUniform[index].field;
    const auto value =
        sysfs_.number(interface_.name, std::string("statistics/") + kUniform[index].sysfsName);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint64_t>(*value);
}

} // namespace velnet::ethcfg
