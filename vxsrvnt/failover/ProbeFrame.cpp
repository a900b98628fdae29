// SPDX-License-Identifier: MIT
#include "vxsrvnt/failover/ProbeFrame.h"

#include <string>

namespace velnet::vxsrvnt::failover {

namespace {

// FNV-1a, 64 bits: enough to spread the members over 46 bits of address.
std::uint64_t fnv1a(const std::string& text)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

MacAddress probeAddress(const NicBinding& member)
{
    // The permanent address names the NIC; a NIC without one (a virtual one)
    // is named by its interface.
    const std::string identity =
        "vxsrvnt-probe " + (member.permanentMac.empty() ? member.ifname : member.permanentMac) +
        " " + std::to_string(member.adapterNumber);
    const std::uint64_t hash = fnv1a(identity);
    MacAddress address{};
    for (std::size_t i = 0; i < address.size(); ++i)
        address[i] = static_cast<std::uint8_t>(hash >> (8 * i));
    address[0] = static_cast<std::uint8_t>((address[0] & 0xfc) | 0x02); // unicast, local
    return address;
}

std::vector<std::uint8_t> buildProbe(const MacAddress& source, int adapterNumber,
                                     std::uint32_t sequence)
{
    cfmecho::LoopbackFrame frame;
    frame.destination = cfmecho::classOneMulticast(kProbeMdLevel);
    frame.source = source;
    frame.mdLevel = kProbeMdLevel;
    frame.opcode = cfmecho::CfmOpcode::LoopbackMessage;
    frame.transactionId = sequence;
    frame.senderName = "vxsrvnt adapter " + std::to_string(adapterNumber);
    return cfmecho::buildLoopbackFrame(frame);
}

bool isProbeFrom(std::span<const std::uint8_t> bytes, const MacAddress& source)
{
    const auto frame = cfmecho::parseLoopbackFrame(bytes);
    return frame && frame->opcode == cfmecho::CfmOpcode::LoopbackMessage &&
           frame->mdLevel == kProbeMdLevel && frame->source == source &&
           frame->destination == cfmecho::classOneMulticast(kProbeMdLevel);
}

} // namespace velnet::vxsrvnt::failover
