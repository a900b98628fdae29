// SPDX-License-Identifier: MIT
#include "linux/netlink/Request.h"

#include <linux/netlink.h>

namespace velnet::netlink {

Request::Request(std::uint16_t type, std::uint16_t flags, std::size_t headerSize)
    : buffer_(MNL_SOCKET_BUFFER_SIZE), message_(mnl_nlmsg_put_header(buffer_.data()))
{
    message_->nlmsg_type = type;
    // A dump ends with NLMSG_DONE; an acknowledgement after it would be left
    // in the socket and taken for the answer to the next request.
    message_->nlmsg_flags =
        NLM_F_REQUEST | flags | ((flags & NLM_F_DUMP) == NLM_F_DUMP ? 0 : NLM_F_ACK);
    mnl_nlmsg_put_extra_header(message_, headerSize);
}

void Request::note(bool fitted)
{
    overflowed_ = overflowed_ || !fitted;
}

void Request::putU8(std::uint16_t type, std::uint8_t value)
{
    note(mnl_attr_put_u8_check(message_, buffer_.size(), type, value));
}

void Request::putU16(std::uint16_t type, std::uint16_t value)
{
    note(mnl_attr_put_u16_check(message_, buffer_.size(), type, value));
}

void Request::putU32(std::uint16_t type, std::uint32_t value)
{
    note(mnl_attr_put_u32_check(message_, buffer_.size(), type, value));
}

void Request::putString(std::uint16_t type, const std::string& value)
{
    note(mnl_attr_put_strz_check(message_, buffer_.size(), type, value.c_str()));
}

void Request::putBytes(std::uint16_t type, const std::vector<std::uint8_t>& value)
{
    note(mnl_attr_put_check(message_, buffer_.size(), type, value.size(), value.data()));
}

nlattr* Request::beginNest(std::uint16_t type)
{
    nlattr* nest = mnl_attr_nest_start_check(message_, buffer_.size(), type);
    note(nest != nullptr);
    return nest;
}

void Request::endNest(nlattr* nest)
{
    if (nest)
        mnl_attr_nest_end(message_, nest);
}

} // namespace velnet::netlink
