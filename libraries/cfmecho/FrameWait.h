#pragma once

#include "PacketSocket.h"
#include "StopSignal.h"

#include <chrono>
#include <optional>

namespace velnet::cfmecho {

enum class Wake
{
    Frame,   // a frame is waiting on the socket
    Stop,    // stop() was called
    Timeout, // the deadline passed
    Error    // poll failed; errno says why
};

// Blocks until a frame arrives, the stop is raised or `deadline` passes
// (never without one). A stop wins over a waiting frame.
Wake waitForFrame(const PacketSocket& socket, const StopSignal& stop,
                  std::optional<std::chrono::steady_clock::time_point> deadline);

} // namespace velnet::cfmecho
