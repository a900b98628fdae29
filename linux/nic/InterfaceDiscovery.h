// SPDX-License-Identifier: MIT
#pragma once

#include "linux/nic/Sysfs.h"

#include <optional>
#include <string>
#include <vector>

namespace velnet::linuxnic {

struct Interface
{
    std::string name;
    int ifindex = 0;
};

// The NICs to show: every Ethernet interface (ARPHRD_ETHER) with a bus
// device behind it, and the virtual ones (veth, bridge, bond, ...) only when
// `named` lists them, in ifindex order.
std::vector<Interface> discoverInterfaces(const Sysfs& sysfs,
                                          const std::vector<std::string>& named);
// VELNET_NICS: interface names separated by commas (blanks ignored).
std::vector<std::string> splitNames(const std::string& list);
std::vector<std::string> namedInEnvironment();

} // namespace velnet::linuxnic
