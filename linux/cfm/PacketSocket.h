// SPDX-License-Identifier: MIT
#pragma once

#include "linux/cfm/CfmFrame.h"
#include "linux/cfm/ReceiveRing.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velnet::cfmecho {

// "The echo test could not <what> on <interface>: <reason>."
std::string echoFailure(const std::string& interfaceName, const std::string& what, int error);

// Whether a send that failed with `error` only lost that one frame: the
// queue was full, or the frame could not be handed on right now (a link of
// the path went down, and may come back). Every other error lasts.
bool isPassingSendError(int error);

// An AF_PACKET socket that sends and receives the CFM EtherType on one
// interface, and sees neither the frames it sends itself nor frames meant
// for other stations.
class PacketSocket
{
public:
    PacketSocket() = default;
    PacketSocket(const PacketSocket&) = delete;
    PacketSocket& operator=(const PacketSocket&) = delete;
    ~PacketSocket();

    // Opens the socket on `interfaceName`; a message saying what failed and
    // why when it cannot. The class-1 multicast address of `mdLevel` is
    // accepted too.
    std::optional<std::string> open(const std::string& interfaceName, std::uint8_t mdLevel);

    int fd() const { return fd_; }
    const MacAddress& address() const { return address_; }
    const std::string& interfaceName() const { return interfaceName_; }
    // The link's MTU when the socket was opened, and the longest frame it
    // carries (the MTU with the Ethernet header).
    std::size_t mtu() const { return mtu_; }
    std::size_t maxFrameLength() const;

    // 0 when sent, else the errno of the failure.
    int send(std::span<const std::uint8_t> frame) const;
    // One waiting frame into `buffer`: its length; 0 when the frame was not
    // for this station; -EAGAIN when none is waiting; else -errno.
    long receive(std::span<std::uint8_t> buffer);

private:
    std::optional<std::string> failure(const std::string& what, int error) const;

    int fd_ = -1;
    ReceiveRing ring_;
    MacAddress address_{};
    std::size_t mtu_ = 1500;
    std::string interfaceName_;
};

} // namespace velnet::cfmecho
