// SPDX-License-Identifier: MIT
#include "linux/cfm/ReceiveRing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/if_packet.h>
#include <sys/mman.h>
#include <sys/socket.h>

namespace velnet::cfmecho {

namespace {

// The frame's place in a slot: the ring's header and the sender's address
// come first, and the kernel puts the network header on a 16-byte boundary.
constexpr std::size_t kSlotOverhead = TPACKET_ALIGN(TPACKET2_HDRLEN + 16);
constexpr std::size_t kMinBlockSize = 1 << 16;
// Room for a burst of foreign traffic while one echo is handled: 128 slots,
// fewer where the link's frames are so long that they would take more than
// this much memory.
constexpr std::size_t kWantedSlots = 128;
constexpr std::size_t kMinSlots = 8;
constexpr std::size_t kMemoryLimit = std::size_t{4} << 20;

std::size_t powerOfTwoAtLeast(std::size_t value)
{
    std::size_t power = 1;
    while (power < value)
        power <<= 1;
    return power;
}

} // namespace

ReceiveRing::~ReceiveRing()
{
    if (memory_)
        ::munmap(memory_, size_);
}

bool ReceiveRing::attach(int fd, std::size_t maxFrameLength)
{
    // Slots of a power of two fill whole blocks, and blocks whole pages.
    frameSize_ = powerOfTwoAtLeast(kSlotOverhead + maxFrameLength);
    const std::size_t blockSize = std::max(kMinBlockSize, frameSize_);
    const std::size_t slots =
        std::max(kMinSlots, std::min(kWantedSlots, kMemoryLimit / frameSize_));
    const std::size_t blockCount = std::max<std::size_t>(1, slots * frameSize_ / blockSize);
    frameCount_ = blockSize / frameSize_ * blockCount;
    const int version = TPACKET_V2;
    if (::setsockopt(fd, SOL_PACKET, PACKET_VERSION, &version, sizeof version) != 0)
        return false;
    tpacket_req request{};
    request.tp_block_size = static_cast<unsigned>(blockSize);
    request.tp_block_nr = static_cast<unsigned>(blockCount);
    request.tp_frame_size = static_cast<unsigned>(frameSize_);
    request.tp_frame_nr = static_cast<unsigned>(frameCount_);
    if (::setsockopt(fd, SOL_PACKET, PACKET_RX_RING, &request, sizeof request) != 0)
        return false;
    size_ = blockSize * blockCount;
    void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        tpacket_req none{};
        ::setsockopt(fd, SOL_PACKET, PACKET_RX_RING, &none, sizeof none);
        return false;
    }
    memory_ = static_cast<std::uint8_t*>(memory);
    return true;
}

long ReceiveRing::take(std::span<std::uint8_t> buffer)
{
    std::uint8_t* slot = memory_ + next_ * frameSize_;
    auto* header = reinterpret_cast<tpacket2_hdr*>(slot);
    // The kernel hands a slot over by its status word alone.
    if ((__atomic_load_n(&header->tp_status, __ATOMIC_ACQUIRE) & TP_STATUS_USER) == 0)
        return -EAGAIN;
    const auto* from = reinterpret_cast<const sockaddr_ll*>(slot + TPACKET_ALIGN(sizeof *header));
    // A NIC in promiscuous mode (a capture) hands up other stations' frames.
    const bool forUs =
        from->sll_pkttype != PACKET_OUTGOING && from->sll_pkttype != PACKET_OTHERHOST;
    const std::size_t length = std::min<std::size_t>(header->tp_snaplen, buffer.size());
    if (forUs)
        std::memcpy(buffer.data(), slot + header->tp_mac, length);
    __atomic_store_n(&header->tp_status, TP_STATUS_KERNEL, __ATOMIC_RELEASE);
    next_ = (next_ + 1) % frameCount_;
    return forUs ? static_cast<long>(length) : 0;
}

} // namespace velnet::cfmecho
