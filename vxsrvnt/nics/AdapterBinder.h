// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/MachineNic.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <optional>
#include <vector>

namespace velnet::vxsrvnt {

// Binds the store's adapters to the NICs present now by permanent address
// (Base_Mac_Address), so that an adapter follows its NIC across renames,
// reboots and new slots. An adapter whose address matches no NIC is gone; a
// NIC that matches no adapter has not been installed.
class AdapterBinder
{
public:
    AdapterBinder(const DriverConfig& config, const std::vector<MachineNic>& nics);

    // In ascending adapter number.
    const std::vector<NicBinding>& bindings() const { return bindings_; }
    std::vector<int> goneAdapters() const;
    std::vector<MachineNic> unboundNics() const;

    const NicBinding* byAdapter(int adapterNumber) const;
    const NicBinding* byInterface(const std::string& ifname) const;

private:
    std::vector<int> adapters_; // every adapter number of the store
    std::vector<MachineNic> nics_;
    std::vector<NicBinding> bindings_;
};

} // namespace velnet::vxsrvnt
