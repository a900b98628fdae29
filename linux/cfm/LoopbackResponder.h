// SPDX-License-Identifier: MIT
#pragma once

#include "linux/cfm/EchoRecord.h"
#include "linux/cfm/PacketSocket.h"
#include "linux/cfm/StopSignal.h"

#include <chrono>
#include <optional>
#include <string>

namespace velnet::cfmecho {

// The answering side of the echo test: a loopback reply to each loopback
// message of the MD level sent to this station or to the level's multicast
// address. It keeps to the sender it answers until that one falls silent, so
// that another computer's test on the same wire is not counted as ours.
class LoopbackResponder
{
public:
    LoopbackResponder(PacketSocket& socket, const StopSignal& stop, EchoRecord& record,
                      std::string computerName);

    // How long a sender keeps the responder after its last message.
    void setSenderHold(std::chrono::milliseconds hold) { senderHold_ = hold; }

    // Answers until stopped; a message when the socket failed.
    std::optional<std::string> run();

private:
    // False when the socket failed; failure_ says why.
    bool takeFrame();
    bool isForUs(const LoopbackFrame& frame, std::chrono::steady_clock::time_point now) const;
    bool answer(const LoopbackFrame& message);
    void fail(const std::string& what, int error);

    PacketSocket& socket_;
    const StopSignal& stop_;
    EchoRecord& record_;
    std::string computerName_;
    std::chrono::milliseconds senderHold_{2000};
    std::optional<MacAddress> sender_;
    std::chrono::steady_clock::time_point lastHeard_{};
    std::string failure_;
};

} // namespace velnet::cfmecho
