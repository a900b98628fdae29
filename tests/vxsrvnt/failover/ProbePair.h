// SPDX-License-Identifier: MIT
#pragma once

#include "tests/vxsrvnt/apply/PlainAdapter.h"

namespace velnet::vxsrvnt::test {

// Adapter 1, the primary, and adapter 2, its backup with `failover`; both
// alert with `alertType`.
inline DriverConfig probedPair(const FailoverSettings& failover, std::uint32_t alertType = 7)
{
    DriverConfig config{{plainAdapter(1), plainAdapter(2)}};
    for (AdapterConfig& adapter : config.adapters)
        adapter.acd.alertType = alertType;
    config.adapters[0].backupAdapter = 2;
    config.adapters[1].primaryAdapter = 1;
    config.adapters[1].failover = failover;
    return config;
}

} // namespace velnet::vxsrvnt::test
