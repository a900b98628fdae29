// SPDX-License-Identifier: MIT
#include "linux/cfm/LoopbackSender.h"

#include "linux/cfm/FrameWaiter.h"

#include <cerrno>
#include <random>
#include <vector>

namespace velnet::cfmecho {

namespace {

using Clock = std::chrono::steady_clock;

// Another test on the same wire starts elsewhere in the id space, so replies
// meant for it never match a message of this one.
std::uint32_t randomTransactionBase()
{
    std::random_device device;
    return static_cast<std::uint32_t>(device());
}

} // namespace

LoopbackSender::LoopbackSender(PacketSocket& socket, const StopSignal& stop, EchoRecord& record,
                               std::string computerName)
    : socket_(socket), stop_(stop), record_(record), computerName_(std::move(computerName)),
      transactionId_(randomTransactionBase())
{
}

std::optional<std::string> LoopbackSender::run(bool continuous)
{
    const FrameWaiter waiter(socket_, stop_);
    if (auto failure = waiter.failure())
        return failure;
    std::uint32_t sent = 0;
    std::uint32_t replies = 0;
    auto nextSend = Clock::now();
    while (continuous || sent < pacing_.burst) {
        if (!continuous && stop_.waitUntil(nextSend))
            return std::nullopt;
        const auto sentAt = sendMessage();
        if (!sentAt)
            return failure_;
        nextSend = *sentAt + pacing_.burstInterval;
        ++sent;
        switch (awaitReply(waiter, *sentAt)) {
        case Outcome::Reply:
            ++replies;
            break;
        case Outcome::Timeout:
            record_.countLost();
            break;
        case Outcome::Stopped:
            return std::nullopt;
        case Outcome::Failed:
            return failure_;
        }
    }
    if (replies == 0)
        return "No computer answered the echo test on " + socket_.interfaceName() + ".";
    return std::nullopt;
}

// The moment the message left, taken after building it so that the round
// trip is the wire's and the responder's alone.
std::optional<Clock::time_point> LoopbackSender::sendMessage()
{
    LoopbackFrame message;
    message.destination = responder_.value_or(classOneMulticast(kEchoMdLevel));
    message.source = socket_.address();
    message.opcode = CfmOpcode::LoopbackMessage;
    message.transactionId = ++transactionId_;
    message.senderName = computerName_;
    const auto frame = buildLoopbackFrame(message);
    const auto sentAt = Clock::now();
    // A message the kernel could not hand on right now is an echo lost: its
    // reply never comes, and the run waits it out as for any lost echo.
    if (const int error = socket_.send(frame); error != 0 && !isPassingSendError(error)) {
        fail("send a loopback message", error);
        return std::nullopt;
    }
    record_.countSent();
    return sentAt;
}

LoopbackSender::Outcome LoopbackSender::awaitReply(const FrameWaiter& waiter,
                                                   Clock::time_point sentAt)
{
    const auto deadline = sentAt + pacing_.replyTimeout;
    for (;;) {
        switch (waiter.wait(deadline)) {
        case Wake::Stop:
            return Outcome::Stopped;
        case Wake::Timeout:
            return Outcome::Timeout;
        case Wake::Error:
            fail("wait for a loopback reply", errno);
            return Outcome::Failed;
        case Wake::Frame:
            break;
        }
        if (const Outcome outcome = takeFrames(sentAt); outcome != Outcome::Timeout)
            return outcome;
    }
}

// Reads what is waiting: Reply when the reply came, Timeout when it has not
// come yet.
LoopbackSender::Outcome LoopbackSender::takeFrames(Clock::time_point sentAt)
{
    std::vector<std::uint8_t> buffer(socket_.maxFrameLength());
    for (;;) {
        const long length = socket_.receive(buffer);
        const auto arrived = Clock::now();
        if (length == -EAGAIN)
            return Outcome::Timeout;
        if (length < 0) {
            fail("receive a loopback reply", static_cast<int>(-length));
            return Outcome::Failed;
        }
        const auto frame =
            parseLoopbackFrame(std::span(buffer.data(), static_cast<std::size_t>(length)));
        if (!frame || !isReply(*frame))
            continue;
        const auto roundTrip = arrived - sentAt;
        responder_ = frame->source;
        record_.countReply(roundTrip, senderLabel(*frame));
        if (observer_)
            observer_(roundTrip);
        return Outcome::Reply;
    }
}

bool LoopbackSender::isReply(const LoopbackFrame& frame) const
{
    return frame.opcode == CfmOpcode::LoopbackReply && frame.mdLevel == kEchoMdLevel &&
           frame.destination == socket_.address() && frame.transactionId == transactionId_ &&
           (!responder_ || frame.source == *responder_);
}

void LoopbackSender::fail(const std::string& what, int error)
{
    failure_ = echoFailure(socket_.interfaceName(), what, error);
}

} // namespace velnet::cfmecho
