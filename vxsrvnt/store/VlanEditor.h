// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/Registry.h"

#include <cstdint>
#include <string>

namespace velnet::vxsrvnt {

// Adds and removes a NIC's VLANs in the store, one instance key per VLAN as
// nicsetup's load reads them. A NIC with VLANs keeps no plain instance: the
// first VLAN turns the NIC's plain instance into a VLAN instance (Vlan_op 1,
// VLAN_NAME, VLANID, Network_Address), later ones get an instance of their
// own (the lowest free number) carrying the NIC's ADAPTERNUMBER, bus, slot,
// address and AdapterSeq; removing the last VLAN turns the instance back.
//
// Refused, with the reason: a backup NIC (see PairEditor), a sixteenth VLAN
// on a NIC with 16 (nicsetup's tables hold 16), an identifier outside
// 1..4094 or already on the NIC, a name that is empty, longer than 17
// characters (nicsetup reads 18 bytes), not usable for a link (blanks, '/',
// ':'), or that already names a VLAN (in its first 15 characters, which the
// kernel's link names keep), and an address that is not a unicast MAC.
class VlanEditor
{
public:
    explicit VlanEditor(registry::Registry& registry) : registry_(registry) {}

    // `address`: "aa:bb:cc:dd:ee:ff" or with dashes; empty for none.
    Outcome add(int adapter, std::uint32_t id, const std::string& name, const std::string& address);
    Outcome remove(int adapter, const std::string& name);

    static constexpr std::uint32_t kMaxVlanId = 4094;
    static constexpr std::size_t kMaxNameLength = 17;
    static constexpr std::size_t kLinkNameLength = 15;

private:
    registry::Registry& registry_;
};

} // namespace velnet::vxsrvnt
