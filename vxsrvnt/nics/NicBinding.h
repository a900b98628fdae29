// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::vxsrvnt {

// One adapter number of the store bound to an interface that is present now.
// Adapters whose NIC is gone have no binding; the binding is made afresh at
// every start and reload (an interface may have been renamed or replaced), so
// keep the adapter number, not the ifindex, across reloads.
struct NicBinding
{
    int adapterNumber = 0;    // 1..50
    std::string ifname;       // current name
    int ifindex = 0;          // in the service's network namespace
    std::string permanentMac; // "aa:bb:cc:dd:ee:ff", lower case

    bool operator==(const NicBinding&) const = default;
};

} // namespace velnet::vxsrvnt
