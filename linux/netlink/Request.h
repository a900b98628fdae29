// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <libmnl/libmnl.h>
#include <string>
#include <vector>

namespace velnet::netlink {

// One rtnetlink request under construction. Every attribute is added with
// libmnl's length check; one that does not fit marks the request as too
// long, and Rtnl refuses to send it.
class Request
{
public:
    // A message of `type` with `flags` (NLM_F_REQUEST is added, and NLM_F_ACK
    // unless it is a dump) and a zeroed family header of `headerSize` bytes.
    Request(std::uint16_t type, std::uint16_t flags, std::size_t headerSize);

    template <typename Header> Header& header()
    {
        return *static_cast<Header*>(mnl_nlmsg_get_payload(message_));
    }

    void putU8(std::uint16_t type, std::uint8_t value);
    void putU16(std::uint16_t type, std::uint16_t value);
    void putU32(std::uint16_t type, std::uint32_t value);
    void putString(std::uint16_t type, const std::string& value);
    void putBytes(std::uint16_t type, const std::vector<std::uint8_t>& value);
    // Nests attributes until the matching endNest(); null when it did not fit.
    nlattr* beginNest(std::uint16_t type);
    void endNest(nlattr* nest);

    nlmsghdr* message() { return message_; }
    bool overflowed() const { return overflowed_; }

private:
    void note(bool fitted);

    std::vector<char> buffer_;
    nlmsghdr* message_;
    bool overflowed_ = false;
};

} // namespace velnet::netlink
