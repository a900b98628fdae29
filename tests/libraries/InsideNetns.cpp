// SPDX-License-Identifier: MIT
#include "tests/libraries/InsideNetns.h"

#include "tests/support/NamespacePair.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace velnet::test {

namespace {

constexpr int kSkipped = 77;

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

NetnsEnvironment NetnsEnvironment::fromEnvironment()
{
    return {env("VELNET_TEST_NETNS_A"), env("VELNET_TEST_NETNS_B"),   env("VELNET_TEST_IFACE_A"),
            env("VELNET_TEST_IFACE_B"), env("VELNET_TEST_ADDRESS_A"), env("VELNET_TEST_ADDRESS_B")};
}

int runInsideNetns(int argc, char** argv, const std::function<int(int, char**)>& body)
{
    if (!env("VELNET_TEST_NETNS_A").empty())
        return body(argc, argv);

    if (const auto reason = NamespacePair::unavailableReason()) {
        std::cout << "SKIPPED: " << *reason << "\n";
        return kSkipped;
    }
    std::unique_ptr<NamespacePair> pair;
    try {
        pair = std::make_unique<NamespacePair>();
    } catch (const std::runtime_error& error) {
        std::cout << "SKIPPED: the namespaces could not be set up: " << error.what() << "\n";
        return kSkipped;
    }
    ::setenv("VELNET_TEST_NETNS_A", pair->a().netns.c_str(), 1);
    ::setenv("VELNET_TEST_NETNS_B", pair->b().netns.c_str(), 1);
    ::setenv("VELNET_TEST_IFACE_A", pair->a().interface.c_str(), 1);
    ::setenv("VELNET_TEST_IFACE_B", pair->b().interface.c_str(), 1);
    ::setenv("VELNET_TEST_ADDRESS_A", pair->a().ipv4.c_str(), 1);
    ::setenv("VELNET_TEST_ADDRESS_B", pair->b().ipv4.c_str(), 1);
    ::setenv("VELNET_NICS", pair->a().interface.c_str(), 1);

    std::vector<std::string> command = {"ip", "netns", "exec", pair->a().netns,
                                        std::filesystem::read_symlink("/proc/self/exe").string()};
    for (int i = 1; i < argc; ++i)
        command.emplace_back(argv[i]);
    std::vector<char*> childArgv;
    for (auto& part : command)
        childArgv.push_back(part.data());
    childArgv.push_back(nullptr);
    // The run inside gets the terminal; an interrupt ends it, and then this
    // process removes the namespaces.
    ::signal(SIGINT, SIG_IGN);
    ::signal(SIGTERM, SIG_IGN);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "ip", nullptr, nullptr, childArgv.data(), environ) != 0) {
        std::cout << "the test could not be started inside " << pair->a().netns << "\n";
        return 1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace velnet::test
