// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/autocure/ScratchNetns.h"

#include "tests/support/ChildProcess.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sched.h>
#include <stdexcept>
#include <unistd.h>

namespace velnet::vxsrvnt::autocure::test {

using velnet::test::ChildProcess;

int ScratchNetns::runAllTestsOrSkip(int argc, char** argv)
{
    if (auto why = unavailableReason()) {
        std::cout << "SKIPPED: " << *why << "\n";
        return 77;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

std::optional<std::string> ScratchNetns::unavailableReason()
{
    try {
        ScratchNetns probe("probe");
    } catch (const std::runtime_error& error) {
        return std::string("network namespaces cannot be made here: ") + error.what();
    }
    return std::nullopt;
}

ScratchNetns::ScratchNetns(const std::string& tag)
    : name_("velnet-test-" + std::to_string(::getpid()) + "-" + tag)
{
    std::string output;
    ChildProcess::run({"ip", "netns", "delete", name_}); // a leftover of a killed run
    if (ChildProcess::run({"ip", "netns", "add", name_}, &output) != 0)
        throw std::runtime_error("ip netns add " + name_ + ": " + output);
    ip({"link", "set", "lo", "up"});
}

ScratchNetns::~ScratchNetns()
{
    ChildProcess::run({"ip", "netns", "delete", name_});
}

std::string ScratchNetns::ip(const std::vector<std::string>& arguments) const
{
    std::vector<std::string> command{"ip", "-n", name_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return ChildProcess::check(command);
}

int ScratchNetns::ifindex(const std::string& ifname) const
{
    return nlohmann::json::parse(ip({"-j", "link", "show", "dev", ifname}))
        .at(0)
        .at("ifindex")
        .get<int>();
}

ScratchNetns::Inside::Inside(const ScratchNetns& netns)
{
    home_ = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = ::open(("/run/netns/" + netns.name()).c_str(), O_RDONLY | O_CLOEXEC);
    const bool entered = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0)
        ::close(target);
    if (!entered) {
        if (home_ >= 0)
            ::close(home_);
        throw std::runtime_error("cannot enter network namespace " + netns.name());
    }
}

ScratchNetns::Inside::~Inside()
{
    // Back home, or every later test would run in a namespace about to go.
    if (::setns(home_, CLONE_NEWNET) != 0)
        std::abort();
    ::close(home_);
}

} // namespace velnet::vxsrvnt::autocure::test
