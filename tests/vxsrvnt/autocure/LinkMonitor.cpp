// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/autocure/LinkMonitor.h"

#include "tests/vxsrvnt/autocure/ScratchNetns.h"

#include <sstream>
#include <stdexcept>

namespace velnet::vxsrvnt::autocure::test {

using namespace std::chrono_literals;

LinkMonitor::LinkMonitor(const ScratchNetns& netns)
    : ip_(std::make_unique<velnet::test::ChildProcess>(
          std::vector<std::string>{"ip", "-n", netns.name(), "-o", "monitor", "link"}))
{
    // ip says nothing when it starts listening: change lo's alias until it
    // reports the change.
    for (int attempt = 0; attempt < 50; ++attempt) {
        netns.ip({"link", "set", "dev", "lo", "alias", "probe" + std::to_string(attempt)});
        if (ip_->readLine(100ms)) {
            ip_->readRest(100ms);
            return;
        }
    }
    throw std::runtime_error("ip monitor did not start listening");
}

std::string LinkMonitor::history(const std::string& ifname)
{
    seen_ += ip_->readRest(300ms);
    std::vector<std::string> out;
    std::istringstream lines(seen_);
    std::string line;
    while (std::getline(lines, line)) {
        // "4: vxnic0@vxpeer0: <BROADCAST,MULTICAST,UP,LOWER_UP> mtu 1500 ..."
        const auto colon = line.find(": ");
        if (colon == std::string::npos)
            continue;
        const std::string rest = line.substr(colon + 2);
        if (rest.rfind(ifname + ":", 0) != 0 && rest.rfind(ifname + "@", 0) != 0)
            continue;
        const auto open = rest.find('<');
        const auto close = rest.find('>');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        const std::string flags = "," + rest.substr(open + 1, close - open - 1) + ",";
        const std::string state = flags.find(",UP,") != std::string::npos ? "up" : "down";
        if (out.empty() || out.back() != state)
            out.push_back(state);
    }
    std::string text;
    for (const std::string& state : out)
        text += (text.empty() ? "" : ",") + state;
    return text;
}

} // namespace velnet::vxsrvnt::autocure::test
