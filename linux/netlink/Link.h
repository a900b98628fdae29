// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <linux/if_link.h>
#include <optional>
#include <string>
#include <vector>

namespace velnet::netlink {

// IFLA_INFO_DATA of a bond, as far as the service reads and writes it.
// Absent values are left as the kernel has them when changing a bond.
struct BondOptions
{
    std::optional<std::uint8_t> mode;            // BOND_MODE_ACTIVEBACKUP = 1
    std::optional<std::uint32_t> activeSlave;    // ifindex
    std::optional<std::uint32_t> miimon;         // ms
    std::optional<std::uint32_t> updelay;        // ms
    std::optional<std::uint32_t> downdelay;      // ms
    std::optional<std::uint32_t> primary;        // ifindex; 0 clears it
    std::optional<std::uint8_t> primaryReselect; // 0 always, 1 better, 2 failure
    std::optional<std::uint8_t> failOverMac;     // 0 none, 1 active, 2 follow

    bool operator==(const BondOptions&) const = default;
};

// IFLA_INFO_SLAVE_DATA of a bond member.
struct BondMember
{
    std::optional<std::uint8_t> state;     // 0 active, 1 backup
    std::optional<std::uint8_t> miiStatus; // 0 up, 1 fail, 2 down, 3 back
    std::optional<std::uint32_t> linkFailureCount;
    std::vector<std::uint8_t> permanentAddress;
};

struct VlanInfo
{
    std::uint16_t id = 0;
    std::uint16_t protocol = 0; // network byte order as the kernel sends it
};

// One RTM_NEWLINK answer.
struct Link
{
    int ifindex = 0;
    std::string name;
    std::uint32_t flags = 0; // IFF_UP, IFF_RUNNING, ...
    std::uint8_t operstate = 0;
    std::optional<std::uint8_t> carrier;
    std::uint32_t mtu = 0;
    std::uint32_t minMtu = 0; // 0 when the kernel does not say
    std::uint32_t maxMtu = 0;
    int master = 0;        // IFLA_MASTER
    int parent = 0;        // IFLA_LINK (a VLAN's lower device)
    std::string kind;      // IFLA_INFO_KIND: "bond", "vlan", "veth", ...
    std::string slaveKind; // IFLA_INFO_SLAVE_KIND: "bond" on a member
    std::optional<BondOptions> bond;
    std::optional<BondMember> bondMember;
    std::optional<VlanInfo> vlan;
    std::string alias; // IFLA_IFALIAS
    std::vector<std::uint8_t> address;
    std::vector<std::uint8_t> permanentAddress; // IFLA_PERM_ADDRESS, where the kernel has it
    std::optional<rtnl_link_stats64> statistics;

    bool up() const;
};

struct InterfaceAddress
{
    int ifindex = 0;
    int family = 0;         // AF_INET or AF_INET6
    std::uint8_t scope = 0; // RT_SCOPE_UNIVERSE, RT_SCOPE_LINK, ...
    std::string text;       // "192.0.2.1/24"
};

// "aa:bb:cc:dd:ee:ff" as `ip link` prints it, or with another separator and
// upper-case digits ("AA-BB-CC-DD-EE-FF", as the store holds it).
std::string macText(const std::vector<std::uint8_t>& bytes, char separator = ':',
                    bool upperCase = false);
// "aa:bb:cc:dd:ee:ff" or "AA-BB-..." to six bytes; nullopt when not a MAC.
std::optional<std::vector<std::uint8_t>> parseMac(const std::string& text);

} // namespace velnet::netlink
