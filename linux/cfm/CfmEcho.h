// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace velnet::cfmecho {

// Figures of the running or last echo test since the last clear().
struct EchoFigures
{
    std::uint32_t sent = 0;     // loopback messages sent (sender) or replies sent (responder)
    std::uint32_t received = 0; // replies received (sender) or messages received (responder)
    std::uint32_t lost = 0;     // messages whose reply never came within the reply timeout
    std::uint32_t rttSamples = 0;
    std::uint64_t rttMinUs = 0;
    std::uint64_t rttMaxUs = 0;
    std::uint64_t rttSumUs = 0; // average = rttSumUs / rttSamples
};

// The echo test between two computers as IEEE 802.1ag CFM loopback over an
// AF_PACKET socket on one interface (EtherType 0x8902, MD level 7). A sender
// sends loopback messages to the level's class-1 multicast address until it
// learns the responder's address, then unicast; a responder answers each
// message with a loopback reply. Both carry this computer's name so that each
// side can name the other.
//
// run() blocks the calling thread until the test ends; stop(), state(), the
// figures and the names may be called from any other thread meanwhile.
class EchoSession
{
public:
    enum class Role : std::uint8_t
    {
        Send = 0,
        Respond = 1
    };
    enum State : std::uint8_t
    {
        Sending = 0,
        Responding = 1,
        Idle = 2
    };

    EchoSession();
    ~EchoSession();
    EchoSession(const EchoSession&) = delete;
    EchoSession& operator=(const EchoSession&) = delete;

    // The interface the next run uses (set when a NIC is selected) and the
    // name this computer gives in its frames.
    void setInterface(const std::string& interfaceName);
    void setComputerName(const std::string& name);

    // Runs the test: a sender without `continuous` ends by itself after its
    // burst; otherwise it runs until stop(). Returns std::nullopt when it ended
    // normally, else a message saying what failed and why (for instance that
    // the echo test needs administrator rights, or that no computer answered).
    std::optional<std::string> run(Role role, bool continuous);
    // Ends the running test at once. A stop that arrives just before run()
    // ends that run at once; clear() forgets such a pending stop.
    void stop();
    // Zeroes the figures, forgets the names and any pending stop.
    void clear();

    State state() const;
    EchoFigures figures() const;
    std::string lastResponder() const; // the computer that last answered this sender
    std::string lastSender() const;    // the computer that last sent to this responder

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace velnet::cfmecho
