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

// 128 frames of up to about 2000 bytes: room for a burst of foreign traffic
// while one echo is handled. Longer frames are cut, and no loopback frame of
// ours is that long.
constexpr unsigned kBlockSize = 1 << 16;
constexpr unsigned kBlockCount = 4;
constexpr unsigned kFrameSize = 2048;
constexpr std::size_t kFrameCount = std::size_t{kBlockSize} / kFrameSize * kBlockCount;

} // namespace

ReceiveRing::~ReceiveRing()
{
    if (memory_)
        ::munmap(memory_, size_);
}

bool ReceiveRing::attach(int fd)
{
    const int version = TPACKET_V2;
    if (::setsockopt(fd, SOL_PACKET, PACKET_VERSION, &version, sizeof version) != 0)
        return false;
    tpacket_req request{};
    request.tp_block_size = kBlockSize;
    request.tp_block_nr = kBlockCount;
    request.tp_frame_size = kFrameSize;
    request.tp_frame_nr = static_cast<unsigned>(kFrameCount);
    if (::setsockopt(fd, SOL_PACKET, PACKET_RX_RING, &request, sizeof request) != 0)
        return false;
    size_ = std::size_t{kBlockSize} * kBlockCount;
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
    std::uint8_t* slot = memory_ + next_ * kFrameSize;
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
    next_ = (next_ + 1) % kFrameCount;
    return forUs ? static_cast<long>(length) : 0;
}

} // namespace velnet::cfmecho
