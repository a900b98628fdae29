// SPDX-License-Identifier: MIT
#pragma once

#include "tests/nicsetup/HiveTestSupport.h"
#include "vxsrvnt/nics/MachineNic.h"

#include <string>
#include <vector>

namespace velnet::vxsrvnt::test {

// A NIC as discovery would find it; bus and slot only when `pci`.
MachineNic nic(const std::string& ifname, int ifindex, const std::string& mac, bool pci = true);

// Three NICs: eth0 and eth2 on PCI, veth1 not.
std::vector<MachineNic> threeNics();

// The store the package makes: the driver's service key and nothing else.
const char* packageStore();

// The store after `install` of `nics` (the install must succeed).
struct InstalledStore
{
    explicit InstalledStore(const std::vector<MachineNic>& nics = threeNics());
    nicsetup::test::TestStore store;
};

// Values of one key of the store on disk, by lower-case name.
std::map<std::string, registry::Value> valuesOf(const std::string& storeText,
                                                const std::string& keyPath);
registry::Value dword(std::uint32_t value);
registry::Value sz(const std::string& text);

} // namespace velnet::vxsrvnt::test
