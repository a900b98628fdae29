// SPDX-License-Identifier: MIT
#pragma once

#include "linux/netlink/Rtnl.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace velnet::test {

// The service's two NICs and the network they reach, in namespaces of this
// test alone: NICs "eth-a" and "eth-b" in the service's namespace are veth
// ends whose far ends "far-a" and "far-b" are ports of bridge "br0" in the
// peer's namespace; br0 holds the peer's address 10.77.0.2/24 and VLAN link
// "br0.10" the peer's 10.77.10.2/24. The test process itself moves into the
// service's namespace (and back when the object goes).
class BondTopology
{
public:
    static constexpr const char* kPeerAddress = "10.77.0.2";
    static constexpr const char* kPeerVlanAddress = "10.77.10.2";

    // Throws std::runtime_error saying what failed.
    BondTopology();
    BondTopology(const BondTopology&) = delete;
    BondTopology& operator=(const BondTopology&) = delete;
    ~BondTopology();

    const std::string& service() const { return service_; }
    const std::string& peer() const { return peer_; }

    // Runs `ip` with `arguments` in the service's (or the peer's) namespace;
    // throws when it fails.
    static std::string ip(const std::vector<std::string>& arguments);
    std::string peerIp(const std::vector<std::string>& arguments) const;
    // An rtnetlink socket of the peer's namespace: link changes there without
    // the start-up time of a program, for timing.
    netlink::Rtnl peerRtnl() const;
    // `ip -d -j link show NAME` of the service's namespace; null when absent.
    static nlohmann::json link(const std::string& name);
    static int ifindex(const std::string& name);
    // One echo request and its answer within a second or so.
    static bool ping(const std::string& address);

private:
    void create();
    void remove() noexcept;

    std::string service_;
    std::string peer_;
    int home_ = -1; // the namespace the test came from
};

} // namespace velnet::test
