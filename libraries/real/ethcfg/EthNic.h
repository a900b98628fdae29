// SPDX-License-Identifier: MIT
#pragma once

#include "linux/nic/InterfaceDiscovery.h"
#include "linux/nic/Sysfs.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ethcfg {

// A row of the summary or the details: its name, and its value read from
// the kernel whenever it is asked for.
struct Row
{
    std::string name;
    std::function<std::string()> value;
};

// What the kernel tells about one Ethernet interface: its name in the NIC
// list, the summary and details rows, and the uniform counters.
class EthNic
{
public:
    EthNic(linuxnic::Interface interface, linuxnic::Sysfs sysfs);

    const std::string& interfaceName() const { return interface_.name; }
    int ifindex() const { return interface_.ifindex; }

    // "<PCI vendor and device> (<interface>)", or the driver's name in place
    // of the PCI name; at most `limit` bytes.
    std::string cardName(std::size_t limit) const;
    std::vector<Row> summary() const;
    std::vector<Row> details() const;

    // The kernel's uniform counters (rtnetlink IFLA_STATS64, else sysfs).
    static std::size_t uniformCounterCount();
    static const char* uniformCounterName(std::size_t index);
    std::optional<std::uint64_t> uniformCounter(std::size_t index) const;

    // The current address in 17-character form with dashes; the permanent
    // one when the driver keeps it.
    std::string permanentAddress() const;

private:
    std::optional<std::uint16_t> pciId(const char* attribute) const;
    std::string driverName() const;
    void addPciRows(std::vector<Row>& rows) const;
    void addKernelRows(std::vector<Row>& rows) const;

    linuxnic::Interface interface_;
    linuxnic::Sysfs sysfs_;
};

} // namespace velnet::ethcfg
