// SPDX-License-Identifier: MIT
#include "linux/cfm/LoopbackResponder.h"

#include "linux/cfm/FrameWaiter.h"

#include <cerrno>
#include <vector>

namespace velnet::cfmecho {

namespace {

using Clock = std::chrono::steady_clock;

bool isGroupAddress(const MacAddress& address)
{
    return (address[0] & 1) != 0;
}

} // namespace

LoopbackResponder::LoopbackResponder(PacketSocket& socket, const StopSignal& stop,
                                     EchoRecord& record, std::string computerName)
    : socket_(socket), stop_(stop), record_(record), computerName_(std::move(computerName))
{
}

std::optional<std::string> LoopbackResponder::run()
{
    const FrameWaiter waiter(socket_, stop_);
    if (auto failure = waiter.failure())
        return failure;
    for (;;) {
        switch (waiter.wait(std::nullopt)) {
        case Wake::Stop:
            return std::nullopt;
        case Wake::Error:
            fail("wait for a loopback message", errno);
            return failure_;
        case Wake::Timeout:
        case Wake::Frame:
            break;
        }
        if (!takeFrame())
            return failure_;
    }
}

// One frame per wake: while a test runs, the next message is never waiting
// yet, and reading on until the socket is empty would cost a call per echo.
bool LoopbackResponder::takeFrame()
{
    std::vector<std::uint8_t> buffer(socket_.maxFrameLength());
    const long length = socket_.receive(buffer);
    // The link went down under the socket: it hears again once the link is
    // back, and the sender counts what was lost meanwhile.
    if (length == -EAGAIN || length == -ENETDOWN)
        return true;
    if (length < 0) {
        fail("receive a loopback message", static_cast<int>(-length));
        return false;
    }
    const auto frame =
        parseLoopbackFrame(std::span(buffer.data(), static_cast<std::size_t>(length)));
    const auto now = Clock::now();
    if (!frame || !isForUs(*frame, now))
        return true;
    sender_ = frame->source;
    lastHeard_ = now;
    return answer(*frame);
}

bool LoopbackResponder::isForUs(const LoopbackFrame& frame, Clock::time_point now) const
{
    if (frame.opcode != CfmOpcode::LoopbackMessage || frame.mdLevel != kEchoMdLevel ||
        isGroupAddress(frame.source) || frame.source == socket_.address())
        return false;
    if (frame.destination != socket_.address() &&
        frame.destination != classOneMulticast(kEchoMdLevel))
        return false;
    return !sender_ || frame.source == *sender_ || now - lastHeard_ > senderHold_;
}

bool LoopbackResponder::answer(const LoopbackFrame& message)
{
    record_.countMessage(senderLabel(message));
    const LoopbackFrame reply =
        loopbackReply(message, socket_.address(), computerName_, socket_.mtu());
    const int error = socket_.send(buildLoopbackFrame(reply));
    // A reply the kernel could not hand on is lost like one lost on the wire;
    // so is one that met this link going down, as in receiving above.
    if (error != 0 && !isPassingSendError(error) && error != ENETDOWN) {
        fail("send a loopback reply", error);
        return false;
    }
    record_.countReplySent();
    return true;
}

void LoopbackResponder::fail(const std::string& what, int error)
{
    failure_ = echoFailure(socket_.interfaceName(), what, error);
}

} // namespace velnet::cfmecho
