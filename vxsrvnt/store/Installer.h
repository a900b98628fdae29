// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/MachineNic.h"

#include <string>
#include <vector>

namespace velnet::vxsrvnt {

struct InstallReport
{
    struct Added
    {
        int adapterNumber = 0;
        int instance = 0;
        std::string ifname;
    };
    std::vector<Added> added;          // NICs that got an adapter number now
    int valuesFilled = 0;              // values added to keys that lacked them
    std::vector<std::string> notAdded; // why a NIC got no adapter number
};

// Gives every NIC of the machine an adapter number and an instance key, as
// the driver's installation did: a NIC whose permanent address is in the
// store keeps its adapter number; a new one gets the lowest free adapter
// number (1..50) and the lowest free instance number, with ADAPTERNUMBER,
// BusNumber and SlotNumber (when it sits on PCI), Base_Mac_Address,
// AdapterSeq, Vlan_op = 0 and the autocure defaults, and a network-card key
// labelled as nicsetup's save labels a plain NIC.
//
// A value already in a key is never changed; an instance of a present NIC
// that lacks one of these values gets it. Keys of NICs that are gone stay as
// they are. Everything is one write to the store, or none.
class Installer
{
public:
    explicit Installer(registry::Registry& registry) : registry_(registry) {}

    Result<InstallReport> install(const std::vector<MachineNic>& nics);

private:
    void addNew(const std::vector<MachineNic>& nics, const DriverConfig& config,
                InstallReport& report, std::vector<int>& present);
    int fillInstance(int instance, int adapterNumber, const MachineNic& nic);
    int fillLabels(const AdapterConfig& adapter);

    registry::Registry& registry_;
};

} // namespace velnet::vxsrvnt
