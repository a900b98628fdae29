// SPDX-License-Identifier: MIT
#include "linux/netlink/Rtnl.h"

#include "linux/netlink/LinkParser.h"
#include "linux/netlink/Request.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <libmnl/libmnl.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

namespace velnet::netlink {

namespace {

constexpr std::size_t kReceiveBuffer = 1 << 16;

std::string systemError(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// What one exchange collects while libmnl walks the answers.
struct Exchange
{
    const std::function<Outcome(const nlmsghdr*)>* onMessage = nullptr;
    std::string firstFailure;
    std::string kernelMessage; // the extended acknowledgement's text
};

int onData(const nlmsghdr* message, void* data)
{
    auto* exchange = static_cast<Exchange*>(data);
    Outcome read = (*exchange->onMessage)(message);
    if (!read.ok() && exchange->firstFailure.empty())
        exchange->firstFailure = read.error();
    // Keep reading: what is left of a dump would otherwise be taken for the
    // answer to the next request.
    return MNL_CB_OK;
}

std::string extendedAckText(const nlmsghdr* message, const nlmsgerr* error)
{
    if (!(message->nlmsg_flags & NLM_F_ACK_TLVS))
        return {};
    std::size_t offset = sizeof(nlmsgerr);
    if (!(message->nlmsg_flags & NLM_F_CAPPED))
        offset +=
            error->msg.nlmsg_len - std::min<std::size_t>(error->msg.nlmsg_len, sizeof(nlmsghdr));
    const std::size_t payload = mnl_nlmsg_get_payload_len(message);
    if (MNL_ALIGN(offset) >= payload)
        return {};
    const auto* attribute =
        static_cast<const nlattr*>(mnl_nlmsg_get_payload_offset(message, offset));
    auto remaining = static_cast<int>(payload - MNL_ALIGN(offset));
    for (; mnl_attr_ok(attribute, remaining); attribute = mnl_attr_next(attribute)) {
        remaining -= static_cast<int>(MNL_ALIGN(attribute->nla_len));
        if (mnl_attr_get_type(attribute) == NLMSGERR_ATTR_MSG) {
            const auto* text = static_cast<const char*>(mnl_attr_get_payload(attribute));
            return std::string(text, strnlen(text, mnl_attr_get_payload_len(attribute)));
        }
    }
    return {};
}

int onError(const nlmsghdr* message, void* data)
{
    if (mnl_nlmsg_get_payload_len(message) < sizeof(nlmsgerr)) {
        errno = EBADMSG;
        return MNL_CB_ERROR;
    }
    const auto* error = static_cast<const nlmsgerr*>(mnl_nlmsg_get_payload(message));
    if (error->error == 0)
        return MNL_CB_STOP;
    static_cast<Exchange*>(data)->kernelMessage = extendedAckText(message, error);
    errno = -error->error;
    return MNL_CB_ERROR;
}

int onDone(const nlmsghdr*, void*)
{
    return MNL_CB_STOP;
}

int onNoop(const nlmsghdr*, void*)
{
    return MNL_CB_OK;
}

mnl_cb_t controls[] = {nullptr, onNoop, onError, onDone, onNoop};

} // namespace

void Rtnl::SocketCloser::operator()(mnl_socket* socket) const
{
    mnl_socket_close(socket);
}

Rtnl::Rtnl(mnl_socket* socket)
    : socket_(socket), portId_(mnl_socket_get_portid(socket)),
      sequence_(static_cast<std::uint32_t>(std::time(nullptr))), buffer_(kReceiveBuffer)
{
}

Rtnl::Rtnl(Rtnl&&) noexcept = default;
Rtnl& Rtnl::operator=(Rtnl&&) noexcept = default;
Rtnl::~Rtnl() = default;

Result<Rtnl> Rtnl::open()
{
    mnl_socket* socket = mnl_socket_open2(NETLINK_ROUTE, SOCK_CLOEXEC);
    if (!socket)
        return fail(systemError("cannot open an rtnetlink socket", errno));
    // The kernel's reason in words, and acknowledgements without a copy of
    // the request. Both are optional: older kernels answer without them.
    int on = 1;
    (void)mnl_socket_setsockopt(socket, NETLINK_EXT_ACK, &on, sizeof on);
    (void)mnl_socket_setsockopt(socket, NETLINK_CAP_ACK, &on, sizeof on);
    if (mnl_socket_bind(socket, 0, MNL_SOCKET_AUTOPID) < 0) {
        const int error = errno;
        mnl_socket_close(socket);
        return fail(systemError("cannot bind an rtnetlink socket", error));
    }
    return Rtnl(socket);
}

Outcome Rtnl::exchange(Request& request, const std::function<Outcome(const nlmsghdr*)>& onMessage)
{
    lastError_ = 0;
    if (request.overflowed()) {
        lastError_ = EMSGSIZE;
        return fail("rtnetlink request too long for its buffer");
    }
    nlmsghdr* message = request.message();
    message->nlmsg_seq = ++sequence_;
    if (mnl_socket_sendto(socket_.get(), message, message->nlmsg_len) < 0) {
        lastError_ = errno;
        return fail(systemError("cannot send to rtnetlink", lastError_));
    }
    Exchange exchange{&onMessage, {}, {}};
    for (;;) {
        const ssize_t received = mnl_socket_recvfrom(socket_.get(), buffer_.data(), buffer_.size());
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0) {
            lastError_ = errno;
            return fail(systemError("cannot read from rtnetlink", lastError_));
        }
        // The rest of an earlier answer: taken for this one, it would fail
        // this exchange and leave this answer to throw the next one out of
        // step, and so on for good.
        if (static_cast<std::size_t>(received) >= sizeof(nlmsghdr) &&
            reinterpret_cast<const nlmsghdr*>(buffer_.data())->nlmsg_seq != message->nlmsg_seq)
            continue;
        const int run =
            mnl_cb_run2(buffer_.data(), static_cast<std::size_t>(received), message->nlmsg_seq,
                        portId_, onData, &exchange, controls, MNL_ARRAY_SIZE(controls));
        if (run == MNL_CB_ERROR) {
            lastError_ = errno;
            return fail(exchange.kernelMessage.empty()
                            ? std::string(std::strerror(lastError_))
                            : exchange.kernelMessage + " (" + std::strerror(lastError_) + ")");
        }
        if (run == MNL_CB_STOP && !exchange.firstFailure.empty()) {
            lastError_ = EBADMSG;
            return fail(exchange.firstFailure);
        }
        if (run == MNL_CB_STOP)
            return {};
    }
}

Result<std::vector<Link>> Rtnl::links()
{
    Request request(RTM_GETLINK, NLM_F_DUMP, sizeof(ifinfomsg));
    request.header<ifinfomsg>().ifi_family = AF_UNSPEC;
    std::vector<Link> found;
    Outcome done = exchange(request, [&](const nlmsghdr* message) -> Outcome {
        if (message->nlmsg_type != RTM_NEWLINK)
            return {};
        Result<Link> link = LinkParser::link(message);
        if (!link.ok())
            return fail(link.error());
        found.push_back(std::move(link).value());
        return {};
    });
    if (!done.ok())
        return fail("cannot list the links: " + done.error());
    return found;
}

namespace {

Result<Link> oneLink(Rtnl& rtnl, Request& request, const std::string& which)
{
    std::optional<Link> found;
    Outcome done = rtnl.exchange(request, [&](const nlmsghdr* message) -> Outcome {
        if (message->nlmsg_type != RTM_NEWLINK)
            return {};
        Result<Link> link = LinkParser::link(message);
        if (!link.ok())
            return fail(link.error());
        found = std::move(link).value();
        return {};
    });
    if (!done.ok())
        return fail("cannot read link " + which + ": " + done.error());
    if (!found)
        return fail("cannot read link " + which + ": no answer");
    return std::move(*found);
}

} // namespace

Result<Link> Rtnl::link(int ifindex)
{
    Request request(RTM_GETLINK, 0, sizeof(ifinfomsg));
    request.header<ifinfomsg>().ifi_index = ifindex;
    return oneLink(*this, request, std::to_string(ifindex));
}

Result<Link> Rtnl::link(const std::string& name)
{
    Request request(RTM_GETLINK, 0, sizeof(ifinfomsg));
    request.putString(IFLA_IFNAME, name);
    return oneLink(*this, request, name);
}

Result<std::vector<InterfaceAddress>> Rtnl::addresses(int ifindex)
{
    Request request(RTM_GETADDR, NLM_F_DUMP, sizeof(ifaddrmsg));
    request.header<ifaddrmsg>().ifa_family = AF_UNSPEC;
    std::vector<InterfaceAddress> found;
    Outcome done = exchange(request, [&](const nlmsghdr* message) -> Outcome {
        if (message->nlmsg_type != RTM_NEWADDR)
            return {};
        Result<InterfaceAddress> address = LinkParser::address(message);
        if (!address.ok())
            return fail(address.error());
        if (ifindex == 0 || address->ifindex == ifindex)
            found.push_back(std::move(address).value());
        return {};
    });
    if (!done.ok())
        return fail("cannot list the addresses: " + done.error());
    return found;
}

Result<std::vector<int>> Rtnl::defaultRouteInterfaces()
{
    std::vector<int> found;
    for (const int family : {AF_INET, AF_INET6}) {
        Request request(RTM_GETROUTE, NLM_F_DUMP, sizeof(rtmsg));
        request.header<rtmsg>().rtm_family = static_cast<unsigned char>(family);
        Outcome done = exchange(request, [&](const nlmsghdr* message) -> Outcome {
            if (message->nlmsg_type != RTM_NEWROUTE)
                return {};
            Result<std::vector<int>> interfaces = LinkParser::defaultRouteInterfaces(message);
            if (!interfaces.ok())
                return fail(interfaces.error());
            found.insert(found.end(), interfaces->begin(), interfaces->end());
            return {};
        });
        if (!done.ok())
            return fail("cannot list the routes: " + done.error());
    }
    return found;
}

Outcome Rtnl::change(Request& request, const std::string& what)
{
    Outcome done = exchange(request, [](const nlmsghdr*) { return Outcome{}; });
    if (!done.ok())
        return fail("cannot " + what + ": " + done.error());
    return {};
}

namespace {

Request linkChange(int ifindex)
{
    Request request(RTM_NEWLINK, 0, sizeof(ifinfomsg));
    request.header<ifinfomsg>().ifi_index = ifindex;
    return request;
}

void putBondOptions(Request& request, const BondOptions& options)
{
    nlattr* info = request.beginNest(IFLA_LINKINFO);
    request.putString(IFLA_INFO_KIND, "bond");
    nlattr* data = request.beginNest(IFLA_INFO_DATA);
    if (options.mode)
        request.putU8(IFLA_BOND_MODE, *options.mode);
    if (options.miimon)
        request.putU32(IFLA_BOND_MIIMON, *options.miimon);
    if (options.updelay)
        request.putU32(IFLA_BOND_UPDELAY, *options.updelay);
    if (options.downdelay)
        request.putU32(IFLA_BOND_DOWNDELAY, *options.downdelay);
    if (options.primary)
        request.putU32(IFLA_BOND_PRIMARY, *options.primary);
    if (options.primaryReselect)
        request.putU8(IFLA_BOND_PRIMARY_RESELECT, *options.primaryReselect);
    if (options.failOverMac)
        request.putU8(IFLA_BOND_FAIL_OVER_MAC, *options.failOverMac);
    if (options.activeSlave)
        request.putU32(IFLA_BOND_ACTIVE_SLAVE, *options.activeSlave);
    request.endNest(data);
    request.endNest(info);
}

} // namespace

Outcome Rtnl::createBond(const std::string& name, const BondOptions& options)
{
    Request request(RTM_NEWLINK, NLM_F_CREATE | NLM_F_EXCL, sizeof(ifinfomsg));
    request.putString(IFLA_IFNAME, name);
    putBondOptions(request, options);
    return change(request, "create bond " + name);
}

Outcome Rtnl::changeBond(int ifindex, const BondOptions& options)
{
    Request request = linkChange(ifindex);
    putBondOptions(request, options);
    return change(request, "change the options of bond " + std::to_string(ifindex));
}

Outcome Rtnl::createVlan(const std::string& name, int parent, std::uint16_t id,
                         const std::vector<std::uint8_t>& address)
{
    Request request(RTM_NEWLINK, NLM_F_CREATE | NLM_F_EXCL, sizeof(ifinfomsg));
    request.putString(IFLA_IFNAME, name);
    request.putU32(IFLA_LINK, static_cast<std::uint32_t>(parent));
    if (!address.empty())
        request.putBytes(IFLA_ADDRESS, address);
    nlattr* info = request.beginNest(IFLA_LINKINFO);
    request.putString(IFLA_INFO_KIND, "vlan");
    nlattr* data = request.beginNest(IFLA_INFO_DATA);
    request.putU16(IFLA_VLAN_ID, id);
    request.putU16(IFLA_VLAN_PROTOCOL, htons(0x8100));
    request.endNest(data);
    request.endNest(info);
    return change(request, "create VLAN " + name);
}

Outcome Rtnl::deleteLink(int ifindex)
{
    Request request(RTM_DELLINK, 0, sizeof(ifinfomsg));
    request.header<ifinfomsg>().ifi_index = ifindex;
    return change(request, "delete link " + std::to_string(ifindex));
}

Outcome Rtnl::setMaster(int ifindex, int master)
{
    Request request = linkChange(ifindex);
    request.putU32(IFLA_MASTER, static_cast<std::uint32_t>(master));
    return change(request, master ? "enslave link " + std::to_string(ifindex)
                                  : "release link " + std::to_string(ifindex));
}

Outcome Rtnl::setUp(int ifindex, bool up)
{
    Request request = linkChange(ifindex);
    request.header<ifinfomsg>().ifi_flags = up ? IFF_UP : 0;
    request.header<ifinfomsg>().ifi_change = IFF_UP;
    return change(request, (up ? "bring up link " : "bring down link ") + std::to_string(ifindex));
}

Outcome Rtnl::setAlias(int ifindex, const std::string& alias)
{
    Request request = linkChange(ifindex);
    request.putString(IFLA_IFALIAS, alias);
    return change(request, "set the alias of link " + std::to_string(ifindex));
}

Outcome Rtnl::setAddress(int ifindex, const std::vector<std::uint8_t>& address)
{
    Request request = linkChange(ifindex);
    request.putBytes(IFLA_ADDRESS, address);
    return change(request, "set the address of link " + std::to_string(ifindex));
}

Outcome Rtnl::setMtu(int ifindex, std::uint32_t mtu)
{
    Request request = linkChange(ifindex);
    request.putU32(IFLA_MTU, mtu);
    return change(request, "set the MTU of link " + std::to_string(ifindex));
}

Outcome Rtnl::setActiveMember(int bond, int member)
{
    BondOptions options;
    options.activeSlave = static_cast<std::uint32_t>(member);
    return changeBond(bond, options);
}

} // namespace velnet::netlink
