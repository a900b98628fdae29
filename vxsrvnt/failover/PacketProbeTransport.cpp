// SPDX-License-Identifier: MIT
#include "vxsrvnt/failover/PacketProbeTransport.h"

#include "vxsrvnt/failover/ProbeFrame.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::vxsrvnt::failover {

namespace {

// Longer frames are not probes; they are read and dropped.
constexpr std::size_t kLongestProbe = 1518;
// What one tick takes at most from a member; the rest waits for the next.
constexpr int kFramesPerReceive = 256;

velnet::Error failure(const std::string& what, const std::string& ifname, int error)
{
    return velnet::fail("cannot " + what + " on " + ifname + ": " + std::strerror(error));
}

} // namespace

PacketProbeTransport::~PacketProbeTransport()
{
    for (auto& [ifindex, socket] : sockets_)
        ::close(socket.fd);
}

velnet::Outcome PacketProbeTransport::open(int ifindex, const std::string& ifname)
{
    close(ifindex);
    // Protocol 0 until bound: no frame of another interface slips in between.
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return failure("open a raw socket for diagnostic packets", ifname, errno);
    sockaddr_ll bound{};
    bound.sll_family = AF_PACKET;
    bound.sll_protocol = htons(cfmecho::kCfmEtherType);
    bound.sll_ifindex = ifindex;
    packet_mreq membership{};
    membership.mr_ifindex = ifindex;
    membership.mr_type = PACKET_MR_MULTICAST;
    membership.mr_alen = ETH_ALEN;
    const MacAddress group = cfmecho::classOneMulticast(kProbeMdLevel);
    std::memcpy(membership.mr_address, group.data(), group.size());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::setsockopt(fd, SOL_PACKET, PACKET_ADD_MEMBERSHIP, &membership, sizeof membership) != 0) {
        const int error = errno;
        ::close(fd);
        return failure("receive diagnostic packets", ifname, error);
    }
    // Older kernels lack it; receive() drops the member's own frames anyway.
    const int yes = 1;
    (void)::setsockopt(fd, SOL_PACKET, PACKET_IGNORE_OUTGOING, &yes, sizeof yes);
    sockets_[ifindex] = {fd, ifname};
    return {};
}

void PacketProbeTransport::close(int ifindex)
{
    if (auto found = sockets_.find(ifindex); found != sockets_.end()) {
        ::close(found->second.fd);
        sockets_.erase(found);
    }
}

velnet::Outcome PacketProbeTransport::send(int ifindex, std::span<const std::uint8_t> frame)
{
    const auto found = sockets_.find(ifindex);
    if (found == sockets_.end())
        return velnet::fail("no socket for diagnostic packets on interface " +
                            std::to_string(ifindex));
    for (;;) {
        if (::send(found->second.fd, frame.data(), frame.size(), 0) >= 0)
            return {};
        if (errno != EINTR)
            return failure("send a diagnostic packet", found->second.ifname, errno);
    }
}

std::vector<std::vector<std::uint8_t>> PacketProbeTransport::receive(int ifindex)
{
    std::vector<std::vector<std::uint8_t>> frames;
    const auto found = sockets_.find(ifindex);
    if (found == sockets_.end())
        return frames;
    std::vector<std::uint8_t> buffer(kLongestProbe);
    for (int i = 0; i < kFramesPerReceive; ++i) {
        sockaddr_ll from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(found->second.fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            break; // EAGAIN: all taken; anything else: the next tick tries again
        }
        if (from.sll_pkttype == PACKET_OUTGOING || static_cast<std::size_t>(n) > buffer.size())
            continue;
        frames.emplace_back(buffer.begin(), buffer.begin() + n);
    }
    return frames;
}

} // namespace velnet::vxsrvnt::failover
