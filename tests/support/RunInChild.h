// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace velnet::test {

// A child's exit code that means "this system cannot run the check".
constexpr int kChildCannotRun = 77;

// How a function run in a child process ended.
struct ChildReport
{
    int exitCode = -1;  // -1 when it did not exit by itself (killed, or out of time)
    std::string output; // the text it handed back
};

// Runs `body` in a forked child and hands back its exit code and the text it
// wrote into its argument. A child still running after `seconds` is killed,
// so that a hang fails the test instead of stopping the suite.
ChildReport runInChild(const std::function<int(std::string& report)>& body, int seconds = 30);

// In a child: makes `folder` a fresh tmpfs of `bytes` in a mount namespace of
// the child's own, so nothing of it is seen outside. The reason when the
// system does not allow that (not root, no namespaces).
std::optional<std::string> mountPrivateTmpfs(const std::string& folder, std::size_t bytes);

// In a child running as root: goes on as the unprivileged user `uid`.
bool dropRoot(uid_t uid, gid_t gid);

// The "nobody" user every system has.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

} // namespace velnet::test
