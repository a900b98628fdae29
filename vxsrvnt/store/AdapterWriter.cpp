// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/AdapterWriter.h"

#include "vxsrvnt/store/StoreLayout.h"

namespace velnet::vxsrvnt {

using layout::Mode;
using layout::Role;
using registry::Access;
using registry::Key;
using registry::Root;

namespace {

void deleteIfExists(Key& key, const char* name)
{
    if (key.hasValue(name))
        (void)key.deleteValue(name); // a failed write shows at the group's commit
}

void writeFailover(Key& key, const AdapterConfig& a)
{
    (void)key.setDword("FailureCount", a.failover.failureCount);
    (void)key.setDword("PRIMARYADAPTERNUMBER", a.primaryAdapter);
    deleteIfExists(key, "BACKUPADAPTERNUMBER");
    (void)key.setString("PreferredNic", a.failover.preferredNic);
    (void)key.setString("AlternateNicChecking", a.failover.alternateNicChecking);
    (void)key.setString("NicDiagnosticPackets", a.failover.nicDiagnosticPackets);
    (void)key.setString("NicSwitchForever", a.failover.nicSwitchForever);
}

void writeBackupNumber(Key& key, const AdapterConfig& a)
{
    (void)key.setDword("BACKUPADAPTERNUMBER", a.backupAdapter);
    deleteIfExists(key, "PRIMARYADAPTERNUMBER");
}

void deleteFailover(Key& key)
{
    for (const char* name : {"FailureCount", "PreferredNic", "AlternateNicChecking",
                             "NicDiagnosticPackets", "NicSwitchForever"})
        deleteIfExists(key, name);
}

void writeAcd(Key& key, const AdapterConfig& a)
{
    (void)key.setDword("Vlan_op", a.vlanOp);
    (void)key.setDword("SamplingWindow", a.acd.samplingWindow);
    (void)key.setDword("SamplingRatio", a.acd.samplingRatio);
    (void)key.setDword("AlertType", a.acd.alertType);
    (void)key.setString("SelfCheckLevel", a.acd.selfCheckLevel);
    (void)key.setString("ErrorTolerance", a.acd.errorTolerance);
}

void setLabels(Key& card, const layout::Labels& labels)
{
    (void)card.setString("Description", labels.description);
    (void)card.setString("Title", labels.title);
}

} // namespace

Result<Key> AdapterWriter::parameters(int instance)
{
    Key key = registry_.open(Root::LocalMachine, layout::parametersPath(instance), Access::Full);
    if (!key)
        return fail("the store has no key " + layout::parametersPath(instance));
    return key;
}

Key AdapterWriter::networkCard(int instance)
{
    return registry_.create(Root::LocalMachine, layout::networkCardPath(instance), Access::Full);
}

Outcome AdapterWriter::write(const AdapterConfig& adapter)
{
    if (layout::modeOf(adapter) == Mode::Plain)
        return writePlain(adapter);
    for (const VlanConfig& vlan : adapter.vlans)
        if (Outcome written = writeEntry(adapter, vlan); !written)
            return written;
    return {};
}

Outcome AdapterWriter::writePlain(const AdapterConfig& a)
{
    const int instance = a.instances.back();
    auto key = parameters(instance);
    if (!key)
        return fail(key.error());
    Key card = networkCard(instance);
    const Role role = layout::roleOf(a);
    if (role == Role::Backup)
        writeFailover(*key, a);
    if (role == Role::Primary)
        writeBackupNumber(*key, a);
    if (role == Role::StandAlone) {
        deleteIfExists(*key, "PRIMARYADAPTERNUMBER");
        deleteIfExists(*key, "BACKUPADAPTERNUMBER");
        if (key->hasValue("FailureCount"))
            deleteFailover(*key);
    }
    writeAcd(*key, a);
    setLabels(card, layout::labelsFor(a, instance));
    return {};
}

Outcome AdapterWriter::writeEntry(const AdapterConfig& a, const VlanConfig& vlan)
{
    auto key = parameters(vlan.instance);
    if (!key)
        return fail(key.error());
    Key card = networkCard(vlan.instance);
    const Role role = layout::roleOf(a);
    if (layout::modeOf(a) == Mode::VlanOff) {
        deleteIfExists(*key, "VLANID");
        if (role == Role::Backup)
            writeFailover(*key, a);
        if (role == Role::Primary)
            writeBackupNumber(*key, a);
        writeAcd(*key, a);
        setLabels(card, layout::labelsFor(a, vlan.instance));
        return {};
    }
    (void)key->setDword("VLANID", vlan.id);
    if (role == Role::Primary)
        writeBackupNumber(*key, a);
    else
        deleteIfExists(*key, "BACKUPADAPTERNUMBER");
    writeAcd(*key, a);
    (void)key->setString("VLAN_NAME", vlan.name);
    (void)key->setString("Network_Address", vlan.networkAddress);
    setLabels(card, layout::labelsFor(a, vlan.instance, vlan.name));
    if (key->hasValue("FailureCount")) {
        deleteFailover(*key);
        deleteIfExists(*key, "PRIMARYADAPTERNUMBER");
    }
    return {};
}

} // namespace velnet::vxsrvnt
