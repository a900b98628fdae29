// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "linux/cfm/PacketSocket.h"
#include "linux/cfm/StopSignal.h"

#include <chrono>
#include <optional>

namespace velnet::cfmecho {

enum class Wake
{
    Frame,   // a frame (or the socket's error) is waiting
    Stop,    // stop() was called
    Timeout, // the deadline passed
    Error    // the wait itself failed; errno says why
};

// Waits for the next frame or the stop. An epoll set made once per run: in a
// continuous test it is waited on for every echo, and poll() would register
// both descriptors anew each time.
class FrameWaiter
{
public:
    FrameWaiter(const PacketSocket& socket, const StopSignal& stop);
    FrameWaiter(const FrameWaiter&) = delete;
    FrameWaiter& operator=(const FrameWaiter&) = delete;
    ~FrameWaiter();

    // Fails, saying why, when the set could not be made.
    const Outcome& ready() const { return ready_; }
    // Blocks until a frame arrives, the stop is raised or `deadline` passes
    // (never without one). A stop wins over a waiting frame.
    Wake wait(std::optional<std::chrono::steady_clock::time_point> deadline) const;

private:
    const PacketSocket& socket_;
    int fd_ = -1;
    Outcome ready_;
};

} // namespace velnet::cfmecho
