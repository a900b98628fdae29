// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"
#include "vxsrvnt/config/DriverConfig.h"

namespace velnet::vxsrvnt {

// Writes one adapter into its instance keys exactly as nicsetup's save
// writes it (the same values, deletions and network-card labels for its
// mode and role, taken from the adapter's backup/primary fields), so that a
// later load and save by nicsetup finds nothing to change. The caller holds
// a write group; nothing is committed here.
class AdapterWriter
{
public:
    explicit AdapterWriter(registry::Registry& registry) : registry_(registry) {}

    Outcome write(const AdapterConfig& adapter);

private:
    Outcome writePlain(const AdapterConfig& adapter);
    Outcome writeEntry(const AdapterConfig& adapter, const VlanConfig& vlan);
    Result<registry::Key> parameters(int instance);
    registry::Key networkCard(int instance);

    registry::Registry& registry_;
};

} // namespace velnet::vxsrvnt
