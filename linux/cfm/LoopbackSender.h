// SPDX-License-Identifier: MIT
#pragma once

#include "linux/cfm/EchoRecord.h"
#include "linux/cfm/FrameWaiter.h"
#include "linux/cfm/PacketSocket.h"
#include "linux/cfm/StopSignal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace velnet::cfmecho {

struct SenderPacing
{
    // Messages of a run that is not continuous, and their spacing; a
    // continuous run sends the next message as soon as the reply is in.
    std::uint32_t burst = 10;
    std::chrono::milliseconds burstInterval{100};
    std::chrono::milliseconds replyTimeout{1000};
};

// The sending side of the echo test: one loopback message in flight at a
// time, to the level's multicast address until a responder answers, then to
// that responder alone. Only its replies to the message in flight count.
class LoopbackSender
{
public:
    using RoundTripObserver = std::function<void(std::chrono::nanoseconds)>;

    LoopbackSender(PacketSocket& socket, const StopSignal& stop, EchoRecord& record,
                   std::string computerName);

    void setPacing(const SenderPacing& pacing) { pacing_ = pacing; }
    // Sees every round trip at full precision (the benchmark's median).
    void setRoundTripObserver(RoundTripObserver observer) { observer_ = std::move(observer); }

    // The whole run; a message when it failed or nobody answered a burst.
    std::optional<std::string> run(bool continuous);

private:
    enum class Outcome
    {
        Reply,
        Timeout,
        Stopped,
        Failed
    };

    std::optional<std::chrono::steady_clock::time_point> sendMessage();
    Outcome awaitReply(const FrameWaiter& waiter, std::chrono::steady_clock::time_point sentAt);
    Outcome takeFrames(std::chrono::steady_clock::time_point sentAt);
    bool isReply(const LoopbackFrame& frame) const;
    void fail(const std::string& what, int error);

    PacketSocket& socket_;
    const StopSignal& stop_;
    EchoRecord& record_;
    std::string computerName_;
    SenderPacing pacing_;
    RoundTripObserver observer_;
    std::uint32_t transactionId_;
    std::optional<MacAddress> responder_;
    std::string failure_;
};

} // namespace velnet::cfmecho
