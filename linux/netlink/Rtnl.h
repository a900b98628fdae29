// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "linux/netlink/Link.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct mnl_socket;
struct nlmsghdr;

namespace velnet::netlink {

class Request;

// An rtnetlink socket of this process's network namespace. Each request
// gets the next sequence number. What is left in the socket of an earlier
// answer (a dump the kernel interrupted, a failed read) is dropped; an
// answer for another port id is an error (libmnl's mnl_cb_run checks it).
// Failures carry the kernel's own message where it gives one
// ("Device can not be enslaved while up").
class Rtnl
{
public:
    static Result<Rtnl> open();

    Rtnl(Rtnl&&) noexcept;
    Rtnl& operator=(Rtnl&&) noexcept;
    ~Rtnl();

    Result<std::vector<Link>> links();
    Result<Link> link(int ifindex);
    Result<Link> link(const std::string& name);
    // Every address of the namespace, or of one interface when ifindex != 0.
    Result<std::vector<InterfaceAddress>> addresses(int ifindex = 0);
    // The interfaces that carry a default route of the main table (IPv4 and IPv6).
    Result<std::vector<int>> defaultRouteInterfaces();

    Outcome createBond(const std::string& name, const BondOptions& options);
    Outcome changeBond(int ifindex, const BondOptions& options);
    // An 802.1Q link on `parent`; `address` empty keeps the parent's MAC.
    Outcome createVlan(const std::string& name, int parent, std::uint16_t id,
                       const std::vector<std::uint8_t>& address);
    Outcome deleteLink(int ifindex);
    // Enslaves to `master`, or releases from its master when it is 0.
    Outcome setMaster(int ifindex, int master);
    Outcome setUp(int ifindex, bool up);
    // An empty alias removes it.
    Outcome setAlias(int ifindex, const std::string& alias);
    Outcome setAddress(int ifindex, const std::vector<std::uint8_t>& address);
    Outcome setMtu(int ifindex, std::uint32_t mtu);
    Outcome setActiveMember(int bond, int member);

    // Sends `request` and hands each answer to `onMessage` until the end of
    // a dump or the acknowledgement. A message `onMessage` cannot read fails
    // the exchange after the rest of the answer has been read.
    Outcome exchange(Request& request, const std::function<Outcome(const nlmsghdr*)>& onMessage);
    // The errno of the last exchange that failed (EBADMSG when an answer could
    // not be read); 0 after one that succeeded. For callers that map errno
    // values to their own texts.
    int lastError() const { return lastError_; }
    // The socket's netlink port id, which the kernel's answers are sent to.
    std::uint32_t portId() const { return portId_; }

private:
    explicit Rtnl(mnl_socket* socket);
    Outcome change(Request& request, const std::string& what);

    struct SocketCloser
    {
        void operator()(mnl_socket* socket) const;
    };
    std::unique_ptr<mnl_socket, SocketCloser> socket_;
    std::uint32_t portId_ = 0;
    std::uint32_t sequence_ = 0;
    int lastError_ = 0;
    std::vector<char> buffer_;
};

} // namespace velnet::netlink
