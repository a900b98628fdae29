// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/KernelMatch.h"

#include <net/if.h>

namespace velnet::vxsrvnt {

namespace {

template <typename T>
void compare(const std::optional<T>& wanted, const std::optional<T>& held, std::optional<T>& change)
{
    if (wanted && wanted != held)
        change = wanted;
}

} // namespace

const netlink::Link* KernelMatch::find(const std::string& name) const
{
    for (const netlink::Link& link : links_)
        if (link.name == name)
            return &link;
    return nullptr;
}

const netlink::Link* KernelMatch::find(int ifindex) const
{
    for (const netlink::Link& link : links_)
        if (link.ifindex == ifindex)
            return &link;
    return nullptr;
}

bool KernelMatch::ours(const netlink::Link& link)
{
    return (link.kind == "bond" || link.kind == "vlan") && link.alias.starts_with(kMark);
}

netlink::BondOptions KernelMatch::changedOptions(const WantedBond& wanted,
                                                 const netlink::Link& bond) const
{
    const netlink::BondOptions held = bond.bond.value_or(netlink::BondOptions{});
    netlink::BondOptions change;
    compare(wanted.options.miimon, held.miimon, change.miimon);
    compare(wanted.options.updelay, held.updelay, change.updelay);
    compare(wanted.options.downdelay, held.downdelay, change.downdelay);
    compare(wanted.options.primaryReselect, held.primaryReselect, change.primaryReselect);
    // The kernel leaves IFLA_BOND_PRIMARY out when there is none.
    compare(wanted.options.primary, std::optional<std::uint32_t>(held.primary.value_or(0)),
            change.primary);
    return change;
}

std::string KernelMatch::rebuildReason(const WantedBond& wanted, const netlink::Link& link) const
{
    if (link.kind != "bond")
        return "it is a " + (link.kind.empty() ? std::string("plain link") : link.kind) + " link";
    if (!link.bond || link.bond->mode != wanted.options.mode)
        return "its mode is not active-backup";
    return {};
}

const netlink::Link* KernelMatch::parentOf(const WantedVlan& wanted) const
{
    const netlink::Link* parent = find(wanted.bond.empty() ? wanted.nic : wanted.bond);
    if (parent && !wanted.bond.empty() && !ours(*parent))
        return nullptr;
    return parent;
}

std::vector<std::uint8_t> KernelMatch::addressOf(const WantedVlan& wanted) const
{
    if (!wanted.address.empty())
        return wanted.address;
    const netlink::Link* parent = parentOf(wanted);
    return parent ? parent->address : std::vector<std::uint8_t>{};
}

std::string KernelMatch::rebuildReason(const WantedVlan& wanted, const netlink::Link& link) const
{
    if (link.kind != "vlan" || !link.vlan)
        return "it is not a VLAN link";
    if (link.vlan->id != wanted.id)
        return "its VLAN id is " + std::to_string(link.vlan->id);
    const netlink::Link* parent = parentOf(wanted);
    if (!parent || parent->ifindex != link.parent)
        return "it is on another parent";
    return {};
}

std::vector<std::string> KernelMatch::differences(const WantedBond& wanted) const
{
    const netlink::Link* bond = find(wanted.name);
    if (!bond)
        return {"bond " + wanted.name + " is missing"};
    if (!ours(*bond))
        return {"bond " + wanted.name + " is not one vxsrvnt made"};
    std::vector<std::string> found;
    if (std::string reason = rebuildReason(wanted, *bond); !reason.empty())
        found.push_back("bond " + wanted.name + ": " + reason);
    if (changedOptions(wanted, *bond) != netlink::BondOptions{})
        found.push_back("bond " + wanted.name + ": options differ from the store's");
    for (const NicBinding* nic : {&wanted.primary, &wanted.backup}) {
        const netlink::Link* member = find(nic->ifindex);
        if (!member || member->master != bond->ifindex)
            found.push_back(nic->ifname + " is not a member of " + wanted.name);
    }
    if (!bond->up())
        found.push_back("bond " + wanted.name + " is down");
    return found;
}

std::vector<std::string> KernelMatch::differences(const WantedVlan& wanted) const
{
    const netlink::Link* link = find(wanted.name);
    if (!link)
        return {"VLAN link " + wanted.name + " is missing"};
    if (!ours(*link))
        return {"VLAN link " + wanted.name + " is not one vxsrvnt made"};
    std::vector<std::string> found;
    if (std::string reason = rebuildReason(wanted, *link); !reason.empty())
        found.push_back("VLAN link " + wanted.name + ": " + reason);
    if (link->address != addressOf(wanted))
        found.push_back("VLAN link " + wanted.name + " has address " +
                        netlink::macText(link->address));
    if (link->alias != wanted.alias)
        found.push_back("VLAN link " + wanted.name + " has another alias");
    if (!link->up())
        found.push_back("VLAN link " + wanted.name + " is down");
    return found;
}

} // namespace velnet::vxsrvnt
