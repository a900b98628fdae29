// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/failover/ProbeTransport.h"

#include <map>

namespace velnet::vxsrvnt::failover {

// Diagnostic packets over AF_PACKET: per member a socket bound to the member
// itself (not to its bond) for the CFM EtherType, joined to the probes'
// multicast group. Bound to the member, it receives even while the bond
// keeps the member's frames from the stack (an inactive member). Needs
// CAP_NET_RAW.
class PacketProbeTransport : public ProbeTransport
{
public:
    PacketProbeTransport() = default;
    PacketProbeTransport(const PacketProbeTransport&) = delete;
    PacketProbeTransport& operator=(const PacketProbeTransport&) = delete;
    ~PacketProbeTransport() override;

    velnet::Outcome open(int ifindex, const std::string& ifname) override;
    void close(int ifindex) override;
    velnet::Outcome send(int ifindex, std::span<const std::uint8_t> frame) override;
    std::vector<std::vector<std::uint8_t>> receive(int ifindex) override;

private:
    struct Socket
    {
        int fd = -1;
        std::string ifname;
    };
    std::map<int, Socket> sockets_;
};

} // namespace velnet::vxsrvnt::failover
