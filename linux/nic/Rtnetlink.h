// SPDX-License-Identifier: MIT
#pragma once

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
// namespace. Each answer is read afresh from the kernel.
class Rtnetlink
{
public:
    std::optional<LinkState> link(int ifindex);
    std::vector<InterfaceAddress> addresses(int ifindex);
    // RTM_NEWLINK with IFLA_MTU; false with error() set when refused.
    bool setMtu(int ifindex, std::uint32_t mtu);
    int error() const { return error_; }

private:
    // Sends `request` and hands every answer message to `onMessage`, until
    // the kernel's end of a dump or its acknowledgement.
    template <typename OnMessage>
    bool exchange(void* request, std::size_t size, OnMessage onMessage);

    int error_ = 0;
};

std::string macText(const std::uint8_t* bytes, std::size_t size, char separator);

} // namespace velnet::linuxnic
