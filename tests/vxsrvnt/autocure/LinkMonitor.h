// SPDX-License-Identifier: MIT
#pragma once

#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::autocure::test {

class ScratchNetns;

// `ip -o monitor link` in a namespace: what the kernel announced about its
// links, seen by a program that is not ours.
class LinkMonitor
{
public:
    explicit LinkMonitor(const ScratchNetns& netns); // returns once ip listens
    // The states announced for `ifname` since the monitor started, in order
    // and comma-separated: "up" when its flags hold UP, else "down"; repeats
    // folded ("down,up": taken down and up again).
    std::string history(const std::string& ifname);

private:
    std::unique_ptr<velnet::test::ChildProcess> ip_;
    std::string seen_;
};

} // namespace velnet::vxsrvnt::autocure::test
