// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/Installer.h"

#include "vxsrvnt/autocure/AcdPolicy.h"
#include "vxsrvnt/nics/AdapterBinder.h"
#include "vxsrvnt/store/ConfigEdit.h"
#include "vxsrvnt/store/StoreLayout.h"
#include "vxsrvnt/store/StoreReader.h"

#include <algorithm>

namespace velnet::vxsrvnt {

using registry::Access;
using registry::Key;
using registry::Root;
using registry::Status;

namespace {

int setDwordIfMissing(Key& key, const char* name, std::uint32_t value)
{
    if (key.hasValue(name))
        return 0;
    (void)key.setDword(name, value); // a failed write shows at the group's commit
    return 1;
}

int setStringIfMissing(Key& key, const char* name, const std::string& value)
{
    if (key.hasValue(name))
        return 0;
    (void)key.setString(name, value);
    return 1;
}

std::vector<int> usedInstances(registry::Registry& registry)
{
    std::vector<int> used;
    for (int n = 0; n < kMaxInstances; ++n)
        if (registry.open(Root::LocalMachine, layout::instanceKeyPath(n), Access::Read))
            used.push_back(n);
    return used;
}

std::optional<int> lowestFree(const std::vector<int>& used, int first, int last)
{
    for (int n = first; n <= last; ++n)
        if (std::find(used.begin(), used.end(), n) == used.end())
            return n;
    return std::nullopt;
}

} // namespace

Result<InstallReport> Installer::install(const std::vector<MachineNic>& nics)
{
    if (registry_.checkWritable() != Status::Success)
        return fail(storeWriteFailure(registry_).error());
    registry::WriteGroup group(registry_);
    const bool newStore = !registry_.open(Root::LocalMachine, layout::kServiceKey, Access::Read);
    if (newStore && !registry_.create(Root::LocalMachine, layout::kServiceKey, Access::Full))
        return fail(storeWriteFailure(registry_).error());
    StoreReader reader(registry_);
    auto config = reader.read();
    if (!config)
        return fail(config.error());

    InstallReport report;
    const AdapterBinder binder(*config, nics);
    std::vector<int> present; // adapters whose keys this installation keeps up
    for (const NicBinding& bound : binder.bindings()) {
        const auto nic = std::find_if(nics.begin(), nics.end(), [&](const MachineNic& n) {
            return n.ifname == bound.ifname;
        });
        for (const int instance : config->adapter(bound.adapterNumber)->instances)
            report.valuesFilled += fillInstance(instance, bound.adapterNumber, *nic);
        present.push_back(bound.adapterNumber);
    }
    addNew(binder.unboundNics(), *config, report, present);

    const auto updated = reader.read();
    if (!updated)
        return fail(updated.error());
    for (const AdapterConfig& a : updated->adapters) {
        if (std::find(present.begin(), present.end(), a.adapterNumber) == present.end())
            continue;
        const int filled = fillLabels(a);
        const bool added =
            std::any_of(report.added.begin(), report.added.end(),
                        [&](const auto& n) { return n.adapterNumber == a.adapterNumber; });
        if (!added)
            report.valuesFilled += filled;
    }
    if (!newStore && report.added.empty() && report.valuesFilled == 0)
        return report; // nothing to write: the store file stays untouched
    if (group.commit() != Status::Success)
        return fail(storeWriteFailure(registry_).error());
    return report;
}

// New NICs in discovery order: the lowest free adapter number and instance.
void Installer::addNew(const std::vector<MachineNic>& nics, const DriverConfig& config,
                       InstallReport& report, std::vector<int>& present)
{
    std::vector<int> adapters;
    for (const AdapterConfig& a : config.adapters)
        adapters.push_back(a.adapterNumber);
    std::vector<int> instances = usedInstances(registry_);
    for (const MachineNic& nic : nics) {
        const auto adapter = lowestFree(adapters, 1, kMaxAdapters);
        const auto instance = lowestFree(instances, 0, kMaxInstances - 1);
        if (!adapter || !instance) {
            report.notAdded.push_back(nic.ifname + ": no adapter number left (all " +
                                      std::to_string(kMaxAdapters) + " are taken)");
            continue;
        }
        adapters.push_back(*adapter);
        instances.push_back(*instance);
        present.push_back(*adapter);
        fillInstance(*instance, *adapter, nic);
        report.added.push_back({*adapter, *instance, nic.ifname});
    }
}

// The values of a plain instance that its NIC tells, and the autocure
// defaults, where they are missing.
int Installer::fillInstance(int instance, int adapterNumber, const MachineNic& nic)
{
    Key key = registry_.create(Root::LocalMachine, layout::parametersPath(instance), Access::Full);
    int filled = setDwordIfMissing(key, "ADAPTERNUMBER", static_cast<std::uint32_t>(adapterNumber));
    if (nic.pciBus)
        filled += setDwordIfMissing(key, "BusNumber", *nic.pciBus);
    if (nic.pciSlot)
        filled += setDwordIfMissing(key, "SlotNumber", *nic.pciSlot);
    filled += setStringIfMissing(key, "Base_Mac_Address", storeMacText(nic.permanentMac));
    filled += setDwordIfMissing(key, "AdapterSeq", nic.sequence);
    // Vlan_op = 0 on a key without a VLAN makes the NIC plain; a key that
    // names a VLAN without Vlan_op is left to its owner.
    if (!key.hasValue("VLAN_NAME"))
        filled += setDwordIfMissing(key, "Vlan_op", 0);
    // The monitor's own defaults, so that a new NIC is watched as vxsrvnt(8) says.
    using D = autocure::AcdPolicy;
    filled += setDwordIfMissing(key, "SamplingWindow", D::kDefaultWindowSeconds);
    filled += setDwordIfMissing(key, "SamplingRatio", D::kDefaultRatioPercent);
    filled += setDwordIfMissing(key, "AlertType", D::kDefaultAlertMask);
    filled += setStringIfMissing(key, "SelfCheckLevel", D::kDefaultLevel);
    filled += setStringIfMissing(key, "ErrorTolerance", D::kDefaultTolerance);
    return filled;
}

// Title and Description, where missing, on the network-card keys that
// nicsetup's save labels for this adapter.
int Installer::fillLabels(const AdapterConfig& a)
{
    auto fill = [&](int instance, std::string_view vlan) {
        const layout::Labels labels = layout::labelsFor(a, instance, vlan);
        Key card =
            registry_.create(Root::LocalMachine, layout::networkCardPath(instance), Access::Full);
        return setStringIfMissing(card, "Description", labels.description) +
               setStringIfMissing(card, "Title", labels.title);
    };
    if (layout::modeOf(a) == layout::Mode::Plain)
        return fill(a.instances.back(), {});
    int filled = 0;
    for (const VlanConfig& vlan : a.vlans)
        filled += fill(vlan.instance, vlan.name);
    return filled;
}

} // namespace velnet::vxsrvnt
