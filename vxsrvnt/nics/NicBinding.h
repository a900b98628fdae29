// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>
#include <vector>

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

// The binding of `adapterNumber` among `bindings`; null when its NIC is gone.
inline const NicBinding* bindingOf(const std::vector<NicBinding>& bindings, int adapterNumber)
{
    const auto it = std::find_if(bindings.begin(), bindings.end(), [&](const NicBinding& b) {
        return b.adapterNumber == adapterNumber;
    });
    return it != bindings.end() ? &*it : nullptr;
}

} // namespace velnet::vxsrvnt
