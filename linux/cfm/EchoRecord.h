// SPDX-License-Identifier: MIT
#pragma once

#include "linux/cfm/CfmEcho.h"

#include <chrono>
#include <mutex>
#include <string>

namespace velnet::cfmecho {

// The figures and names of the echo test, written by the running test and
// read by any other thread.
class EchoRecord
{
public:
    void countSent();
    void countLost();
    // A reply to this sender, after `roundTrip`, from `responder`.
    void countReply(std::chrono::nanoseconds roundTrip, const std::string& responder);
    // A message to this responder from `sender`, and the reply sent back.
    void countMessage(const std::string& sender);
    void countReplySent();
    void clear();

    EchoFigures figures() const;
    std::string lastResponder() const;
    std::string lastSender() const;

private:
    mutable std::mutex mutex_;
    EchoFigures figures_;
    std::string lastResponder_;
    std::string lastSender_;
};

} // namespace velnet::cfmecho
