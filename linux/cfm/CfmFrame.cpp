// SPDX-License-Identifier: MIT
#include "linux/cfm/CfmFrame.h"

#include <algorithm>
#include <cstdio>

namespace velnet::cfmecho {

namespace {

constexpr std::size_t kEthernetHeaderLength = 14;
constexpr std::size_t kCfmHeaderLength = 4;
// Counted from the end of the header's own offset field: the transaction id
// sits between the header and the first TLV of a loopback PDU.
constexpr std::uint8_t kLoopbackFirstTlvOffset = 4;
constexpr std::uint8_t kEndTlv = 0;
constexpr std::uint8_t kSenderIdTlv = 1;
// The LLDP chassis id subtype for a name the administrator gave.
constexpr std::uint8_t kChassisLocallyAssigned = 7;

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint16_t getU16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::uint32_t getU32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The name in a Sender ID TLV's value, when its chassis id is locally assigned.
std::optional<std::string> senderName(std::span<const std::uint8_t> value)
{
    if (value.size() < 2 || value[1] != kChassisLocallyAssigned)
        return std::nullopt;
    const std::size_t length = value[0];
    if (length == 0 || 2 + length > value.size())
        return std::nullopt;
    return std::string(value.begin() + 2, value.begin() + 2 + static_cast<std::ptrdiff_t>(length));
}

// Walks the TLVs from `at`; false when one runs past the frame.
bool readTlvs(std::span<const std::uint8_t> bytes, std::size_t at, LoopbackFrame& frame)
{
    while (at < bytes.size()) {
        const std::uint8_t type = bytes[at];
        if (type == kEndTlv)
            return true;
        if (at + 3 > bytes.size())
            return false;
        const std::size_t length = getU16(bytes, at + 1);
        const std::size_t valueAt = at + 3;
        if (valueAt + length > bytes.size())
            return false;
        const auto tlv = bytes.subspan(at, 3 + length);
        if (type == kSenderIdTlv && frame.senderName.empty())
            frame.senderName = senderName(tlv.subspan(3)).value_or(std::string());
        else if (type != kSenderIdTlv)
            frame.otherTlvs.emplace_back(tlv.begin(), tlv.end());
        at = valueAt + length;
    }
    // A frame may end without its End TLV; what came before it still counts.
    return true;
}

} // namespace

MacAddress classOneMulticast(std::uint8_t mdLevel)
{
    return {0x01, 0x80, 0xC2, 0x00, 0x00, static_cast<std::uint8_t>(0x30 | (mdLevel & 7))};
}

std::vector<std::uint8_t> buildLoopbackFrame(const LoopbackFrame& frame)
{
    std::vector<std::uint8_t> out;
    out.reserve(kEthernetHeaderLength + kCfmHeaderLength + 8 + kMaxSenderNameLength + 6);
    out.insert(out.end(), frame.destination.begin(), frame.destination.end());
    out.insert(out.end(), frame.source.begin(), frame.source.end());
    putU16(out, kCfmEtherType);
    out.push_back(static_cast<std::uint8_t>((frame.mdLevel & 7) << 5 | (frame.version & 0x1F)));
    out.push_back(static_cast<std::uint8_t>(frame.opcode));
    out.push_back(0); // flags: none defined for loopback PDUs
    out.push_back(kLoopbackFirstTlvOffset);
    putU32(out, frame.transactionId);
    if (!frame.senderName.empty()) {
        const std::size_t length = std::min(frame.senderName.size(), kMaxSenderNameLength);
        out.push_back(kSenderIdTlv);
        putU16(out, static_cast<std::uint16_t>(2 + length));
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(kChassisLocallyAssigned);
        out.insert(out.end(), frame.senderName.begin(),
                   frame.senderName.begin() + static_cast<std::ptrdiff_t>(length));
    }
    for (const auto& tlv : frame.otherTlvs)
        out.insert(out.end(), tlv.begin(), tlv.end());
    out.push_back(kEndTlv);
    if (out.size() < kMinFrameLength)
        out.resize(kMinFrameLength, 0);
    return out;
}

LoopbackFrame loopbackReply(const LoopbackFrame& message, const MacAddress& responder,
                            std::string name, std::size_t mtu)
{
    LoopbackFrame reply;
    reply.destination = message.source;
    reply.source = responder;
    reply.mdLevel = message.mdLevel;
    reply.opcode = CfmOpcode::LoopbackReply;
    reply.transactionId = message.transactionId;
    reply.senderName = std::move(name);
    // The message's TLVs in their order while the frame still fits the link,
    // so that a reply never needs more than the link carries.
    const std::size_t room = kEthernetHeaderLength + mtu;
    for (const auto& tlv : message.otherTlvs) {
        reply.otherTlvs.push_back(tlv);
        if (buildLoopbackFrame(reply).size() > room) {
            reply.otherTlvs.pop_back();
            break;
        }
    }
    return reply;
}

std::optional<LoopbackFrame> parseLoopbackFrame(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kEthernetHeaderLength + kCfmHeaderLength ||
        getU16(bytes, 12) != kCfmEtherType)
        return std::nullopt;
    const std::size_t cfm = kEthernetHeaderLength;
    const std::uint8_t opcode = bytes[cfm + 1];
    if (opcode != static_cast<std::uint8_t>(CfmOpcode::LoopbackReply) &&
        opcode != static_cast<std::uint8_t>(CfmOpcode::LoopbackMessage))
        return std::nullopt;
    const std::size_t firstTlvOffset = bytes[cfm + 3];
    const std::size_t firstTlv = cfm + kCfmHeaderLength + firstTlvOffset;
    if (firstTlvOffset < kLoopbackFirstTlvOffset || firstTlv > bytes.size())
        return std::nullopt;
    LoopbackFrame frame;
    std::copy_n(bytes.begin(), 6, frame.destination.begin());
    std::copy_n(bytes.begin() + 6, 6, frame.source.begin());
    frame.mdLevel = static_cast<std::uint8_t>(bytes[cfm] >> 5);
    frame.version = static_cast<std::uint8_t>(bytes[cfm] & 0x1F);
    frame.opcode = static_cast<CfmOpcode>(opcode);
    frame.transactionId = getU32(bytes, cfm + kCfmHeaderLength);
    if (!readTlvs(bytes, firstTlv, frame))
        return std::nullopt;
    return frame;
}

std::string formatMacAddress(const MacAddress& address)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", address[0], address[1],
                  address[2], address[3], address[4], address[5]);
    return text;
}

std::string senderLabel(const LoopbackFrame& frame)
{
    return frame.senderName.empty() ? formatMacAddress(frame.source) : frame.senderName;
}

} // namespace velnet::cfmecho
