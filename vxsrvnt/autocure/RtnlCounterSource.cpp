// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/RtnlCounterSource.h"

#include "linux/netlink/Request.h"
#include "linux/netlink/Rtnl.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <libmnl/libmnl.h>
#include <linux/if.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>

namespace velnet::vxsrvnt::autocure {

namespace {

struct Attributes
{
    const nlattr* master = nullptr;
    const nlattr* stats = nullptr;
};

int onAttribute(const nlattr* attribute, void* data)
{
    auto* found = static_cast<Attributes*>(data);
    switch (mnl_attr_get_type(attribute)) {
    case IFLA_MASTER:
        if (mnl_attr_validate(attribute, MNL_TYPE_U32) >= 0)
            found->master = attribute;
        break;
    case IFLA_STATS64:
        // Older kernels send a shorter structure; take what there is.
        if (mnl_attr_get_payload_len(attribute) >=
            offsetof(rtnl_link_stats64, tx_dropped) + sizeof(std::uint64_t))
            found->stats = attribute;
        break;
    default:
        break;
    }
    return MNL_CB_OK;
}

velnet::Outcome readLink(const nlmsghdr* message, std::vector<LinkCounters>& out)
{
    if (message->nlmsg_type != RTM_NEWLINK)
        return {};
    if (mnl_nlmsg_get_payload_len(message) < sizeof(ifinfomsg))
        return velnet::fail("a link answer shorter than its header");
    const auto* info = static_cast<const ifinfomsg*>(mnl_nlmsg_get_payload(message));
    Attributes found;
    if (mnl_attr_parse(message, sizeof(ifinfomsg), onAttribute, &found) < 0)
        return velnet::fail("a link answer with broken attributes");
    LinkCounters link;
    link.ifindex = info->ifi_index;
    link.adminUp = (info->ifi_flags & IFF_UP) != 0;
    link.carrier = (info->ifi_flags & IFF_LOWER_UP) != 0;
    if (found.master)
        link.master = static_cast<int>(mnl_attr_get_u32(found.master));
    if (found.stats) {
        rtnl_link_stats64 s{};
        std::memcpy(&s, mnl_attr_get_payload(found.stats),
                    std::min<std::size_t>(sizeof s, mnl_attr_get_payload_len(found.stats)));
        link.rxPackets = s.rx_packets;
        link.txPackets = s.tx_packets;
        link.rxErrors = s.rx_errors;
        link.txErrors = s.tx_errors;
        link.rxDropped = s.rx_dropped;
        link.txDropped = s.tx_dropped;
    }
    out.push_back(std::move(link));
    return {};
}

} // namespace

velnet::Result<std::vector<LinkCounters>> RtnlCounterSource::readAll()
{
    netlink::Request request(RTM_GETLINK, NLM_F_DUMP, sizeof(ifinfomsg));
    request.header<ifinfomsg>().ifi_family = AF_UNSPEC;
    std::vector<LinkCounters> links;
    links.reserve(lastCount_);
    velnet::Outcome done =
        rtnl_.exchange(request, [&](const nlmsghdr* message) { return readLink(message, links); });
    if (!done.ok())
        return velnet::fail("cannot read the links' counters: " + done.error());
    lastCount_ = links.size();
    return links;
}

} // namespace velnet::vxsrvnt::autocure
