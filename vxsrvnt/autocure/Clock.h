// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace velnet::vxsrvnt::autocure {

// The monitor's sense of time: a monotonic clock, so that a change of the
// wall clock neither closes nor stretches a window. Tests step it by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual std::chrono::milliseconds now() const = 0;
};

// The machine's monotonic clock.
class SteadyClock : public Clock
{
public:
    std::chrono::milliseconds now() const override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace velnet::vxsrvnt::autocure
