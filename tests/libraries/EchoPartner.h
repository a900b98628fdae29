// SPDX-License-Identifier: MIT
#pragma once

#include "tests/libraries/InsideNetns.h"
#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>

namespace velnet::test {

// The other computer of a real echo test: cardcheck's echo responder
// (the program's own library code) in the other namespace, on its veth end,
// with a host name of its own so that the sender can tell it by name.
class EchoPartner
{
public:
    static constexpr const char* kName = "ECHO-PARTNER";

    // Starts it; true once it answers echoes.
    bool start(const NetnsEnvironment& net, const std::string& responderProgram);
    // Stops it; the number of echoes it received, -1 when it did not end well.
    int stop();

private:
    std::unique_ptr<ChildProcess> process_;
};

} // namespace velnet::test
