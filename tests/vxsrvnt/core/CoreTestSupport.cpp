// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/core/CoreTestSupport.h"

#include "vxsrvnt/store/Installer.h"

#include <gtest/gtest.h>

namespace velnet::vxsrvnt::test {

MachineNic nic(const std::string& ifname, int ifindex, const std::string& mac, bool pci)
{
    MachineNic n;
    n.ifname = ifname;
    n.ifindex = ifindex;
    n.permanentMac = *parseMac(mac);
    if (pci) {
        n.pciBus = static_cast<std::uint32_t>(ifindex);
        n.pciSlot = static_cast<std::uint32_t>(ifindex + 10);
    }
    return n;
}

std::vector<MachineNic> threeNics()
{
    std::vector<MachineNic> nics = {nic("eth0", 2, "00:a0:cc:4e:1f:02"),
                                    nic("veth1", 3, "02:00:00:00:00:0b", false),
                                    nic("eth2", 4, "00:a0:cc:4e:1f:03")};
    for (std::size_t i = 0; i < nics.size(); ++i)
        nics[i].sequence = static_cast<std::uint32_t>(i + 1);
    return nics;
}

const char* packageStore()
{
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt]\n\n";
}

InstalledStore::InstalledStore(const std::vector<MachineNic>& nics) : store(packageStore())
{
    const auto report = Installer(store.registry()).install(nics);
    EXPECT_TRUE(report.ok()) << report.error();
}

std::map<std::string, registry::Value> valuesOf(const std::string& storeText,
                                                const std::string& keyPath)
{
    const auto snapshot = nicsetup::test::snapshotOf(storeText);
    const auto key = snapshot.find(registry::toLowerAscii("hkey_local_machine\\" + keyPath));
    return key == snapshot.end() ? std::map<std::string, registry::Value>{} : key->second;
}

registry::Value dword(std::uint32_t value)
{
    return {registry::ValueType::Dword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

registry::Value sz(const std::string& text)
{
    registry::Value v{registry::ValueType::Sz, {text.begin(), text.end()}};
    v.data.push_back(0);
    return v;
}

} // namespace velnet::vxsrvnt::test
