// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/config/DriverConfig.h"

namespace velnet::vxsrvnt::test {

// A plain (non-VLAN) adapter in its own instance key, as install leaves it.
inline AdapterConfig plainAdapter(int number)
{
    AdapterConfig config;
    config.adapterNumber = number;
    config.instances = {number};
    config.vlanNameMissing = true;
    return config;
}

} // namespace velnet::vxsrvnt::test
