// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Building and reading the IEEE 802.1ag loopback frames of the echo test, as
// pure functions over bytes so that the layout can be checked without a NIC.
namespace velnet::cfmecho {

using MacAddress = std::array<std::uint8_t, 6>;

constexpr std::uint16_t kCfmEtherType = 0x8902;
constexpr std::uint8_t kEchoMdLevel = 7;
// Longest name a Sender ID TLV's one-byte chassis id length can carry.
constexpr std::size_t kMaxSenderNameLength = 255;
// Shortest Ethernet frame without its checksum; shorter ones are padded.
constexpr std::size_t kMinFrameLength = 60;

enum class CfmOpcode : std::uint8_t
{
    LoopbackReply = 2,
    LoopbackMessage = 3
};

struct LoopbackFrame
{
    MacAddress destination{};
    MacAddress source{};
    std::uint8_t mdLevel = kEchoMdLevel;
    std::uint8_t version = 0;
    CfmOpcode opcode = CfmOpcode::LoopbackMessage;
    std::uint32_t transactionId = 0;
    // The computer's name, carried as the chassis id ("locally assigned") of a
    // Sender ID TLV; empty when the frame had none.
    std::string senderName;
    // Every other TLV before the End TLV (Data, organisation-specific, ...),
    // each whole with its type and length, in the frame's order. A reply
    // carries a message's TLVs back.
    std::vector<std::vector<std::uint8_t>> otherTlvs;

    bool operator==(const LoopbackFrame&) const = default;
};

// 01:80:C2:00:00:3x, the class-1 multicast address of an MD level (0-7).
MacAddress classOneMulticast(std::uint8_t mdLevel);

// The frame's bytes from the destination address on, without checksum: the
// CFM header, the transaction id, a Sender ID TLV when the name is not empty
// (longer names are cut to kMaxSenderNameLength), the other TLVs, the End
// TLV, padding.
std::vector<std::uint8_t> buildLoopbackFrame(const LoopbackFrame& frame);

// The reply to `message` from `responder` named `name`: the message's own
// TLVs go back, as many whole ones as fit in a frame whose payload is at most
// `mtu` bytes, after the responder's Sender ID.
LoopbackFrame loopbackReply(const LoopbackFrame& message, const MacAddress& responder,
                            std::string name, std::size_t mtu);

// The loopback message or reply in `bytes`, or nothing for every other frame:
// another EtherType, another CFM opcode, or a frame cut short. A Sender ID
// TLV whose chassis id is not locally assigned gives no name; TLVs that run
// past the frame make it unreadable.
std::optional<LoopbackFrame> parseLoopbackFrame(std::span<const std::uint8_t> bytes);

std::string formatMacAddress(const MacAddress& address);
// The name a frame's sender gave, else its address.
std::string senderLabel(const LoopbackFrame& frame);

} // namespace velnet::cfmecho
