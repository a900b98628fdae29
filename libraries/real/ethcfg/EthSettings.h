// SPDX-License-Identifier: MIT
#pragma once

#include "libraries/real/ethcfg/ConfigItem.h"

#include <string>
#include <vector>

namespace velnet::ethcfg {

// The settings of one interface that its driver lets change: link speed and
// duplex, offloads, flow control, Wake-on-LAN and (advanced) rings,
// interrupt coalescing, channels and MTU. Only what the driver reports is
// offered.
std::vector<ConfigItem> buildSettings(const std::string& interfaceName, int ifindex);

// What "Optimal Settings" does with an offload the driver lets change.
enum class OptimalOffload
{
    On,
    // Off by default in the kernel for a reason: debugging switches that
    // stop or spoil traffic (loopback, rx-fcs, rx-all), and features meant
    // only for forwarding or special loads (tx-nocache-copy, rx-gro-list,
    // rx-udp-gro-forwarding).
    Off,
    // Right or wrong by what the machine does: the kernel switches LRO off
    // itself where the machine forwards, and drivers choose it otherwise.
    LeftAlone
};
OptimalOffload optimalOffload(const std::string& featureName);

} // namespace velnet::ethcfg
