// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <atomic>
#include <chrono>
#include <cstdint>

namespace velnet::cfmecho {

// The stop of an echo run as an eventfd, so that a run waiting in poll()
// wakes the moment another thread asks it to end.
class StopSignal
{
public:
    StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    ~StopSignal();

    // Fails, saying why, when the eventfd could not be made.
    const Outcome& ready() const { return ready_; }
    int fd() const { return fd_; }

    void raise();
    // Sleeps until `until` unless the stop is raised first: true when it was.
    bool waitUntil(std::chrono::steady_clock::time_point until) const;
    // At the start of a run: whether a stop came shortly before it. A dialog's
    // stop may overtake the worker that starts its run, and must still end it.
    bool takePending();
    // Drops a raised stop: the run that ends took it, or the figures were cleared.
    void forget();

private:
    int fd_ = -1;
    Outcome ready_;
    std::atomic<std::int64_t> raisedAt_{0}; // steady clock ticks
};

} // namespace velnet::cfmecho
