// SPDX-License-Identifier: MIT
#include "linux/cfm/PacketSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace velnet::cfmecho {

std::string echoFailure(const std::string& interfaceName, const std::string& what, int error)
{
    return "The echo test could not " + what + " on " + interfaceName + ": " +
           std::generic_category().message(error) + ".";
}

bool isPassingSendError(int error)
{
    return error == ENOBUFS || error == EAGAIN || error == EWOULDBLOCK;
}

PacketSocket::~PacketSocket()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<std::string> PacketSocket::failure(const std::string& what, int error) const
{
    if (error == EPERM || error == EACCES)
        return "The echo test needs administrator rights (CAP_NET_RAW) to send and receive "
               "frames on " +
               interfaceName_ + ".";
    return echoFailure(interfaceName_, what, error);
}

std::optional<std::string> PacketSocket::open(const std::string& interfaceName,
                                              std::uint8_t mdLevel)
{
    interfaceName_ = interfaceName;
    if (interfaceName.empty())
        return std::string("No network interface is selected for the echo test.");
    // Protocol 0 until bound: no frame of another interface slips in between.
    fd_ = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return failure("open a raw socket", errno);
    ifreq request{};
    if (interfaceName.size() >= sizeof request.ifr_name)
        return failure("find the interface", ENODEV);
    std::memcpy(request.ifr_name, interfaceName.c_str(), interfaceName.size() + 1);
    if (::ioctl(fd_, SIOCGIFINDEX, &request) != 0)
        return failure("find the interface", errno);
    const int index = request.ifr_ifindex;
    if (::ioctl(fd_, SIOCGIFHWADDR, &request) != 0)
        return failure("read the interface's address", errno);
    if (request.ifr_hwaddr.sa_family != ARPHRD_ETHER)
        return "The echo test needs an Ethernet interface; " + interfaceName + " is not one.";
    std::memcpy(address_.data(), request.ifr_hwaddr.sa_data, address_.size());
    if (::ioctl(fd_, SIOCGIFMTU, &request) != 0)
        return failure("read the interface's MTU", errno);
    mtu_ = static_cast<std::size_t>(request.ifr_mtu);

    // Before the bind, so that every frame lands in the ring.
    ring_.attach(fd_, maxFrameLength());
    sockaddr_ll bound{};
    bound.sll_family = AF_PACKET;
    bound.sll_protocol = htons(kCfmEtherType);
    bound.sll_ifindex = index;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0)
        return failure("bind a raw socket", errno);

    packet_mreq membership{};
    membership.mr_ifindex = index;
    membership.mr_type = PACKET_MR_MULTICAST;
    membership.mr_alen = ETH_ALEN;
    const MacAddress multicast = classOneMulticast(mdLevel);
    std::memcpy(membership.mr_address, multicast.data(), multicast.size());
    if (::setsockopt(fd_, SOL_PACKET, PACKET_ADD_MEMBERSHIP, &membership, sizeof membership) != 0)
        return failure("join the CFM multicast group", errno);
    // Older kernels lack it; receive() drops outgoing frames anyway.
    const int yes = 1;
    ::setsockopt(fd_, SOL_PACKET, PACKET_IGNORE_OUTGOING, &yes, sizeof yes);
    return std::nullopt;
}

std::size_t PacketSocket::maxFrameLength() const
{
    return ETH_HLEN + mtu_;
}

int PacketSocket::send(std::span<const std::uint8_t> frame) const
{
    for (;;) {
        if (::send(fd_, frame.data(), frame.size(), 0) >= 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

long PacketSocket::receive(std::span<std::uint8_t> buffer)
{
    if (ring_.attached()) {
        if (const long taken = ring_.take(buffer); taken != -EAGAIN)
            return taken;
        // An empty ring: what woke the caller may be the socket's error, which
        // only a receive call reports.
    }
    sockaddr_ll from{};
    socklen_t fromLength = sizeof from;
    const auto n = ::recvfrom(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT,
                              reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0)
        return errno == EWOULDBLOCK || errno == EINTR ? -EAGAIN : -errno;
    // A NIC in promiscuous mode (a capture) hands up other stations' frames.
    if (from.sll_pkttype == PACKET_OUTGOING || from.sll_pkttype == PACKET_OTHERHOST)
        return 0;
    return n;
}

} // namespace velnet::cfmecho
