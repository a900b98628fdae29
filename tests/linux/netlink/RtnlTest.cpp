// SPDX-License-Identifier: MIT
// The rtnetlink socket against this namespace's kernel: read only.
#include "linux/netlink/Rtnl.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::netlink {
namespace {

// What an interrupted dump leaves in the socket: the end of an answer to an
// earlier request, which the next exchange must not take for its own.
TEST(Rtnl, theRestOfAnEarlierAnswerIsDroppedNotTakenForTheNext)
{
    Result<Rtnl> rtnl = Rtnl::open();
    ASSERT_TRUE(rtnl.ok()) << rtnl.error();
    const int sender = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    ASSERT_GE(sender, 0) << std::strerror(errno);
    nlmsghdr done{};
    done.nlmsg_len = NLMSG_LENGTH(sizeof(int));
    done.nlmsg_type = NLMSG_DONE;
    done.nlmsg_flags = NLM_F_MULTI;
    done.nlmsg_seq = 1; // long before this socket's first request
    char message[NLMSG_LENGTH(sizeof(int))] = {};
    std::memcpy(message, &done, sizeof done);
    sockaddr_nl to{};
    to.nl_family = AF_NETLINK;
    to.nl_pid = rtnl->portId();
    const auto sent =
        ::sendto(sender, message, sizeof message, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    const int error = errno;
    ::close(sender);
    if (sent < 0 && error == EPERM)
        GTEST_SKIP() << "sending to another netlink socket needs CAP_NET_ADMIN";
    ASSERT_EQ(sent, static_cast<ssize_t>(sizeof message)) << std::strerror(error);

    const Result<std::vector<Link>> links = rtnl->links();
    ASSERT_TRUE(links.ok()) << links.error();
    EXPECT_FALSE(links->empty()); // at least lo
    EXPECT_TRUE(rtnl->link(links->front().ifindex).ok());
}

} // namespace
} // namespace velnet::netlink
