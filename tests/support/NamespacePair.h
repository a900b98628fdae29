// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velnet::test {

// Two network namespaces of this test alone, joined by a veth pair whose ends
// have addresses, so that real NIC code can send frames that never reach the
// machine's own interfaces. Everything goes away with the object, and the
// leftovers of a test that was killed go away with the next one.
class NamespacePair
{
public:
    struct Side
    {
        std::string netns;
        std::string interface;
        std::string address; // the end's MAC address, as ip prints it
        std::string ipv4;    // the end's IPv4 address, in a /30 of the pair's own
    };

    // Why namespaces cannot be made here (no privilege, no `ip`), or nothing.
    static std::optional<std::string> unavailableReason();

    // Throws std::runtime_error saying what failed.
    NamespacePair();
    NamespacePair(const NamespacePair&) = delete;
    NamespacePair& operator=(const NamespacePair&) = delete;
    ~NamespacePair();

    const Side& a() const { return a_; }
    const Side& b() const { return b_; }

    // Runs a program inside one namespace; its exit code.
    static int runIn(const std::string& netns, const std::vector<std::string>& arguments,
                     std::string* output = nullptr);

private:
    void create();
    void remove() noexcept;

    Side a_;
    Side b_;
};

} // namespace velnet::test
