// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/apply/BondTopology.h"

#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <sched.h>
#include <stdexcept>
#include <unistd.h>

namespace velnet::test {

namespace {

void enter(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0)
        throw std::runtime_error("cannot enter the network namespace " + path);
    ::close(fd);
}

} // namespace

BondTopology::BondTopology()
    : service_("vxs-" + std::to_string(::getpid()) + "-svc"),
      peer_("vxs-" + std::to_string(::getpid()) + "-peer"),
      home_(::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC))
{
    try {
        create();
    } catch (...) {
        remove();
        throw;
    }
}

BondTopology::~BondTopology()
{
    remove();
}

void BondTopology::create()
{
    ChildProcess::check({"ip", "netns", "add", service_});
    ChildProcess::check({"ip", "netns", "add", peer_});
    peerIp({"link", "add", "br0", "type", "bridge"});
    for (const std::string side : {"a", "b"}) {
        // Both ends are born in their namespaces: the machine's own never sees them.
        ChildProcess::check({"ip", "link", "add", "eth-" + side, "netns", service_, "type", "veth",
                             "peer", "name", "far-" + side, "netns", peer_});
        peerIp({"link", "set", "far-" + side, "master", "br0", "up"});
        ChildProcess::check({"ip", "-n", service_, "link", "set", "eth-" + side, "up"});
    }
    peerIp({"address", "add", std::string(kPeerAddress) + "/24", "dev", "br0"});
    peerIp({"link", "add", "link", "br0", "name", "br0.10", "type", "vlan", "id", "10"});
    peerIp({"address", "add", std::string(kPeerVlanAddress) + "/24", "dev", "br0.10"});
    peerIp({"link", "set", "br0", "up"});
    peerIp({"link", "set", "br0.10", "up"});
    ChildProcess::check({"ip", "-n", service_, "link", "set", "lo", "up"});
    enter("/run/netns/" + service_);
}

void BondTopology::remove() noexcept
{
    if (home_ >= 0) {
        (void)::setns(home_, CLONE_NEWNET); // back where the test started
        ::close(home_);
        home_ = -1;
    }
    // Deleting a namespace deletes its links, and with them their veth peers.
    for (const std::string& name : {service_, peer_}) {
        try {
            ChildProcess::run({"ip", "netns", "delete", name});
        } catch (...) {
        }
    }
}

std::string BondTopology::ip(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"ip"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::check(command);
}

std::string BondTopology::peerIp(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> command{"ip", "-n", peer_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::check(command);
}

netlink::Rtnl BondTopology::peerRtnl() const
{
    const int self = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    enter("/run/netns/" + peer_);
    auto opened = netlink::Rtnl::open(); // the socket stays in the peer's namespace
    const bool back = ::setns(self, CLONE_NEWNET) == 0;
    ::close(self);
    if (!opened.ok() || !back)
        throw std::runtime_error("cannot open rtnetlink in " + peer_ + ": " + opened.error());
    return std::move(opened).value();
}

nlohmann::json BondTopology::link(const std::string& name)
{
    std::string output;
    if (ChildProcess::run({"ip", "-d", "-j", "link", "show", "dev", name}, &output) != 0)
        return nullptr;
    const nlohmann::json links = nlohmann::json::parse(output, nullptr, false);
    return links.is_array() && links.size() == 1 ? links[0] : nlohmann::json();
}

int BondTopology::ifindex(const std::string& name)
{
    const nlohmann::json found = link(name);
    return found.is_null() ? 0 : found.value("ifindex", 0);
}

bool BondTopology::ping(const std::string& address)
{
    return ChildProcess::run({"ping", "-c", "1", "-W", "2", "-q", address}) == 0;
}

} // namespace velnet::test
