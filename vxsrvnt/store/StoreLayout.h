// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/config/DriverConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where the driver's keys live and the texts nicsetup's save puts into them.
// The store is shared with nicsetup and cardcheck, so every name, limit and
// text here is theirs, kept byte for byte.
namespace velnet::vxsrvnt::layout {

inline constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt";
inline constexpr const char* kMakerKey = "SOFTWARE\\Corvane";
inline constexpr const char* kPromptForReboot = "PromptForReboot";

// Read limits in bytes, terminating NUL included: a longer value is missing.
inline constexpr std::size_t kFailoverLimit = 18;
inline constexpr std::size_t kMacLimit = 18;
inline constexpr std::size_t kAcdTextLimit = 20;
inline constexpr std::size_t kVlanTextLimit = 18;
inline constexpr std::size_t kMacLength = 17;
inline constexpr int kMaxVlans = 16;

// SYSTEM\CurrentControlSet\Services\vxsrvnt<N>, its Parameters key, and the
// network-card key of instance N.
std::string instanceKeyPath(int instance);
std::string parametersPath(int instance);
std::string networkCardPath(int instance);

enum class Role
{
    StandAlone,
    Primary,
    Backup
};

// How nicsetup's save writes an adapter: once, to its last instance (Plain);
// or each VLAN entry to its own instance, with VLANs on (VlanOn) or off.
enum class Mode
{
    Plain,
    VlanOn,
    VlanOff
};

Role roleOf(const AdapterConfig& adapter);
Mode modeOf(const AdapterConfig& adapter);
std::string_view roleName(Role role);

struct Labels
{
    std::string title;
    std::string description;
};

// The Title and Description the save gives the network-card key of
// `instance`; `vlanName` only counts in VLAN mode.
Labels labelsFor(Mode mode, Role role, int instance, std::uint32_t bus, std::uint32_t slot,
                 std::string_view vlanName = {});
// The same for one of `adapter`'s instances, by its mode, role and PCI place.
Labels labelsFor(const AdapterConfig& adapter, int instance, std::string_view vlanName = {});

} // namespace velnet::vxsrvnt::layout
