// SPDX-License-Identifier: MIT
#pragma once

#include "libraries/simulated/nicsim/Scenario.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace velnet::nicsim {

// The echo test over UDP on this computer's loopback network: a sender sends
// echo requests to the peer named in the scenario and counts the replies; a
// responder answers every request it receives. Each packet carries the name
// of the computer that sent it.
//
// run() blocks on the calling thread until the test ends; stop(), state(),
// the counts and the names may be called from other threads meanwhile.
class EchoEngine
{
public:
    enum class Result
    {
        Ok,
        NoReplies,
        NetworkError,
        PeerNotLocal,
        AlreadyRunning
    };
    enum State : std::uint8_t
    {
        Sending = 0,
        Responding = 1,
        Idle = 2
    };

    EchoEngine(Scenario::Echo settings, std::string computerName);

    // role 0: send (a burst of settings.burst echoes unless `continuous`),
    // role 1: respond until stopped.
    Result run(std::uint8_t role, bool continuous);
    // Ends the running test. A stop while none runs ends the next run at
    // once if that starts within 2 seconds and no clear() came in between:
    // a worker that starts late does not miss the stop meant for it.
    void stop();

    std::uint8_t state() const { return state_.load(); }
    std::uint32_t sent() const { return sent_.load(); }
    std::uint32_t received() const { return received_.load(); }
    std::string lastResponder() const;
    std::string lastSender() const;
    // Zeroes the counts, forgets the names and any stop still pending.
    void clear();

private:
    Result send(int socket, bool continuous);
    Result respond(int socket);

    Scenario::Echo settings_;
    std::string computerName_;
    std::atomic<std::uint8_t> state_{Idle};
    std::atomic<bool> stopRequested_{false};
    std::atomic<std::int64_t> stopAt_{0}; // steady clock ticks of the last stop()
    std::atomic<std::uint32_t> sent_{0};
    std::atomic<std::uint32_t> received_{0};
    mutable std::mutex namesMutex_;
    std::string lastResponder_;
    std::string lastSender_;
};

} // namespace velnet::nicsim
