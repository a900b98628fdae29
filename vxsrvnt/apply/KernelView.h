// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::vxsrvnt {

enum class NicRole
{
    StandAlone,
    Primary,
    Backup
};

struct VlanView
{
    std::string name;     // VLAN_NAME as stored
    std::string linkName; // the 802.1Q link's interface name
    std::uint32_t id = 0;
    std::string mac;      // the link's address, "aa:bb:cc:dd:ee:ff"; empty when absent
    bool present = false; // the link exists and is ours
    bool matches = false; // present with the stored id, parent and address
};

// One bound adapter as the kernel holds it.
struct AdapterView
{
    int adapterNumber = 0;
    std::string ifname;
    int ifindex = 0;
    NicRole role = NicRole::StandAlone; // from the store
    std::string bond;                   // the bond it is in; empty when none
    std::string activeMember;           // the bond's active member's name
    std::vector<VlanView> vlans;
    bool matches = false;
    std::vector<std::string> differences; // why not, one line each
};

struct KernelView
{
    std::vector<AdapterView> adapters;
    bool matches() const
    {
        for (const AdapterView& adapter : adapters)
            if (!adapter.matches)
                return false;
        return true;
    }
};

} // namespace velnet::vxsrvnt
