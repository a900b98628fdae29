// SPDX-License-Identifier: MIT
#include "tests/support/NamespacePair.h"

#include "tests/support/ChildProcess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace velnet::test {

namespace {

// Every namespace of these tests begins with it, followed by the owner's pid.
const std::string kPrefix = "velnet-test-";

std::string ip(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"ip"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::check(command);
}

// Namespaces whose test died before it could remove them.
void removeOrphans()
{
    std::string list;
    ChildProcess::run({"ip", "netns", "list"}, &list);
    std::istringstream lines(list);
    std::string name;
    while (lines >> name) {
        if (!name.starts_with(kPrefix))
            continue;
        const auto pid = std::atol(name.c_str() + kPrefix.size());
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ChildProcess::run({"ip", "netns", "delete", name});
        std::getline(lines, name); // the rest of the line ("(id: 3)")
    }
}

std::string macAddress(const std::string& netns, const std::string& interface)
{
    std::istringstream text(ip({"-n", netns, "-br", "link", "show", "dev", interface}));
    std::string name, state, address;
    text >> name >> state >> address;
    return address;
}

} // namespace

std::optional<std::string> NamespacePair::unavailableReason()
{
    const std::string probe = kPrefix + std::to_string(::getpid()) + "-probe";
    std::string output;
    if (ChildProcess::run({"ip", "netns", "add", probe}, &output) != 0)
        return "network namespaces cannot be made here: " +
               (output.empty() ? std::string("ip is missing") : output);
    ChildProcess::run({"ip", "netns", "delete", probe});
    return std::nullopt;
}

NamespacePair::NamespacePair()
{
    static std::atomic<int> serial{0};
    const std::string pid = std::to_string(::getpid());
    const std::string n = std::to_string(serial++);
    a_.netns = kPrefix + pid + "-" + n + "-a";
    b_.netns = kPrefix + pid + "-" + n + "-b";
    // Interface names have at most 15 characters.
    a_.interface = "vt" + pid + "x" + n + "a";
    b_.interface = "vt" + pid + "x" + n + "b";
    removeOrphans();
    try {
        create();
    } catch (...) {
        remove();
        throw;
    }
}

NamespacePair::~NamespacePair()
{
    remove();
}

void NamespacePair::create()
{
    ip({"netns", "add", a_.netns});
    ip({"netns", "add", b_.netns});
    // Both ends are born inside their namespaces: the machine's own never sees them.
    ip({"link", "add", a_.interface, "netns", a_.netns, "type", "veth", "peer", "name",
        b_.interface, "netns", b_.netns});
    a_.ipv4 = "10.231.15.1";
    b_.ipv4 = "10.231.15.2";
    ip({"-n", a_.netns, "address", "add", a_.ipv4 + "/30", "dev", a_.interface});
    ip({"-n", b_.netns, "address", "add", b_.ipv4 + "/30", "dev", b_.interface});
    for (const Side* side : {&a_, &b_}) {
        ip({"-n", side->netns, "link", "set", "lo", "up"});
        ip({"-n", side->netns, "link", "set", side->interface, "up"});
    }
    a_.address = macAddress(a_.netns, a_.interface);
    b_.address = macAddress(b_.netns, b_.interface);
}

void NamespacePair::remove() noexcept
{
    // Deleting a namespace deletes the veth end in it, and with it the peer.
    for (const Side* side : {&a_, &b_}) {
        try {
            ChildProcess::run({"ip", "netns", "delete", side->netns});
        } catch (...) {
        }
    }
}

int NamespacePair::runIn(const std::string& netns, const std::vector<std::string>& arguments,
                         std::string* output)
{
    std::vector<std::string> command{"ip", "netns", "exec", netns};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::run(command, output);
}

} // namespace velnet::test
