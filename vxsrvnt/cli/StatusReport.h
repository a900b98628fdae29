// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "vxsrvnt/apply/KernelView.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/MachineNic.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// What `vxsrvnt status` shows: per adapter of the store its interface (or
// that its NIC is gone), address, role, bond and active member, VLANs and
// whether the kernel matches the store; the monitor's health when the
// service runs; NICs without an adapter number; the store's warnings.
struct StatusInput
{
    std::string store;
    DriverConfig config;
    std::vector<std::string> warnings;
    std::vector<NicBinding> bindings;
    std::vector<MachineNic> unbound;
    Result<KernelView> kernel = fail("not asked");
    std::optional<nlohmann::json> health; // by adapter number; nothing: service not running
};

class StatusReport
{
public:
    explicit StatusReport(StatusInput input);

    // Everything the store asks for is in the kernel, and every NIC is there.
    bool matches() const;

    nlohmann::json toJson() const;
    void printText(std::ostream& out) const;

private:
    nlohmann::json adapterJson(const AdapterConfig& adapter) const;
    const NicBinding* binding(int adapterNumber) const;
    const AdapterView* view(int adapterNumber) const;

    StatusInput in_;
};

} // namespace velnet::vxsrvnt
