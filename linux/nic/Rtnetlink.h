// SPDX-License-Identifier: MIT
#pragma once

#include "linux/netlink/Rtnl.h"

#include <cstdint>
#include <linux/if_link.h>
#include <optional>
#include <string>
#include <vector>

namespace velnet::linuxnic {

struct LinkState
{
    std::string name;
    std::uint32_t mtu = 0;
    std::uint32_t minMtu = 0; // 0 when the kernel does not say
    std::uint32_t maxMtu = 0;
    std::uint32_t flags = 0; // IFF_UP, IFF_RUNNING, ...
    std::optional<std::uint8_t> carrier;
    std::vector<std::uint8_t> address;
    std::optional<rtnl_link_stats64> statistics;
};

struct InterfaceAddress
{
    int family = 0;   // AF_INET or AF_INET6
    std::string text; // "192.0.2.1/24"
};

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
