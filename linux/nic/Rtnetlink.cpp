// SPDX-License-Identifier: MIT
#include "linux/nic/Rtnetlink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::linuxnic {

namespace {

class NetlinkSocket
{
public:
    NetlinkSocket() : fd_(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {}
    ~NetlinkSocket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

template <typename Body> struct Request
{
    nlmsghdr header;
    Body body;
    char attributes[64];
};

void addAttribute(nlmsghdr& header, std::size_t capacity, std::uint16_t type, const void* data,
                  std::size_t size)
{
    const std::size_t length = RTA_LENGTH(size);
    if (NLMSG_ALIGN(header.nlmsg_len) + RTA_ALIGN(length) > capacity)
        return;
    auto* attribute =
        reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&header) + NLMSG_ALIGN(header.nlmsg_len));
    attribute->rta_type = type;
    attribute->rta_len = static_cast<unsigned short>(length);
    std::memcpy(RTA_DATA(attribute), data, size);
    header.nlmsg_len =
        static_cast<std::uint32_t>(NLMSG_ALIGN(header.nlmsg_len) + RTA_ALIGN(length));
}

std::uint32_t u32(const rtattr* attribute)
{
    std::uint32_t value = 0;
    std::memcpy(&value, RTA_DATA(attribute), std::min<std::size_t>(RTA_PAYLOAD(attribute), 4));
    return value;
}

} // namespace

std::string macText(const std::uint8_t* bytes, std::size_t size, char separator)
{
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(part, sizeof part, "%02X", bytes[i]);
        if (i)
            text += separator;
        text += part;
    }
    return text;
}

template <typename OnMessage>
bool Rtnetlink::exchange(void* request, std::size_t size, OnMessage onMessage)
{
    NetlinkSocket socket;
    if (socket.fd() < 0) {
        error_ = errno;
        return false;
    }
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socket.fd(), request, size, 0, reinterpret_cast<sockaddr*>(&kernel),
                 sizeof kernel) < 0) {
        error_ = errno;
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const ssize_t received = ::recv(socket.fd(), buffer.data(), buffer.size(), 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            error_ = errno;
            return false;
        }
        auto length = static_cast<unsigned>(received);
        for (auto* message = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(message, length);
             message = NLMSG_NEXT(message, length)) {
            if (message->nlmsg_type == NLMSG_DONE)
                return true;
            if (message->nlmsg_type == NLMSG_ERROR) {
                const auto* answer = static_cast<const nlmsgerr*>(NLMSG_DATA(message));
                error_ = -answer->error;
                return answer->error == 0;
            }
            onMessage(message);
            if (!(message->nlmsg_flags & NLM_F_MULTI))
                return true;
        }
    }
}

std::optional<LinkState> Rtnetlink::link(int ifindex)
{
    Request<ifinfomsg> request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg));
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.body.ifi_family = AF_UNSPEC;
    request.body.ifi_index = ifindex;
    std::optional<LinkState> state;
    const bool ok = exchange(&request, request.header.nlmsg_len, [&](const nlmsghdr* message) {
        if (message->nlmsg_type != RTM_NEWLINK)
            return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(message));
        if (info->ifi_index != ifindex)
            return;
        LinkState link;
        link.flags = info->ifi_flags;
        int length = static_cast<int>(IFLA_PAYLOAD(message));
        for (auto* attribute = IFLA_RTA(info); RTA_OK(attribute, length);
             attribute = RTA_NEXT(attribute, length)) {
            switch (attribute->rta_type) {
            case IFLA_IFNAME:
                link.name.assign(
                    static_cast<const char*>(RTA_DATA(attribute)),
                    strnlen(static_cast<const char*>(RTA_DATA(attribute)), RTA_PAYLOAD(attribute)));
                break;
            case IFLA_MTU:
                link.mtu = u32(attribute);
                break;
            case IFLA_MIN_MTU:
                link.minMtu = u32(attribute);
                break;
            case IFLA_MAX_MTU:
                link.maxMtu = u32(attribute);
                break;
            case IFLA_CARRIER:
                link.carrier = *static_cast<const std::uint8_t*>(RTA_DATA(attribute));
                break;
            case IFLA_ADDRESS: {
                const auto* bytes = static_cast<const std::uint8_t*>(RTA_DATA(attribute));
                link.address.assign(bytes, bytes + RTA_PAYLOAD(attribute));
                break;
            }
            case IFLA_STATS64: {
                // Older kernels send a shorter structure; the rest stays zero.
                rtnl_link_stats64 stats{};
                std::memcpy(&stats, RTA_DATA(attribute),
                            std::min<std::size_t>(RTA_PAYLOAD(attribute), sizeof stats));
                link.statistics = stats;
                break;
            }
            default:
                break;
            }
        }
        state = std::move(link);
    });
    if (!ok)
        return std::nullopt;
    return state;
}

std::vector<InterfaceAddress> Rtnetlink::addresses(int ifindex)
{
    Request<ifaddrmsg> request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
    request.header.nlmsg_type = RTM_GETADDR;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.body.ifa_family = AF_UNSPEC;
    std::vector<InterfaceAddress> found;
    exchange(&request, request.header.nlmsg_len, [&](const nlmsghdr* message) {
        if (message->nlmsg_type != RTM_NEWADDR)
            return;
        const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(message));
        if (static_cast<int>(info->ifa_index) != ifindex)
            return;
        const void* local = nullptr;
        const void* address = nullptr;
        int length = static_cast<int>(IFA_PAYLOAD(message));
        for (auto* attribute = IFA_RTA(info); RTA_OK(attribute, length);
             attribute = RTA_NEXT(attribute, length)) {
            if (attribute->rta_type == IFA_LOCAL)
                local = RTA_DATA(attribute);
            else if (attribute->rta_type == IFA_ADDRESS)
                address = RTA_DATA(attribute);
        }
        // On a point-to-point link IFA_ADDRESS is the far end; IFA_LOCAL is ours.
        const void* ours = local ? local : address;
        char text[INET6_ADDRSTRLEN] = {};
        if (!ours || !::inet_ntop(info->ifa_family, ours, text, sizeof text))
            return;
        found.push_back(
            {info->ifa_family, std::string(text) + "/" + std::to_string(info->ifa_prefixlen)});
    });
    return found;
}

bool Rtnetlink::setMtu(int ifindex, std::uint32_t mtu)
{
    Request<ifinfomsg> request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifinfomsg));
    request.header.nlmsg_type = RTM_NEWLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_ACK;
    request.body.ifi_family = AF_UNSPEC;
    request.body.ifi_index = ifindex;
    addAttribute(request.header, sizeof request, IFLA_MTU, &mtu, sizeof mtu);
    return exchange(&request, request.header.nlmsg_len, [](const nlmsghdr*) {});
}

} // namespace velnet::linuxnic
