// SPDX-License-Identifier: MIT
#pragma once

#include "linux/netlink/Link.h"
#include "vxsrvnt/apply/DesiredState.h"

#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// Comparisons of what the store wants with the links the kernel holds,
// shared by apply (what to change) and observe (what status shows).
class KernelMatch
{
public:
    explicit KernelMatch(const std::vector<netlink::Link>& links) : links_(links) {}

    const netlink::Link* find(const std::string& name) const;
    const netlink::Link* find(int ifindex) const;
    // A bond or VLAN link whose alias carries the mark.
    static bool ours(const netlink::Link& link);

    // The bond options that differ, only those set (empty: all match).
    netlink::BondOptions changedOptions(const WantedBond& wanted, const netlink::Link& bond) const;
    // Why an existing link cannot become the wanted one without being made
    // anew (another kind or mode, another parent or VLAN id); empty when it can.
    std::string rebuildReason(const WantedBond& wanted, const netlink::Link& link) const;
    std::string rebuildReason(const WantedVlan& wanted, const netlink::Link& link) const;
    // The parent a wanted VLAN goes on, as the kernel holds it now.
    const netlink::Link* parentOf(const WantedVlan& wanted) const;
    // The address a wanted VLAN link should have.
    std::vector<std::uint8_t> addressOf(const WantedVlan& wanted) const;

    // Everything in which the kernel differs from the wanted link, one line each.
    std::vector<std::string> differences(const WantedBond& wanted) const;
    std::vector<std::string> differences(const WantedVlan& wanted) const;

private:
    const std::vector<netlink::Link>& links_;
};

} // namespace velnet::vxsrvnt
