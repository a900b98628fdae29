// SPDX-License-Identifier: MIT
#include "nicsetup/ConfigLoader.h"

#include "common/ui/MessageBox.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/Tables.h"

#include <iostream>
#include <string>
#include <utility>

namespace velnet::nicsetup {

namespace {

using registry::Access;
using registry::Key;
using registry::Root;

constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt";

constexpr const char* kNoService = "Could not find any Velnet NIC's or registry corrupted!!!";
constexpr const char* kCorruptDot = "Registry Corrupted. Remove all Velnet NICs and reinstall.";
constexpr const char* kCorruptNoDot = "Registry Corrupted. Remove all Velnet NICs and reinstall";
constexpr const char* kCorruptFailover =
    " Registry Corrupted. Remove all Velnet NICs and reinstall";

constexpr std::size_t kFailoverLimit = 18;
constexpr std::size_t kMacLimit = 18;
constexpr std::size_t kAcdTextLimit = 20;
constexpr std::size_t kVlanTextLimit = 18;
constexpr std::size_t kMacLength = 17;

void tell(const char* text)
{
    ui::messageBox(text, PROGRAM_NAME, ui::Buttons::Ok, ui::Icon::None);
}

std::string parametersPath(std::uint32_t instance)
{
    return std::string(kServiceKey) + std::to_string(instance) + "\\Parameters";
}

// An adapter number that can index the tables, or NO_ADAPTER.
std::uint32_t adapterNumberOrNone(const std::optional<std::uint32_t>& value)
{
    return value && *value >= 1 && *value <= MAX_ADAPTERS ? *value : NO_ADAPTER;
}

void readDword(const Key& key, const char* name, std::uint32_t& field, const char* missing)
{
    if (auto value = key.queryDword(name))
        field = *value;
    else
        tell(missing);
}

void readText(const Key& key, const char* name, std::size_t limit, char (&field)[TEXT_FIELD_SIZE],
              const char* missing)
{
    if (auto value = key.queryString(name, limit))
        setText(field, *value);
    else
        tell(missing);
}

} // namespace

ConfigLoader::ConfigLoader(registry::Registry& registry) : registry_(registry) {}

LoadResult ConfigLoader::load()
{
    clearTables();
    current_.reset();
    if (!registry_.open(Root::LocalMachine, kServiceKey, Access::Full)) {
        // The box says what the program always said; the administrator also
        // needs the store's own reason (file and line, or the system's error).
        if (const std::string why = registry_.errorText(); !why.empty())
            std::cerr << PROGRAM_NAME << ": " << why << '\n';
        tell(kNoService);
        return LoadResult::ServiceKeyMissing;
    }
    // The full-access open of the service key has shown that the store can be
    // written, and access is the same for every key of it: the instance keys,
    // which the load only reads, are opened for reading, which is cheaper.
    for (std::uint32_t n = 0; n < MAX_INSTANCES; ++n) {
        const Key key = registry_.open(Root::LocalMachine, parametersPath(n), Access::Read);
        if (key)
            loadInstance(n, key);
    }
    return LoadResult::Loaded;
}

void ConfigLoader::loadInstance(std::uint32_t instance, const Key& key)
{
    if (const auto number = key.queryDword("ADAPTERNUMBER")) {
        // An adapter that has no record takes the instances after it along.
        if (*number >= 1 && *number <= MAX_ADAPTERS)
            current_ = *number - 1;
        else
            current_.reset();
    }
    if (!current_)
        return;
    CARD_INFO& card = ETHCard[*current_];
    card.AdapterIndex = *current_;

    if (const auto bus = key.queryDword("BusNumber")) {
        card.BusNumber = *bus;
        card.CardFlags |= CARD_BUS_READ;
    }
    if (const auto slot = key.queryDword("SlotNumber")) {
        card.SlotNumber = *slot;
        card.CardFlags |= CARD_SLOT_READ;
    }
    card.PRIMARYADAPTERNUMBER = adapterNumberOrNone(key.queryDword("PRIMARYADAPTERNUMBER"));
    card.BACKUPADAPTERNUMBER = adapterNumberOrNone(key.queryDword("BACKUPADAPTERNUMBER"));

    readDword(key, "SamplingRatio", card.SamplingRatio, kCorruptDot);
    readDword(key, "SamplingWindow", card.SamplingWindow, kCorruptDot);
    readDword(key, "AlertType", card.AlertType, kCorruptDot);

    if (!(card.CardFlags & CARD_IN_USE))
        readFailover(card, key);
    card.CardFlags |= CARD_IN_USE;

    if (const auto mac = key.queryString("Base_Mac_Address", kMacLimit)) {
        setText(card.Base_Mac_Address, *mac);
        if (mac->size() == kMacLength)
            card.CardFlags |= CARD_MAC_VALID;
    }
    readText(key, "SelfCheckLevel", kAcdTextLimit, card.SelfCheckLevel, kCorruptNoDot);
    readText(key, "ErrorTolerance", kAcdTextLimit, card.ErrorTolerance, kCorruptDot);

    readVlan(card, instance, key);
    card.LastInstance = instance;
}

// The first instance of an adapter brings the failover defaults, the relation
// mark and, on a backup, the failover parameters.
void ConfigLoader::readFailover(CARD_INFO& card, const Key& key)
{
    card.FailureCount = 10;
    setText(card.PreferredNic, "Disabled");
    setText(card.AlternateNicChecking, "Enabled");
    setText(card.NicDiagnosticPackets, "Enabled");
    setText(card.NicSwitchForever, "Disabled");

    const std::uint32_t primary = card.PRIMARYADAPTERNUMBER;
    const std::uint32_t backup = card.BACKUPADAPTERNUMBER;
    if ((primary == NO_ADAPTER) == (backup == NO_ADAPTER))
        return;
    if (backup != NO_ADAPTER) {
        RL_INFO[backup - 1][card.AdapterIndex] = 1;
        return;
    }
    RL_INFO[card.AdapterIndex][primary - 1] = 1;
    readDword(key, "FailureCount", card.FailureCount, kCorruptFailover);
    // The texts are read in this order until the first one missing.
    const std::pair<const char*, char(*)[TEXT_FIELD_SIZE]> texts[] = {
        {"PreferredNic", &card.PreferredNic},
        {"AlternateNicChecking", &card.AlternateNicChecking},
        {"NicDiagnosticPackets", &card.NicDiagnosticPackets},
        {"NicSwitchForever", &card.NicSwitchForever},
    };
    for (const auto& [name, field] : texts) {
        const auto value = key.queryString(name, kFailoverLimit);
        if (!value)
            break;
        setText(*field, *value);
    }
}

// An instance with Vlan_op adds a VLAN entry, unless the adapter is a plain
// NIC (an instance without VLAN_NAME was seen) and this instance has VLANs off.
void ConfigLoader::readVlan(CARD_INFO& card, std::uint32_t instance, const Key& key)
{
    const auto vlanOp = key.queryDword("Vlan_op");
    if (!vlanOp)
        return;
    card.Vlan_op = *vlanOp;

    VlanEntry entry{};
    const auto name = key.queryString("VLAN_NAME", kVlanTextLimit);
    if (name)
        setText(entry.VLAN_NAME, *name);
    else
        card.VlanNameMissing = 1;
    entry.VLANID = NO_ADAPTER;
    if (card.Vlan_op == 0 && card.VlanNameMissing != 0)
        return;

    if (name && !name->empty())
        entry.EntryFlags |= VLAN_NAME_SET;
    if (const auto address = key.queryString("Network_Address", kVlanTextLimit)) {
        setText(entry.Network_Address, *address);
        entry.EntryFlags |= VLAN_ADDRESS_SET;
    }
    if (const auto id = key.queryDword("VLANID")) {
        entry.VLANID = *id;
        entry.EntryFlags |= VLAN_ID_SET;
    }
    entry.InstanceNumber = instance;
    // The table keeps the adapter's first MAX_VLANS entries.
    if (card.VlanCount < MAX_VLANS)
        card.VlanTable[card.VlanCount++] = entry;
}

} // namespace velnet::nicsetup
