// SPDX-License-Identifier: MIT
#pragma once

#include "linux/netlink/Rtnl.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velnet::linuxnic {

// A link and an address as the shared rtnetlink code reads them.
using LinkState = netlink::Link;
using InterfaceAddress = netlink::InterfaceAddress;

// Questions to rtnetlink about one interface of this process's network
// namespace, through the shared netlink::Rtnl (one socket per object, opened
// at the first question). Each answer is read afresh from the kernel.
class Rtnetlink
{
public:
    std::optional<LinkState> link(int ifindex);
    std::vector<InterfaceAddress> addresses(int ifindex);
    // RTM_NEWLINK with IFLA_MTU; false with error() set when refused.
    bool setMtu(int ifindex, std::uint32_t mtu);
    // The errno of the last question that failed.
    int error() const { return error_; }

private:
    netlink::Rtnl* socket();

    std::optional<netlink::Rtnl> rtnl_;
    int error_ = 0;
};

} // namespace velnet::linuxnic
