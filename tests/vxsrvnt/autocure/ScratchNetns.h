// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::autocure::test {

// A network namespace of this test alone ("velnet-test-<pid>-<tag>"),
// removed with the object. Links are made in it with `ip`, and the test
// process enters it while an Inside object lives, so that the monitor's own
// sockets see only the namespace's links.
class ScratchNetns
{
public:
    // Why namespaces cannot be made here, or nothing.
    static std::optional<std::string> unavailableReason();
    // A test program's main: every test, or SKIPPED with the reason and the
    // status ctest counts as skipped (77) where no namespace can be made.
    static int runAllTestsOrSkip(int argc, char** argv);

    explicit ScratchNetns(const std::string& tag); // throws std::runtime_error
    ~ScratchNetns();
    ScratchNetns(const ScratchNetns&) = delete;
    ScratchNetns& operator=(const ScratchNetns&) = delete;

    const std::string& name() const { return name_; }
    // `ip -n NAME ARGS...`; throws with ip's words when it fails.
    std::string ip(const std::vector<std::string>& arguments) const;
    int ifindex(const std::string& ifname) const;

    class Inside
    {
    public:
        explicit Inside(const ScratchNetns& netns);
        ~Inside();
        Inside(const Inside&) = delete;
        Inside& operator=(const Inside&) = delete;

    private:
        int home_ = -1;
    };

private:
    std::string name_;
};

} // namespace velnet::vxsrvnt::autocure::test
