// SPDX-License-Identifier: MIT
#include "tests/libraries/EchoPartner.h"

#include <chrono>

namespace velnet::test {

using namespace std::chrono_literals;

bool EchoPartner::start(const NetnsEnvironment& net, const std::string& responderProgram)
{
    // A UTS namespace of its own gives it its own host name, which is the
    // name the libraries put into their frames.
    process_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "ip", "netns", "exec", net.namespaceB, "unshare", "--uts", "sh", "-c",
        std::string("hostname ") + kName + " && VELNET_NICS=\"$1\" exec \"$0\"", responderProgram,
        net.interfaceB});
    const auto line = process_->readUntil("responding", 20s);
    return line && *line == "responding";
}

int EchoPartner::stop()
{
    if (!process_)
        return -1;
    process_->writeLine("stop");
    process_->closeInput();
    const auto line = process_->readUntil("received ", 20s);
    process_->wait(10s);
    if (!line)
        return -1;
    return std::stoi(line->substr(9));
}

} // namespace velnet::test
