// SPDX-License-Identifier: MIT
#include "nicsetup/ConfigSaver.h"

#include "common/text/FormatMessage.h"
#include "common/ui/MessageBox.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/Tables.h"

#include <optional>
#include <string>

namespace velnet::nicsetup {

namespace {

using registry::Access;
using registry::Key;
using registry::Root;
using Role = ConfigSaver::Role;

constexpr const char* kParametersMissing =
    "Registry is Corrupted.\n Remove all Velnet Resources and re-install";
constexpr const char* kNetworkCardMissing =
    " Registry is Corrupted.\n Remove all Velnet Instances and re-install";
constexpr const char* kNotSaved =
    "The configuration could not be saved; the registry is unchanged.";

constexpr const char* kMakerKey = "SOFTWARE\\Corvane";

// Title and Description texts; %1.. are filled in as named beside each.
constexpr const char* kDescriptionCard = "(VX410) Bus:%1 Slot %2 %3 ";     // bus, slot, role text
constexpr const char* kDescriptionVlan = "(VX410) Bus:%1 Slot %2 Vlan:%3"; // bus, slot, VLAN
constexpr const char* kDescriptionServer = "[Bus:%1 Slot %2] %3 ";         // bus, slot, text
constexpr const char* kTitleServer = "[%1] Corvane Velnet XL Server: %2";  // instance, text
constexpr const char* kTitlePlain = "[%1] Corvane Velnet XL Server : %2";  // instance, text
constexpr const char* kTitleFast = "[%1] Corvane Fast Velnet Server NIC";  // instance

void tell(const char* text, ui::Icon icon = ui::Icon::None)
{
    ui::messageBox(text, PROGRAM_NAME, ui::Buttons::Ok, icon);
}

std::string parametersPath(std::uint32_t instance)
{
    return "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(instance) +
           "\\Parameters";
}

std::string networkCardPath(std::uint32_t instance)
{
    return "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\" +
           std::to_string(instance);
}

// Every write below goes into the write group that save() commits, and a
// write that fails makes that commit fail, where the save reports it: so the
// results of set and delete are ignored ((void)) where they are made.

void deleteIfExists(Key& key, const char* name)
{
    if (key.hasValue(name))
        (void)key.deleteValue(name);
}

void setTextValue(Key& key, const char* name, const char (&field)[TEXT_FIELD_SIZE])
{
    (void)key.setString(name, textOf(field));
}

void setLabels(Key& card, const std::string& title, const std::string& description)
{
    (void)card.setString("Description", description);
    (void)card.setString("Title", title);
}

std::string describeCard(const char* pattern, const CARD_INFO& card, std::string_view text)
{
    return formatMessage(pattern, {std::to_string(card.BusNumber), std::to_string(card.SlotNumber),
                                   std::string(text)});
}

std::string title(const char* pattern, std::uint32_t instance, std::string_view text = {})
{
    return formatMessage(pattern, {std::to_string(instance), std::string(text)});
}

void writeFailover(Key& key, const CARD_INFO& card)
{
    (void)key.setDword("FailureCount", card.FailureCount);
    (void)key.setDword("PRIMARYADAPTERNUMBER", card.PRIMARYADAPTERNUMBER);
    deleteIfExists(key, "BACKUPADAPTERNUMBER");
    setTextValue(key, "PreferredNic", card.PreferredNic);
    setTextValue(key, "AlternateNicChecking", card.AlternateNicChecking);
    setTextValue(key, "NicDiagnosticPackets", card.NicDiagnosticPackets);
    setTextValue(key, "NicSwitchForever", card.NicSwitchForever);
}

void writeBackupNumber(Key& key, const CARD_INFO& card)
{
    (void)key.setDword("BACKUPADAPTERNUMBER", card.BACKUPADAPTERNUMBER);
    deleteIfExists(key, "PRIMARYADAPTERNUMBER");
}

void deleteFailoverTexts(Key& key)
{
    (void)key.deleteValue("FailureCount");
    (void)key.deleteValue("PreferredNic");
    (void)key.deleteValue("AlternateNicChecking");
    (void)key.deleteValue("NicDiagnosticPackets");
    (void)key.deleteValue("NicSwitchForever");
}

void writeAcd(Key& key, const CARD_INFO& card)
{
    (void)key.setDword("Vlan_op", card.Vlan_op);
    (void)key.setDword("SamplingWindow", card.SamplingWindow);
    (void)key.setDword("SamplingRatio", card.SamplingRatio);
    (void)key.setDword("AlertType", card.AlertType);
    setTextValue(key, "SelfCheckLevel", card.SelfCheckLevel);
    setTextValue(key, "ErrorTolerance", card.ErrorTolerance);
}

// VLAN-off mode: the entry's instance loses its VLAN identifier.
void writeVlanOff(Key& key, Key& netCard, CARD_INFO& card, VlanEntry& entry, Role role)
{
    (void)key.deleteValue("VLANID");
    entry.VLANID = NO_ADAPTER;
    if (role == Role::Backup) {
        writeFailover(key, card);
        setLabels(netCard, title(kTitleServer, entry.InstanceNumber, "STANDBY"),
                  describeCard(kDescriptionCard, card, "Standby Card"));
    }
    if (role == Role::Primary)
        writeBackupNumber(key, card);
    writeAcd(key, card);
    if (role != Role::Backup)
        setLabels(netCard, title(kTitleFast, entry.InstanceNumber),
                  describeCard(kDescriptionServer, card, "Corvane Fast Velnet Server NIC"));
}

// VLAN mode: the entry's instance serves its VLAN and keeps no backup settings.
void writeVlanOn(Key& key, Key& netCard, const CARD_INFO& card, const VlanEntry& entry, Role role)
{
    (void)key.setDword("VLANID", entry.VLANID);
    if (role == Role::Primary)
        writeBackupNumber(key, card);
    else
        deleteIfExists(key, "BACKUPADAPTERNUMBER");
    writeAcd(key, card);
    setTextValue(key, "VLAN_NAME", entry.VLAN_NAME);
    setTextValue(key, "Network_Address", entry.Network_Address);
    const std::string_view vlan = textOf(entry.VLAN_NAME);
    setLabels(netCard, title(kTitleServer, entry.InstanceNumber, vlan),
              describeCard(kDescriptionVlan, card, vlan));
    if (key.hasValue("FailureCount")) {
        deleteFailoverTexts(key);
        deleteIfExists(key, "PRIMARYADAPTERNUMBER");
    }
}

} // namespace

ConfigSaver::ConfigSaver(registry::Registry& registry) : registry_(registry) {}

bool ConfigSaver::save()
{
    // A store that cannot be written would fail every key's open below, each
    // with a box blaming the installation; one box with the true reason is
    // what the user needs, and the dialog stays open with the edits.
    if (registry_.checkWritable() != registry::Status::Success) {
        tellNotSaved();
        return false;
    }
    registry::WriteGroup group(registry_);
    for (std::uint32_t i = 0; i < MAX_ADAPTERS; ++i) {
        if (!isInUse(i))
            continue;
        CARD_INFO& card = ETHCard[i];
        const Role role = assignRole(i);
        if (card.VlanNameMissing != 0) {
            if (writePlain(card, role) == Outcome::EndAdapterLoop)
                break;
        } else {
            writeEntries(card, role, card.Vlan_op != 0);
        }
    }
    setPromptForReboot();
    if (group.commit() != registry::Status::Success) {
        tellNotSaved();
        return false;
    }
    return true;
}

void ConfigSaver::tellNotSaved()
{
    std::string text = kNotSaved;
    if (const std::string why = registry_.errorText(); !why.empty())
        text += "\n" + why;
    tell(text.c_str(), ui::Icon::Error);
}

ConfigSaver::Role ConfigSaver::assignRole(std::uint32_t adapter)
{
    CARD_INFO& card = ETHCard[adapter];
    card.PRIMARYADAPTERNUMBER = NO_ADAPTER;
    card.BACKUPADAPTERNUMBER = NO_ADAPTER;
    std::optional<std::uint32_t> primary; // lowest mark in the adapter's own row
    for (std::uint32_t k = 0; k < MAX_ADAPTERS && !primary; ++k) {
        if (RL_INFO[adapter][k] != 0)
            primary = k;
    }
    // Column and row are looked at in turn, so an adapter marked both ways is
    // a primary only when its backup is adapter 1.
    for (std::uint32_t j = 0; j < MAX_ADAPTERS; ++j) {
        if (RL_INFO[j][adapter] != 0) {
            card.BACKUPADAPTERNUMBER = j + 1;
            return Role::Primary;
        }
        if (primary) {
            card.PRIMARYADAPTERNUMBER = *primary + 1;
            return Role::Backup;
        }
    }
    return Role::StandAlone;
}

void ConfigSaver::writeEntries(CARD_INFO& card, Role role, bool vlanOn)
{
    for (std::uint32_t e = 0; e < card.VlanCount && e < MAX_VLANS; ++e) {
        VlanEntry& entry = card.VlanTable[e];
        Key key =
            registry_.open(Root::LocalMachine, parametersPath(entry.InstanceNumber), Access::Full);
        if (!key) {
            tell(kParametersMissing);
            continue;
        }
        Key netCard =
            registry_.open(Root::LocalMachine, networkCardPath(entry.InstanceNumber), Access::Full);
        if (!netCard) {
            tell(kNetworkCardMissing);
            return;
        }
        if (vlanOn)
            writeVlanOn(key, netCard, card, entry, role);
        else
            writeVlanOff(key, netCard, card, entry, role);
    }
}

ConfigSaver::Outcome ConfigSaver::writePlain(CARD_INFO& card, Role role)
{
    Key key = registry_.open(Root::LocalMachine, parametersPath(card.LastInstance), Access::Full);
    if (!key) {
        tell(kParametersMissing);
        return Outcome::Written;
    }
    Key netCard =
        registry_.open(Root::LocalMachine, networkCardPath(card.LastInstance), Access::Full);
    if (!netCard) {
        tell(kNetworkCardMissing);
        return Outcome::EndAdapterLoop;
    }
    if (role == Role::Backup) {
        writeFailover(key, card);
        setLabels(netCard, title(kTitlePlain, card.LastInstance, "STANDBY"),
                  describeCard(kDescriptionCard, card, "Standby Card"));
    }
    if (role == Role::Primary)
        writeBackupNumber(key, card);
    if (role == Role::StandAlone) {
        deleteIfExists(key, "PRIMARYADAPTERNUMBER");
        deleteIfExists(key, "BACKUPADAPTERNUMBER");
        if (key.hasValue("FailureCount"))
            deleteFailoverTexts(key);
    }
    writeAcd(key, card);
    if (role != Role::Backup)
        setLabels(netCard, title(kTitlePlain, card.LastInstance, "VX410"),
                  describeCard(kDescriptionCard, card, "VX410 Fast Velnet Adapter"));
    return Outcome::Written;
}

void ConfigSaver::setPromptForReboot()
{
    // Written in the save's group: its commit reports a failure.
    if (Key maker = registry_.open(Root::LocalMachine, kMakerKey, Access::Full))
        (void)maker.setString("PromptForReboot", "YES");
}

} // namespace velnet::nicsetup
