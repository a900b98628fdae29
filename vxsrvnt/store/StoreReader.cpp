// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/StoreReader.h"

#include "vxsrvnt/store/StoreLayout.h"

#include <utility>

namespace velnet::vxsrvnt {

using registry::Access;
using registry::Key;
using registry::Root;

struct StoreReader::Reading
{
    AdapterConfig adapter;
    bool inUse = false;
    // The relation as the first instance gave it: this adapter's primary
    // (a backup) or backup (a primary), as nicsetup's relation matrix holds it.
    std::uint32_t firstPrimary = kNoAdapter;
    std::uint32_t firstBackup = kNoAdapter;
};

namespace {

std::uint32_t adapterNumberOrNone(const std::optional<std::uint32_t>& value)
{
    return value && *value >= 1 && *value <= kMaxAdapters ? *value : kNoAdapter;
}

} // namespace

Result<DriverConfig> StoreReader::read()
{
    warnings_.clear();
    current_.reset();
    if (!registry_.open(Root::LocalMachine, layout::kServiceKey, Access::Read)) {
        if (std::string why = registry_.errorText(); !why.empty())
            return fail(std::move(why));
        return fail(std::string("the store has no driver service key HKEY_LOCAL_MACHINE\\") +
                    layout::kServiceKey + " (run vxsrvnt install)");
    }
    std::vector<Reading> readings(kMaxAdapters);
    for (int n = 0; n < kMaxInstances; ++n) {
        if (const Key key =
                registry_.open(Root::LocalMachine, layout::parametersPath(n), Access::Read))
            readInstance(n, key, readings);
    }
    assignRoles(readings);
    DriverConfig config;
    for (Reading& reading : readings)
        if (reading.inUse)
            config.adapters.push_back(std::move(reading.adapter));
    return config;
}

void StoreReader::warnMissing(int instance, const char* value)
{
    warnings_.push_back(layout::parametersPath(instance) + ": " + value +
                        " is missing or too long; nicsetup reports the store as corrupted");
}

void StoreReader::readInstance(int instance, const Key& key, std::vector<Reading>& readings)
{
    if (const auto number = key.queryDword("ADAPTERNUMBER")) {
        if (*number >= 1 && *number <= kMaxAdapters)
            current_ = static_cast<int>(*number);
        else
            current_.reset();
    }
    if (!current_)
        return;
    Reading& reading = readings[static_cast<std::size_t>(*current_ - 1)];
    AdapterConfig& a = reading.adapter;
    a.adapterNumber = *current_;
    a.instances.push_back(instance);
    if (const auto bus = key.queryDword("BusNumber"))
        a.busNumber = *bus;
    if (const auto slot = key.queryDword("SlotNumber"))
        a.slotNumber = *slot;
    if (const auto seq = key.queryDword("AdapterSeq"))
        a.adapterSeq = *seq;
    a.primaryAdapter = adapterNumberOrNone(key.queryDword("PRIMARYADAPTERNUMBER"));
    a.backupAdapter = adapterNumberOrNone(key.queryDword("BACKUPADAPTERNUMBER"));

    const std::pair<const char*, std::uint32_t*> numbers[] = {
        {"SamplingRatio", &a.acd.samplingRatio},
        {"SamplingWindow", &a.acd.samplingWindow},
        {"AlertType", &a.acd.alertType},
    };
    for (const auto& [name, field] : numbers) {
        if (const auto value = key.queryDword(name))
            *field = *value;
        else
            warnMissing(instance, name);
    }
    if (!reading.inUse)
        readFailover(reading, key, instance);
    reading.inUse = true;

    if (const auto mac = key.queryString("Base_Mac_Address", layout::kMacLimit))
        a.baseMacAddress = *mac;
    // The first instance's network-card Title becomes the NIC's alias (apply).
    if (a.instances.size() == 1)
        if (const Key card =
                registry_.open(Root::LocalMachine, layout::networkCardPath(instance), Access::Read))
            a.title = card.queryString("Title", 256).value_or("");
    const std::pair<const char*, std::string*> texts[] = {
        {"SelfCheckLevel", &a.acd.selfCheckLevel},
        {"ErrorTolerance", &a.acd.errorTolerance},
    };
    for (const auto& [name, field] : texts) {
        if (const auto value = key.queryString(name, layout::kAcdTextLimit))
            *field = *value;
        else
            warnMissing(instance, name);
    }
    readVlan(reading, key, instance);
}

// The first instance of an adapter gives the relation and, on a backup, the
// failover values; the texts are read in order until the first missing one.
void StoreReader::readFailover(Reading& reading, const Key& key, int instance)
{
    AdapterConfig& a = reading.adapter;
    a.failover = FailoverSettings{};
    if ((a.primaryAdapter == kNoAdapter) == (a.backupAdapter == kNoAdapter))
        return;
    reading.firstPrimary = a.primaryAdapter;
    reading.firstBackup = a.backupAdapter;
    if (a.primaryAdapter == kNoAdapter)
        return;
    if (const auto count = key.queryDword("FailureCount"))
        a.failover.failureCount = *count;
    else
        warnMissing(instance, "FailureCount");
    const std::pair<const char*, std::string*> texts[] = {
        {"PreferredNic", &a.failover.preferredNic},
        {"AlternateNicChecking", &a.failover.alternateNicChecking},
        {"NicDiagnosticPackets", &a.failover.nicDiagnosticPackets},
        {"NicSwitchForever", &a.failover.nicSwitchForever},
    };
    for (const auto& [name, field] : texts) {
        const auto value = key.queryString(name, layout::kFailoverLimit);
        if (!value)
            break;
        *field = *value;
    }
}

void StoreReader::readVlan(Reading& reading, const Key& key, int instance)
{
    AdapterConfig& a = reading.adapter;
    const auto vlanOp = key.queryDword("Vlan_op");
    if (!vlanOp)
        return;
    a.vlanOp = *vlanOp;
    const auto name = key.queryString("VLAN_NAME", layout::kVlanTextLimit);
    if (!name)
        a.vlanNameMissing = true;
    if (a.vlanOp == 0 && a.vlanNameMissing)
        return;
    VlanConfig vlan;
    vlan.instance = instance;
    vlan.name = name.value_or("");
    vlan.networkAddress = key.queryString("Network_Address", layout::kVlanTextLimit).value_or("");
    vlan.id = key.queryDword("VLANID").value_or(kNoAdapter);
    if (static_cast<int>(a.vlans.size()) < layout::kMaxVlans)
        a.vlans.push_back(std::move(vlan));
}

// The roles nicsetup's save gives the adapters from its relation matrix:
// marked by a backup (row) or a primary (column) on their first instances.
void StoreReader::assignRoles(std::vector<Reading>& readings)
{
    bool marks[kMaxAdapters][kMaxAdapters] = {}; // [backup][primary]
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const Reading& r = readings[i];
        if (!r.inUse)
            continue;
        if (r.firstBackup != kNoAdapter)
            marks[r.firstBackup - 1][i] = true;
        else if (r.firstPrimary != kNoAdapter)
            marks[i][r.firstPrimary - 1] = true;
    }
    for (std::size_t i = 0; i < readings.size(); ++i) {
        AdapterConfig& a = readings[i].adapter;
        a.primaryAdapter = kNoAdapter;
        a.backupAdapter = kNoAdapter;
        std::optional<std::size_t> primary;
        for (std::size_t k = 0; k < kMaxAdapters && !primary; ++k)
            if (marks[i][k])
                primary = k;
        // Column and row in turn, as the save looks at them.
        for (std::size_t j = 0; j < kMaxAdapters; ++j) {
            if (marks[j][i]) {
                a.backupAdapter = static_cast<std::uint32_t>(j + 1);
                break;
            }
            if (primary) {
                a.primaryAdapter = static_cast<std::uint32_t>(*primary + 1);
                break;
            }
        }
    }
}

} // namespace velnet::vxsrvnt
