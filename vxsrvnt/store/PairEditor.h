// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"
#include "vxsrvnt/config/DriverConfig.h"

namespace velnet::vxsrvnt {

// Makes and breaks failover pairs in the store: the backup's
// PRIMARYADAPTERNUMBER and failover values, the primary's
// BACKUPADAPTERNUMBER and both NICs' labels, as nicsetup's save writes them.
//
// Refused, with the reason: a NIC paired with itself or already in a pair,
// and a backup with VLANs (nicsetup's save keeps no backup settings on a NIC
// with VLANs, so such a pair would not survive its next save; the VLANs
// belong on the primary, whose bond carries them).
class PairEditor
{
public:
    explicit PairEditor(registry::Registry& registry) : registry_(registry) {}

    Outcome pair(int primary, int backup, const FailoverSettings& failover);
    // Either member of a pair; both become stand-alone.
    Outcome unpair(int adapter);

    static constexpr std::uint32_t kMaxFailureCount = 1000;

private:
    registry::Registry& registry_;
};

} // namespace velnet::vxsrvnt
