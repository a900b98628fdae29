// SPDX-License-Identifier: MIT
#pragma once
// Added after the first version: AdapterConfig::title (read by apply for the NIC's alias).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velnet::vxsrvnt {

// What the store's instance keys say about the machine's NICs, read the way
// nicsetup's load reads them: per adapter the last instance's ACD values win,
// the pairing and failover values come from its lowest-numbered instance.
// Texts are kept as stored; interpreting them is the reader's business.

constexpr int kMaxAdapters = 50;
constexpr int kMaxInstances = 800;
constexpr std::uint32_t kNoAdapter = 255;

struct FailoverSettings
{
    std::uint32_t failureCount = 10;
    std::string preferredNic = "Disabled";
    std::string alternateNicChecking = "Enabled";
    std::string nicDiagnosticPackets = "Enabled";
    std::string nicSwitchForever = "Disabled";

    bool operator==(const FailoverSettings&) const = default;
};

struct AcdSettings
{
    std::string selfCheckLevel;
    std::uint32_t samplingWindow = 0;
    std::uint32_t samplingRatio = 0;
    std::uint32_t alertType = 0;
    std::string errorTolerance;

    bool operator==(const AcdSettings&) const = default;
};

struct VlanConfig
{
    int instance = 0;              // the vxsrvntN key it lives in
    std::string name;              // VLAN_NAME
    std::uint32_t id = kNoAdapter; // VLANID, kNoAdapter when absent
    std::string networkAddress;    // Network_Address, may be empty

    bool operator==(const VlanConfig&) const = default;
};

struct AdapterConfig
{
    int adapterNumber = 0;      // 1..50
    std::vector<int> instances; // ascending
    std::string baseMacAddress; // Base_Mac_Address as stored ("00-A0-CC-4E-1F-02")
    std::string
        title; // Title of the first instance's NetworkCards key (added for apply: the NIC's alias)
    std::optional<std::uint32_t> busNumber;
    std::optional<std::uint32_t> slotNumber;
    std::optional<std::uint32_t> adapterSeq;
    std::uint32_t vlanOp = 0;                  // Vlan_op of the last instance that had one
    bool vlanNameMissing = false;              // a plain (non-VLAN) adapter
    std::vector<VlanConfig> vlans;             // only when !vlanNameMissing
    std::uint32_t primaryAdapter = kNoAdapter; // set on a backup
    std::uint32_t backupAdapter = kNoAdapter;  // set on a primary
    FailoverSettings failover;                 // meaningful on a backup
    AcdSettings acd;

    // VLAN links are wanted only in VLAN mode.
    bool vlansOn() const { return vlanOp != 0 && !vlanNameMissing && !vlans.empty(); }
    bool operator==(const AdapterConfig&) const = default;
};

struct DriverConfig
{
    std::vector<AdapterConfig> adapters; // ascending adapter number, only those in use

    const AdapterConfig* adapter(int number) const
    {
        for (const AdapterConfig& a : adapters)
            if (a.adapterNumber == number)
                return &a;
        return nullptr;
    }
    AdapterConfig* adapter(int number)
    {
        return const_cast<AdapterConfig*>(std::as_const(*this).adapter(number));
    }
    bool operator==(const DriverConfig&) const = default;
};

} // namespace velnet::vxsrvnt
