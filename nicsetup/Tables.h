// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The configuration tables of nicsetup: one record per adapter (physical NIC),
// the VLAN entries inside each record, and the primary/backup relation matrix.
// They are program-wide and live for the whole run; there is no other copy of
// the configuration. The start-up load (ConfigLoader) zero-fills and fills them,
// the dialogs read and change the records in place by adapter index, and the
// save (ConfigSaver) writes them back.
//
// Adapter numbers are 1-based in the registry (ADAPTERNUMBER 1..50) and 0-based
// as indexes into ETHCard and RL_INFO. NO_ADAPTER (255) means "none" in the two
// adapter-number fields and in VLANID and is never used as an index.
namespace velnet::nicsetup {

inline constexpr std::uint32_t MAX_ADAPTERS = 50;
inline constexpr std::uint32_t MAX_INSTANCES = 800; // driver instances 0..799
inline constexpr std::uint32_t MAX_VLANS = 16;
inline constexpr std::uint32_t NO_ADAPTER = 255;

// Size of every text field, terminating NUL included.
inline constexpr std::size_t TEXT_FIELD_SIZE = 128;

// CARD_INFO::CardFlags
inline constexpr std::uint32_t CARD_BUS_READ = 0x01;  // BusNumber was read
inline constexpr std::uint32_t CARD_SLOT_READ = 0x02; // SlotNumber was read
inline constexpr std::uint32_t CARD_MAC_VALID = 0x04; // Base_Mac_Address read, 17 characters
inline constexpr std::uint32_t CARD_IN_USE = 0x10;    // filled from at least one instance key

// VlanEntry::EntryFlags
inline constexpr std::uint32_t VLAN_NAME_SET = 0x01;    // a non-empty VLAN_NAME was read
inline constexpr std::uint32_t VLAN_ID_SET = 0x02;      // VLANID was read
inline constexpr std::uint32_t VLAN_ADDRESS_SET = 0x08; // Network_Address was read

struct VlanEntry
{
    char VLAN_NAME[TEXT_FIELD_SIZE];
    std::uint32_t VLANID; // 1..16, NO_ADAPTER when not set
    char Network_Address[TEXT_FIELD_SIZE];
    std::uint32_t InstanceNumber; // the vxsrvntN key the entry is written back to
    std::uint32_t EntryFlags;
};

struct CARD_INFO
{
    char Base_Mac_Address[TEXT_FIELD_SIZE]; // 17 characters when valid
    std::uint32_t VlanCount;                // entries of VlanTable in use, 0..MAX_VLANS
    std::uint32_t AdapterIndex;             // ADAPTERNUMBER - 1
    std::uint32_t BusNumber;
    std::uint32_t SlotNumber;
    std::uint32_t Vlan_op;              // 0 = VLANs off
    std::uint32_t PRIMARYADAPTERNUMBER; // on a backup: adapter number of its primary
    std::uint32_t BACKUPADAPTERNUMBER;  // on a primary: adapter number of its backup
    std::uint32_t CardFlags;
    VlanEntry VlanTable[MAX_VLANS];
    std::uint32_t LastInstance;    // highest instance number read for this adapter
    std::uint32_t VlanNameMissing; // 1 once an instance had Vlan_op but no VLAN_NAME
    std::uint32_t FailureCount;
    char PreferredNic[TEXT_FIELD_SIZE];
    char AlternateNicChecking[TEXT_FIELD_SIZE];
    char NicDiagnosticPackets[TEXT_FIELD_SIZE];
    char NicSwitchForever[TEXT_FIELD_SIZE];
    char SelfCheckLevel[TEXT_FIELD_SIZE];
    std::uint32_t SamplingWindow;
    std::uint32_t SamplingRatio;
    char ErrorTolerance[TEXT_FIELD_SIZE];
    std::uint32_t AlertType; // bit 0 Information, bit 1 Warning, bit 2 Error
};

// The adapter table, indexed by adapter index. A record counts only when its
// CardFlags has CARD_IN_USE; the others are all zero and are ignored.
extern CARD_INFO ETHCard[MAX_ADAPTERS];

// RL_INFO[b][p] != 0: adapter index b is the backup (standby) NIC of adapter
// index p. A marked row makes a backup, a marked column a primary, neither a
// stand-alone adapter.
extern std::uint32_t RL_INFO[MAX_ADAPTERS][MAX_ADAPTERS];

// Zero-fills ETHCard and RL_INFO.
void clearTables();

// Copies `text` into a text field, cut to fit so that the field always ends
// with a NUL. Every writer of a text field goes through here.
void setText(char (&field)[TEXT_FIELD_SIZE], std::string_view text);

// The text of a field, up to its NUL (never past the end of the field).
std::string_view textOf(const char (&field)[TEXT_FIELD_SIZE]);

bool isInUse(std::uint32_t adapterIndex);

} // namespace velnet::nicsetup
