// SPDX-License-Identifier: MIT
#pragma once

#include "linux/netlink/Link.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// Every link the service makes carries this at the start of its alias.
inline constexpr const char* kMark = "vxsrvnt:";
// The bond's MII monitor interval; FailureCount counts these.
inline constexpr std::uint32_t kMiimonMs = 100;
// FailureCount above this is taken as this (a downdelay of 100 s).
inline constexpr std::uint32_t kMaxFailureCount = 1000;

struct WantedBond
{
    std::string name; // "vxbond<P>"
    std::string alias;
    int primaryAdapter = 0;
    int backupAdapter = 0;
    NicBinding primary;
    NicBinding backup;
    netlink::BondOptions options; // mode, miimon, updelay, downdelay, primary, primary_reselect
};

struct WantedVlan
{
    std::string name;     // the link's interface name, at most 15 characters
    std::string fullName; // VLAN_NAME
    std::string alias;
    int adapter = 0;
    std::uint16_t id = 0;
    std::string bond;                  // the parent bond's name, or empty
    std::string nic;                   // the parent NIC's name when not on a bond
    std::vector<std::uint8_t> address; // Network_Address, empty when none
};

struct WantedTitle
{
    int adapter = 0;
    std::string ifname;
    std::string alias;
};

// What the store asks of the kernel, with what it cannot ask for and why.
struct DesiredState
{
    std::vector<WantedBond> bonds;
    std::vector<WantedVlan> vlans;
    std::vector<WantedTitle> titles;
    std::vector<std::string> refusals;

    static DesiredState from(const DriverConfig& config, const std::vector<NicBinding>& nics);
};

// VLAN_NAME as an interface name: at most 15 characters, none of '/', ':'
// or blanks; a longer name keeps its first 10 characters and gets '-' and
// four hex digits of a hash of the whole name.
std::string fitLinkName(const std::string& vlanName, std::uint32_t id);
// Network_Address as six bytes when it is a usable unicast MAC ("00-A0-CC-..",
// "00:a0:cc:..", or 12 hex digits); nullopt otherwise.
std::optional<std::vector<std::uint8_t>> unicastMac(const std::string& text);

} // namespace velnet::vxsrvnt
