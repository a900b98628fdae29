// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <string>

namespace velnet::nicsetup {

// What the store holds of the driver's configuration at one moment: the
// driver's service and instance keys, the network-card entries and the
// maker's key, every value with its type and bytes. Two fingerprints differ
// exactly when one of those keys or values changed in between, which tells a
// save whether another program (a second nicsetup, the driver service, regtool)
// wrote the configuration after this one read it.
class StoreFingerprint
{
public:
    static StoreFingerprint take(registry::Registry& registry);

    bool operator==(const StoreFingerprint&) const = default;

private:
    void addTree(registry::Registry& registry, const std::string& path);

    std::string text_;
};

} // namespace velnet::nicsetup
