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

// Offloads that "Optimal Settings" leaves alone: they are not offloads but
// test or debugging switches that would stop or spoil traffic.
bool isDiagnosticFeature(const std::string& featureName);

} // namespace velnet::ethcfg
