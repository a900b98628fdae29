// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/Reconciler.h"

#include "linux/netlink/Rtnl.h"
#include "vxsrvnt/apply/KernelMatch.h"

#include <algorithm>
#include <linux/rtnetlink.h>
#include <sstream>

namespace velnet::vxsrvnt {

namespace {

std::string pairText(const WantedBond& bond)
{
    return "adapters " + std::to_string(bond.primaryAdapter) + " (" + bond.primary.ifname +
           ") and " + std::to_string(bond.backupAdapter) + " (" + bond.backup.ifname + ")";
}

std::string optionsText(const netlink::BondOptions& options)
{
    std::string text = "miimon " + std::to_string(options.miimon.value_or(0)) + " ms, downdelay " +
                       std::to_string(options.downdelay.value_or(0)) + " ms, primary_reselect " +
                       (options.primaryReselect.value_or(0) == 2 ? "failure" : "always");
    return text;
}

} // namespace

Reconciler::Reconciler(netlink::Rtnl& rtnl, const ApplyOptions& options)
    : rtnl_(rtnl), options_(options), journal_(options.runtimeDir), records_(options.runtimeDir)
{
}

Outcome Reconciler::reload()
{
    Result<std::vector<netlink::Link>> links = rtnl_.links();
    if (!links.ok())
        return fail(links.error());
    links_ = std::move(links).value();
    return {};
}

void Reconciler::refuse(const std::string& text)
{
    report_.refusals.push_back(text);
}

Result<ApplyReport> Reconciler::apply(const DesiredState& state)
{
    report_.refusals = state.refusals;
    if (Outcome read = reload(); !read.ok())
        return fail(read.error());
    recover();
    removeUnwanted(state);
    if (Outcome read = reload(); !read.ok())
        return fail(read.error());
    for (const WantedBond& bond : state.bonds)
        realise(bond);
    if (Outcome read = reload(); !read.ok())
        return fail(read.error());
    for (const WantedVlan& vlan : state.vlans)
        realise(vlan);
    for (const WantedTitle& title : state.titles)
        realise(title);
    finish();
    return report_;
}

// The records follow the links that carry the mark now.
void Reconciler::finish()
{
    journal_.clear();
    if (!reload().ok())
        return;
    std::set<std::string> ours;
    for (const netlink::Link& link : links_)
        if (KernelMatch::ours(link))
            ours.insert(link.name);
    records_.keepOnly(ours);
}

Result<ApplyReport> Reconciler::removeAll()
{
    if (Outcome read = reload(); !read.ok())
        return fail(read.error());
    recover();
    removeUnwanted(DesiredState{});
    finish();
    return report_;
}

// Undoes what an apply that died left half made: links it was making that
// do not carry the mark yet, and members it took down.
void Reconciler::recover()
{
    const std::vector<std::string> entries = journal_.entries();
    if (entries.empty())
        return;
    std::vector<std::pair<int, bool>> members;
    for (const std::string& entry : entries) {
        std::istringstream words(entry);
        std::string what, name, state;
        words >> what >> name >> state;
        const KernelMatch match(links_);
        if (what == "member") {
            members.emplace_back(std::atoi(name.c_str()), state == "up");
        } else if (const netlink::Link* link = match.find(name);
                   what == "link" && link && !KernelMatch::ours(*link) &&
                   (link->kind == "bond" || link->kind == "vlan")) {
            removeLink(*link, "half made by an apply that was interrupted");
        }
    }
    (void)reload(); // a failure here shows again at the next reload
    for (const auto& [ifindex, up] : members)
        restoreMember(ifindex, up);
    journal_.clear();
}

void Reconciler::restoreMember(int ifindex, bool up)
{
    const KernelMatch match(links_);
    const netlink::Link* link = match.find(ifindex);
    if (!link || link->master != 0 || link->up() == up)
        return;
    if (Outcome done = rtnl_.setUp(ifindex, up); !done.ok())
        refuse(link->name + ": " + done.error());
    else
        report_.actions.push_back("brought " + link->name + (up ? " up" : " down") +
                                  " again as it was before it was enslaved");
}

void Reconciler::removeLink(const netlink::Link& link, const std::string& why)
{
    std::vector<std::pair<int, bool>> members;
    for (const netlink::Link& other : links_)
        if (link.kind == "bond" && other.master == link.ifindex) {
            members.emplace_back(other.ifindex, other.up());
            (void)journal_.record("member " + std::to_string(other.ifindex) +
                                  (other.up() ? " up" : " down"));
        }
    if (Outcome done = rtnl_.deleteLink(link.ifindex); !done.ok()) {
        refuse(link.name + ": not removed: " + done.error());
        return;
    }
    report_.actions.push_back("removed " + link.kind + " " + link.name + ": " + why);
    // A released member is left down by the kernel; it gets its state back.
    if (!members.empty() && reload().ok())
        for (const auto& [ifindex, up] : members)
            restoreMember(ifindex, up);
}

void Reconciler::removeUnwanted(const DesiredState& state)
{
    const std::vector<netlink::Link> snapshot = links_;
    const KernelMatch match(snapshot);
    // VLANs first: a bond that goes takes its VLANs with it.
    for (const char* kind : {"vlan", "bond"}) {
        for (const netlink::Link& link : snapshot) {
            if (!KernelMatch::ours(link) || link.kind != kind)
                continue;
            std::string why = "the store no longer asks for it";
            if (link.kind == "vlan") {
                auto wanted =
                    std::find_if(state.vlans.begin(), state.vlans.end(),
                                 [&](const WantedVlan& v) { return v.name == link.name; });
                if (wanted != state.vlans.end())
                    why = match.rebuildReason(*wanted, link);
            } else {
                auto wanted =
                    std::find_if(state.bonds.begin(), state.bonds.end(),
                                 [&](const WantedBond& b) { return b.name == link.name; });
                if (wanted != state.bonds.end())
                    why = match.rebuildReason(*wanted, link);
            }
            if (!why.empty() && reload().ok())
                if (const netlink::Link* now = KernelMatch(links_).find(link.ifindex))
                    removeLink(*now, why);
        }
    }
}

bool Reconciler::refuseTaken(const std::string& name, const std::string& who)
{
    const KernelMatch match(links_);
    const netlink::Link* link = match.find(name);
    if (!link || KernelMatch::ours(*link))
        return false;
    refuse(who + ": not made: the name " + name + " belongs to a link vxsrvnt did not make");
    return true;
}

void Reconciler::realise(const WantedBond& bond)
{
    if (refuseTaken(bond.name, pairText(bond)))
        return;
    const KernelMatch match(links_);
    if (const netlink::Link* link = match.find(bond.name))
        adjustBond(bond, *link);
    else
        makeBond(bond);
}

std::string Reconciler::enslaveProblem(const NicBinding& nic, int bond)
{
    const KernelMatch match(links_);
    const netlink::Link* link = match.find(nic.ifindex);
    if (!link)
        return nic.ifname + " is gone";
    if (link->master != 0 && link->master != bond) {
        const netlink::Link* master = match.find(link->master);
        return nic.ifname + " is a member of " + (master ? master->name : "another link");
    }
    if (options_.allowAddressed)
        return {};
    if (!addresses_) {
        Result<std::vector<netlink::InterfaceAddress>> read = rtnl_.addresses();
        if (!read.ok())
            return read.error();
        addresses_ = std::move(read).value();
    }
    for (const netlink::InterfaceAddress& address : *addresses_)
        if (address.ifindex == nic.ifindex && address.scope != RT_SCOPE_LINK &&
            address.scope != RT_SCOPE_HOST)
            return nic.ifname + " holds the address " + address.text +
                   "; pass --force to enslave it anyway";
    if (!defaultRoutes_) {
        Result<std::vector<int>> read = rtnl_.defaultRouteInterfaces();
        if (!read.ok())
            return read.error();
        defaultRoutes_ = std::move(read).value();
    }
    if (std::count(defaultRoutes_->begin(), defaultRoutes_->end(), nic.ifindex))
        return nic.ifname + " carries a default route; pass --force to enslave it anyway";
    return {};
}

Outcome Reconciler::enslave(const NicBinding& nic, int bond)
{
    const KernelMatch match(links_);
    const netlink::Link* link = match.find(nic.ifindex);
    if (Outcome recorded = journal_.record("member " + std::to_string(nic.ifindex) +
                                           (link && link->up() ? " up" : " down"));
        !recorded.ok())
        return recorded;
    // The kernel takes only a member that is down, and brings it up itself.
    if (Outcome down = rtnl_.setUp(nic.ifindex, false); !down.ok())
        return down;
    return rtnl_.setMaster(nic.ifindex, bond);
}

void Reconciler::makeBond(const WantedBond& bond)
{
    for (const NicBinding* nic : {&bond.primary, &bond.backup})
        if (std::string problem = enslaveProblem(*nic, 0); !problem.empty()) {
            refuse(pairText(bond) + ": not paired: " + problem);
            return;
        }
    int made = 0;
    if (Outcome built = buildBond(bond, made); !built.ok()) {
        // Whole or not at all: what the failed steps made goes again.
        if (made && reload().ok())
            if (const netlink::Link* link = KernelMatch(links_).find(made))
                removeLink(*link, "its pair could not be made whole");
        refuse(pairText(bond) + ": not paired: " + built.error());
        return;
    }
    report_.actions.push_back("made bond " + bond.name + " of " + pairText(bond) + " (" +
                              optionsText(bond.options) + ")");
}

Outcome Reconciler::buildBond(const WantedBond& bond, int& made)
{
    if (Outcome recorded = journal_.record("link " + bond.name); !recorded.ok())
        return recorded;
    records_.add(bond.name);
    netlink::BondOptions options = bond.options;
    options.primary.reset(); // set once the primary is a member
    if (Outcome created = rtnl_.createBond(bond.name, options); !created.ok())
        return created;
    Result<netlink::Link> link = rtnl_.link(bond.name);
    if (!link.ok())
        return fail(link.error());
    made = link->ifindex;
    if (Outcome up = rtnl_.setUp(made, true); !up.ok())
        return up;
    // The primary first: the first member becomes the active one.
    for (const NicBinding* nic : {&bond.primary, &bond.backup})
        if (Outcome joined = enslave(*nic, made); !joined.ok())
            return joined;
    if (bond.options.primary.value_or(0) != 0) {
        netlink::BondOptions primary;
        primary.primary = bond.options.primary;
        if (Outcome set = rtnl_.changeBond(made, primary); !set.ok())
            return set;
    }
    // The mark comes last: a bond without it is half made.
    return rtnl_.setAlias(made, bond.alias);
}

void Reconciler::adjustBond(const WantedBond& bond, const netlink::Link& link)
{
    const KernelMatch match(links_);
    if (netlink::BondOptions change = match.changedOptions(bond, link);
        change != netlink::BondOptions{}) {
        if (Outcome done = rtnl_.changeBond(link.ifindex, change); !done.ok())
            refuse(pairText(bond) + ": " + done.error());
        else
            report_.actions.push_back("changed the options of bond " + bond.name + " (" +
                                      optionsText(bond.options) + ")");
    }
    for (const netlink::Link& other : links_)
        if (other.master == link.ifindex && other.ifindex != bond.primary.ifindex &&
            other.ifindex != bond.backup.ifindex) {
            const bool up = other.up();
            if (Outcome released = rtnl_.setMaster(other.ifindex, 0); !released.ok())
                refuse(bond.name + ": " + released.error());
            else if (up)
                (void)rtnl_.setUp(other.ifindex, true); // shown by status if it failed
        }
    for (const NicBinding* nic : {&bond.primary, &bond.backup}) {
        const netlink::Link* member = match.find(nic->ifindex);
        if (member && member->master == link.ifindex)
            continue;
        if (std::string problem = enslaveProblem(*nic, link.ifindex); !problem.empty())
            refuse(pairText(bond) + ": " + nic->ifname + " not enslaved again: " + problem);
        else if (Outcome joined = enslave(*nic, link.ifindex); !joined.ok())
            refuse(pairText(bond) + ": " + joined.error());
        else
            report_.actions.push_back("enslaved " + nic->ifname + " to " + bond.name + " again");
    }
    if (!link.up()) {
        if (Outcome up = rtnl_.setUp(link.ifindex, true); up.ok())
            report_.actions.push_back("brought bond " + bond.name + " up");
        else
            refuse(bond.name + ": " + up.error());
    }
}

void Reconciler::realise(const WantedVlan& vlan)
{
    const std::string who =
        "adapter " + std::to_string(vlan.adapter) + " VLAN \"" + vlan.fullName + "\"";
    if (refuseTaken(vlan.name, who))
        return;
    const KernelMatch match(links_);
    const netlink::Link* parent = match.parentOf(vlan);
    if (!parent) {
        refuse(who + ": not made: its parent " + (vlan.bond.empty() ? vlan.nic : vlan.bond) +
               " is not there");
        return;
    }
    const netlink::Link* link = match.find(vlan.name);
    if (!link) {
        int made = 0;
        if (Outcome built = buildVlan(vlan, parent->ifindex, made); !built.ok()) {
            if (made)
                (void)rtnl_.deleteLink(made); // if this fails too, it stays unmarked
            refuse(who + ": not made: " + built.error());
        } else {
            report_.actions.push_back("made VLAN link " + vlan.name + " (id " +
                                      std::to_string(vlan.id) + ") on " + parent->name);
        }
        return;
    }
    if (const std::vector<std::uint8_t> address = match.addressOf(vlan); link->address != address) {
        if (Outcome set = rtnl_.setAddress(link->ifindex, address); !set.ok())
            refuse(who + ": " + set.error());
        else
            report_.actions.push_back("set the address of " + vlan.name + " to " +
                                      netlink::macText(address));
    }
    if (link->alias != vlan.alias)
        if (Outcome set = rtnl_.setAlias(link->ifindex, vlan.alias); !set.ok())
            refuse(who + ": " + set.error());
    if (!link->up()) {
        if (Outcome up = rtnl_.setUp(link->ifindex, true); !up.ok())
            refuse(who + ": " + up.error());
        else
            report_.actions.push_back("brought VLAN link " + vlan.name + " up");
    }
}

Outcome Reconciler::buildVlan(const WantedVlan& vlan, int parent, int& made)
{
    if (Outcome recorded = journal_.record("link " + vlan.name); !recorded.ok())
        return recorded;
    records_.add(vlan.name);
    if (Outcome created = rtnl_.createVlan(vlan.name, parent, vlan.id, vlan.address); !created.ok())
        return created;
    Result<netlink::Link> link = rtnl_.link(vlan.name);
    if (!link.ok())
        return fail(link.error());
    made = link->ifindex;
    if (Outcome up = rtnl_.setUp(made, true); !up.ok())
        return up;
    return rtnl_.setAlias(made, vlan.alias);
}

void Reconciler::realise(const WantedTitle& title)
{
    const KernelMatch match(links_);
    const netlink::Link* link = match.find(title.ifname);
    if (!link || link->alias == title.alias)
        return;
    if (Outcome set = rtnl_.setAlias(link->ifindex, title.alias); !set.ok())
        refuse("adapter " + std::to_string(title.adapter) + ": " + set.error());
    else
        report_.actions.push_back("set the alias of " + title.ifname + " to \"" + title.alias +
                                  "\"");
}

} // namespace velnet::vxsrvnt
