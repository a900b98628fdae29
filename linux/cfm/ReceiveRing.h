// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velnet::cfmecho {

// The kernel's receive ring of a packet socket (TPACKET_V2): frames are read
// from shared memory, so a continuous echo waits once per frame and makes no
// receive call at all.
class ReceiveRing
{
public:
    ReceiveRing() = default;
    ReceiveRing(const ReceiveRing&) = delete;
    ReceiveRing& operator=(const ReceiveRing&) = delete;
    ~ReceiveRing();

    // Gives an unbound packet socket a ring whose slots hold frames of up to
    // `maxFrameLength` bytes whole; false where the kernel refuses, and the
    // socket then receives by recvfrom() as before.
    bool attach(int fd, std::size_t maxFrameLength);
    bool attached() const { return memory_ != nullptr; }

    // The next frame into `buffer`: its length; 0 when the frame was not for
    // this station; -EAGAIN when none is waiting.
    long take(std::span<std::uint8_t> buffer);

private:
    std::uint8_t* memory_ = nullptr;
    std::size_t size_ = 0;
    std::size_t frameSize_ = 0;
    std::size_t frameCount_ = 0;
    std::size_t next_ = 0;
};

} // namespace velnet::cfmecho
