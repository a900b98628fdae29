// SPDX-License-Identifier: MIT
#include "vxsrvnt/nics/AdapterBinder.h"

#include <algorithm>

namespace velnet::vxsrvnt {

AdapterBinder::AdapterBinder(const DriverConfig& config, const std::vector<MachineNic>& nics)
    : nics_(nics)
{
    for (const AdapterConfig& adapter : config.adapters) {
        adapters_.push_back(adapter.adapterNumber);
        const auto stored = parseMac(adapter.baseMacAddress);
        if (!stored || *stored == MacBytes{})
            continue;
        const auto nic = std::find_if(nics.begin(), nics.end(), [&](const MachineNic& n) {
            return n.permanentMac == *stored;
        });
        // Two adapters with one address: the first keeps the NIC.
        if (nic == nics.end() || byInterface(nic->ifname))
            continue;
        bindings_.push_back(
            {adapter.adapterNumber, nic->ifname, nic->ifindex, colonMacText(nic->permanentMac)});
    }
}

std::vector<int> AdapterBinder::goneAdapters() const
{
    std::vector<int> gone;
    for (const int adapter : adapters_)
        if (!byAdapter(adapter))
            gone.push_back(adapter);
    return gone;
}

std::vector<MachineNic> AdapterBinder::unboundNics() const
{
    std::vector<MachineNic> unbound;
    for (const MachineNic& nic : nics_)
        if (!byInterface(nic.ifname))
            unbound.push_back(nic);
    return unbound;
}

const NicBinding* AdapterBinder::byAdapter(int adapterNumber) const
{
    return bindingOf(bindings_, adapterNumber);
}

const NicBinding* AdapterBinder::byInterface(const std::string& ifname) const
{
    for (const NicBinding& b : bindings_)
        if (b.ifname == ifname)
            return &b;
    return nullptr;
}

} // namespace velnet::vxsrvnt
