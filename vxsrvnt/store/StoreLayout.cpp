// SPDX-License-Identifier: MIT
#include "vxsrvnt/store/StoreLayout.h"

namespace velnet::vxsrvnt::layout {

std::string instanceKeyPath(int instance)
{
    return kServiceKey + std::to_string(instance);
}

std::string parametersPath(int instance)
{
    return instanceKeyPath(instance) + "\\Parameters";
}

std::string networkCardPath(int instance)
{
    return "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\" +
           std::to_string(instance);
}

Role roleOf(const AdapterConfig& adapter)
{
    if (adapter.backupAdapter != kNoAdapter)
        return Role::Primary;
    if (adapter.primaryAdapter != kNoAdapter)
        return Role::Backup;
    return Role::StandAlone;
}

Mode modeOf(const AdapterConfig& adapter)
{
    if (adapter.vlanNameMissing)
        return Mode::Plain;
    return adapter.vlanOp != 0 ? Mode::VlanOn : Mode::VlanOff;
}

std::string_view roleName(Role role)
{
    switch (role) {
    case Role::Primary:
        return "primary";
    case Role::Backup:
        return "backup";
    case Role::StandAlone:
        break;
    }
    return "stand-alone";
}

Labels labelsFor(Mode mode, Role role, int instance, std::uint32_t bus, std::uint32_t slot,
                 std::string_view vlanName)
{
    const std::string n = std::to_string(instance);
    const std::string busSlot = std::to_string(bus) + " Slot " + std::to_string(slot);
    const std::string card = "(VX410) Bus:" + busSlot + " ";
    if (mode == Mode::VlanOn)
        return {"[" + n + "] Corvane Velnet XL Server: " + std::string(vlanName),
                "(VX410) Bus:" + busSlot + " Vlan:" + std::string(vlanName)};
    if (role == Role::Backup)
        return {"[" + n + "] Corvane Velnet XL Server" + (mode == Mode::Plain ? " : " : ": ") +
                    "STANDBY",
                card + "Standby Card "};
    if (mode == Mode::Plain)
        return {"[" + n + "] Corvane Velnet XL Server : VX410",
                card + "VX410 Fast Velnet Adapter "};
    return {"[" + n + "] Corvane Fast Velnet Server NIC",
            "[Bus:" + busSlot + "] Corvane Fast Velnet Server NIC "};
}

Labels labelsFor(const AdapterConfig& adapter, int instance, std::string_view vlanName)
{
    return labelsFor(modeOf(adapter), roleOf(adapter), instance, adapter.busNumber.value_or(0),
                     adapter.slotNumber.value_or(0), vlanName);
}

} // namespace velnet::vxsrvnt::layout
