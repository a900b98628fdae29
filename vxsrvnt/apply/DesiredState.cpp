// SPDX-License-Identifier: MIT
#include "vxsrvnt/apply/DesiredState.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>

namespace velnet::vxsrvnt {

namespace {

constexpr std::size_t kMaxIfname = 15;

std::string adapterText(int number)
{
    return "adapter " + std::to_string(number);
}

bool enabled(const std::string& value)
{
    return value == "Enabled";
}

netlink::BondOptions bondOptions(const FailoverSettings& failover, const NicBinding& primary)
{
    netlink::BondOptions options;
    options.mode = 1; // active-backup
    options.miimon = kMiimonMs;
    options.updelay = 0;
    options.downdelay = std::min(failover.failureCount, kMaxFailureCount) * kMiimonMs;
    options.primary =
        enabled(failover.preferredNic) ? static_cast<std::uint32_t>(primary.ifindex) : 0;
    options.primaryReselect = enabled(failover.nicSwitchForever) ? 2 : 0; // failure : always
    return options;
}

// The pairs, from either side: a NIC in VLAN mode keeps no PRIMARYADAPTERNUMBER,
// so a backup is known from its primary's BACKUPADAPTERNUMBER as well.
std::map<int, int> pairs(const DriverConfig& config, std::vector<std::string>& refusals)
{
    std::map<int, int> backupOf;
    std::set<int> taken;
    auto add = [&](int primary, int backup) {
        if (backupOf.count(primary) && backupOf[primary] == backup)
            return;
        if (primary == backup || taken.count(primary) || taken.count(backup)) {
            refusals.push_back(adapterText(primary) + " and " + adapterText(backup) +
                               ": not paired: one of them is already in another pair");
            return;
        }
        backupOf[primary] = backup;
        taken.insert({primary, backup});
    };
    for (const AdapterConfig& adapter : config.adapters) {
        if (adapter.primaryAdapter != kNoAdapter)
            add(static_cast<int>(adapter.primaryAdapter), adapter.adapterNumber);
        if (adapter.backupAdapter != kNoAdapter)
            add(adapter.adapterNumber, static_cast<int>(adapter.backupAdapter));
    }
    return backupOf;
}

void addBond(DesiredState& state, const DriverConfig& config, const std::vector<NicBinding>& nics,
             int primary, int backup)
{
    const NicBinding* p = bindingOf(nics, primary);
    const NicBinding* b = bindingOf(nics, backup);
    if (!p || !b) {
        state.refusals.push_back(adapterText(primary) + " and " + adapterText(backup) +
                                 ": no bond: " + adapterText(p ? backup : primary) +
                                 " has no NIC on this machine");
        return;
    }
    const AdapterConfig* backupConfig = config.adapter(backup);
    const FailoverSettings failover = backupConfig ? backupConfig->failover : FailoverSettings{};
    WantedBond bond{"vxbond" + std::to_string(primary),
                    std::string(kMark) + "bond " + std::to_string(primary) + "+" +
                        std::to_string(backup),
                    primary,
                    backup,
                    *p,
                    *b,
                    bondOptions(failover, *p)};
    state.bonds.push_back(std::move(bond));
}

std::string bondOf(const DesiredState& state, int adapter)
{
    for (const WantedBond& bond : state.bonds)
        if (bond.primaryAdapter == adapter || bond.backupAdapter == adapter)
            return bond.name;
    return {};
}

bool inRefusedPair(const std::map<int, int>& backupOf, int adapter)
{
    for (const auto& [primary, backup] : backupOf)
        if (primary == adapter || backup == adapter)
            return true;
    return false;
}

void addVlan(DesiredState& state, const AdapterConfig& adapter, const VlanConfig& vlan,
             const std::string& bond, const NicBinding& nic, std::set<std::string>& names)
{
    const std::string who = adapterText(adapter.adapterNumber) + " VLAN \"" + vlan.name + "\"";
    if (vlan.id == kNoAdapter || vlan.id == 0 || vlan.id > 4094) {
        state.refusals.push_back(who + ": not made: its VLANID " +
                                 (vlan.id == kNoAdapter
                                      ? std::string("is missing")
                                      : std::to_string(vlan.id) + " is not a VLAN id (1..4094)"));
        return;
    }
    WantedVlan wanted;
    wanted.name = fitLinkName(vlan.name, vlan.id);
    if (!names.insert(wanted.name).second) {
        state.refusals.push_back(who + ": not made: its interface name " + wanted.name +
                                 " is taken by another VLAN of the store");
        return;
    }
    wanted.fullName = vlan.name;
    wanted.alias = std::string(kMark) + vlan.name;
    wanted.adapter = adapter.adapterNumber;
    wanted.id = static_cast<std::uint16_t>(vlan.id);
    wanted.bond = bond;
    wanted.nic = bond.empty() ? nic.ifname : std::string();
    if (!vlan.networkAddress.empty()) {
        if (auto mac = unicastMac(vlan.networkAddress))
            wanted.address = *mac;
        else
            state.refusals.push_back(who + ": Network_Address \"" + vlan.networkAddress +
                                     "\" is not a unicast MAC address; the link keeps its "
                                     "parent's address");
    }
    state.vlans.push_back(std::move(wanted));
}

void addVlans(DesiredState& state, const DriverConfig& config, const std::vector<NicBinding>& nics,
              const std::map<int, int>& backupOf)
{
    std::set<std::string> names;
    for (const WantedBond& bond : state.bonds)
        names.insert(bond.name);
    for (const AdapterConfig& adapter : config.adapters) {
        if (!adapter.vlansOn())
            continue;
        const NicBinding* nic = bindingOf(nics, adapter.adapterNumber);
        const std::string bond = bondOf(state, adapter.adapterNumber);
        if (!nic || (bond.empty() && inRefusedPair(backupOf, adapter.adapterNumber))) {
            state.refusals.push_back(
                adapterText(adapter.adapterNumber) + ": VLANs not made: " +
                (nic ? "its pair could not be made" : "it has no NIC on this machine"));
            continue;
        }
        for (const VlanConfig& vlan : adapter.vlans)
            addVlan(state, adapter, vlan, bond, *nic, names);
    }
}

} // namespace

DesiredState DesiredState::from(const DriverConfig& config, const std::vector<NicBinding>& nics)
{
    DesiredState state;
    const std::map<int, int> backupOf = pairs(config, state.refusals);
    for (const auto& [primary, backup] : backupOf)
        addBond(state, config, nics, primary, backup);
    addVlans(state, config, nics, backupOf);
    for (const AdapterConfig& adapter : config.adapters)
        if (const NicBinding* nic = bindingOf(nics, adapter.adapterNumber);
            nic && !adapter.title.empty())
            state.titles.push_back({adapter.adapterNumber, nic->ifname, adapter.title});
    return state;
}

std::string fitLinkName(const std::string& vlanName, std::uint32_t id)
{
    std::string name;
    for (const char c : vlanName)
        name += (c == '/' || c == ':' || std::isspace(static_cast<unsigned char>(c)) ||
                 !std::isprint(static_cast<unsigned char>(c)))
                    ? '_'
                    : c;
    if (name.empty() || name == "." || name == "..")
        name = "vlan" + std::to_string(id);
    if (name.size() <= kMaxIfname)
        return name;
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : vlanName)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "-%04x", hash & 0xffff);
    return name.substr(0, kMaxIfname - 5) + suffix;
}

std::optional<std::vector<std::uint8_t>> unicastMac(const std::string& text)
{
    std::optional<std::vector<std::uint8_t>> mac = netlink::parseMac(text);
    if (!mac && text.size() == 12) {
        std::string spaced;
        for (std::size_t i = 0; i < 12; i += 2)
            spaced += (i ? ":" : "") + text.substr(i, 2);
        mac = netlink::parseMac(spaced);
    }
    if (!mac || ((*mac)[0] & 1) ||
        std::all_of(mac->begin(), mac->end(), [](auto b) { return b == 0; }))
        return std::nullopt;
    return mac;
}

} // namespace velnet::vxsrvnt
