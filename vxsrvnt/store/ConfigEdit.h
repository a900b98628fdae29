// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"
#include "vxsrvnt/config/DriverConfig.h"

#include <memory>
#include <string>

namespace velnet::vxsrvnt {

// One command's change to the store: the configuration read inside one
// write group, the changed adapters written back as nicsetup's save writes
// them, and one commit, so the store holds the old configuration or the
// whole new one.
class ConfigEdit
{
public:
    explicit ConfigEdit(registry::Registry& registry) : registry_(registry) {}
    ~ConfigEdit();

    Outcome begin();
    // begin(), then the one adapter the command changes.
    Result<AdapterConfig*> beginWith(int adapterNumber);
    DriverConfig& config() { return config_; }
    registry::Registry& registry() { return registry_; }

    // The adapter, or a failure naming it when the store has none.
    Result<AdapterConfig*> adapter(int number);
    Outcome write(const AdapterConfig& adapter);
    Outcome commit();

    // The lowest instance number that has no key.
    Result<int> freeInstance() const;

private:
    registry::Registry& registry_;
    std::unique_ptr<registry::WriteGroup> group_;
    DriverConfig config_;
};

// "cannot write the store: " and the registry's reason.
Outcome storeWriteFailure(const registry::Registry& registry);

// "adapter 2 (eth1)" or "adapter 2" in messages.
std::string adapterLabel(int number, const std::string& ifname = {});

} // namespace velnet::vxsrvnt
