// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"
#include "vxsrvnt/config/DriverConfig.h"

#include <optional>
#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// Reads the driver's instance keys the way nicsetup's load reads them
// (instances 0..799 ascending, the same read limits, the same rules for
// VLAN entries, failover values and missing values), so that the service
// realises exactly the configuration nicsetup shows. Each adapter's role is
// the one nicsetup's save would write for it.
//
// Where nicsetup shows a message box for a missing value, the reader notes a
// warning naming the key and the value, and goes on as nicsetup does.
class StoreReader
{
public:
    explicit StoreReader(registry::Registry& registry) : registry_(registry) {}

    // Fails when the service key cannot be opened: the store cannot be read
    // (the reason names the file and line) or has no driver service key.
    Result<DriverConfig> read();

    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    struct Reading; // one adapter while its instances are read

    void readInstance(int instance, const registry::Key& key, std::vector<Reading>& readings);
    void readFailover(Reading& reading, const registry::Key& key, int instance);
    void readVlan(Reading& reading, const registry::Key& key, int instance);
    void warnMissing(int instance, const char* value);
    static void assignRoles(std::vector<Reading>& readings);

    registry::Registry& registry_;
    std::optional<int> current_; // adapter of instances without ADAPTERNUMBER
    std::vector<std::string> warnings_;
};

} // namespace velnet::vxsrvnt
