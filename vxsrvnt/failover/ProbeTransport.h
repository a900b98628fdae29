// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::failover {

// Where the members' diagnostic packets go out and come in: one raw socket
// per member in the service, a simulated wire in tests.
class ProbeTransport
{
public:
    virtual ~ProbeTransport() = default;

    // Starts sending and receiving on the member; the reason when it cannot.
    virtual velnet::Outcome open(int ifindex, const std::string& ifname) = 0;
    virtual void close(int ifindex) = 0;
    virtual velnet::Outcome send(int ifindex, std::span<const std::uint8_t> frame) = 0;
    // Every frame that reached the member since the last call.
    virtual std::vector<std::vector<std::uint8_t>> receive(int ifindex) = 0;
};

} // namespace velnet::vxsrvnt::failover
