// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/Applier.h"

#include "linux/netlink/Rtnl.h"
#include "vxsrvnt/apply/DesiredState.h"
#include "vxsrvnt/apply/KernelMatch.h"
#include "vxsrvnt/apply/Reconciler.h"

#include <algorithm>

namespace velnet::vxsrvnt {

namespace {

NicRole roleOf(const DriverConfig& config, const DesiredState& state, int adapter)
{
    for (const WantedBond& bond : state.bonds) {
        if (bond.primaryAdapter == adapter)
            return NicRole::Primary;
        if (bond.backupAdapter == adapter)
            return NicRole::Backup;
    }
    // A pair the kernel cannot hold (its partner is gone) still gives roles.
    const AdapterConfig* own = config.adapter(adapter);
    if (own && own->primaryAdapter != kNoAdapter)
        return NicRole::Backup;
    if (own && own->backupAdapter != kNoAdapter)
        return NicRole::Primary;
    return NicRole::StandAlone;
}

void addBondView(AdapterView& view, const KernelMatch& match, const DesiredState& state)
{
    const netlink::Link* nic = match.find(view.ifindex);
    const netlink::Link* master = nic && nic->master ? match.find(nic->master) : nullptr;
    if (master && master->kind == "bond") {
        view.bond = master->name;
        if (master->bond && master->bond->activeSlave)
            if (const netlink::Link* active =
                    match.find(static_cast<int>(*master->bond->activeSlave)))
                view.activeMember = active->name;
    }
    for (const WantedBond& bond : state.bonds)
        if (bond.primaryAdapter == view.adapterNumber || bond.backupAdapter == view.adapterNumber) {
            const std::vector<std::string> found = match.differences(bond);
            view.differences.insert(view.differences.end(), found.begin(), found.end());
            return;
        }
    if (!view.bond.empty())
        view.differences.push_back(view.ifname + " is a member of " + view.bond +
                                   ", which the store does not ask for");
}

void addVlanViews(AdapterView& view, const KernelMatch& match, const DesiredState& state)
{
    for (const WantedVlan& vlan : state.vlans) {
        if (vlan.adapter != view.adapterNumber)
            continue;
        VlanView seen{vlan.fullName, vlan.name, vlan.id, {}, false, false};
        if (const netlink::Link* link = match.find(vlan.name); link && KernelMatch::ours(*link)) {
            seen.present = true;
            seen.mac = netlink::macText(link->address);
        }
        const std::vector<std::string> found = match.differences(vlan);
        seen.matches = found.empty();
        view.differences.insert(view.differences.end(), found.begin(), found.end());
        view.vlans.push_back(std::move(seen));
    }
}

void addRefusals(AdapterView& view, const DesiredState& state)
{
    const std::string prefix = "adapter " + std::to_string(view.adapterNumber);
    for (const std::string& refusal : state.refusals)
        if (refusal.starts_with(prefix + " ") || refusal.starts_with(prefix + ":") ||
            refusal.find(" and " + prefix + " ") != std::string::npos ||
            refusal.find(" and " + prefix + ":") != std::string::npos)
            view.differences.push_back(refusal);
}

} // namespace

std::optional<std::string> ApplyReport::newRefusal(const std::vector<std::string>& standing) const
{
    for (const std::string& refusal : refusals)
        if (std::find(standing.begin(), standing.end(), refusal) == standing.end())
            return refusal;
    return std::nullopt;
}

Applier::Applier(netlink::Rtnl& rtnl) : rtnl_(rtnl) {}

Result<ApplyReport> Applier::apply(const DriverConfig& config, const std::vector<NicBinding>& nics,
                                   const ApplyOptions& options)
{
    return Reconciler(rtnl_, options).apply(DesiredState::from(config, nics));
}

Result<ApplyReport> Applier::removeAll(const ApplyOptions& options)
{
    return Reconciler(rtnl_, options).removeAll();
}

Result<KernelView> Applier::observe(const DriverConfig& config, const std::vector<NicBinding>& nics)
{
    Result<std::vector<netlink::Link>> links = rtnl_.links();
    if (!links.ok())
        return fail(links.error());
    const KernelMatch match(*links);
    const DesiredState state = DesiredState::from(config, nics);
    KernelView view;
    for (const NicBinding& nic : nics) {
        AdapterView adapter;
        adapter.adapterNumber = nic.adapterNumber;
        adapter.ifname = nic.ifname;
        adapter.ifindex = nic.ifindex;
        adapter.role = roleOf(config, state, nic.adapterNumber);
        addBondView(adapter, match, state);
        addVlanViews(adapter, match, state);
        addRefusals(adapter, state);
        adapter.matches = adapter.differences.empty();
        view.adapters.push_back(std::move(adapter));
    }
    return view;
}

} // namespace velnet::vxsrvnt
