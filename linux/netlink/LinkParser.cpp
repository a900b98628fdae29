// SPDX-License-Identifier: MIT
#include "linux/netlink/LinkParser.h"

#include <arpa/inet.h>
#include <cstring>
#include <libmnl/libmnl.h>
#include <linux/if_addr.h>
#include <linux/rtnetlink.h>

namespace velnet::netlink {

namespace {

// Calls `onAttribute` for each attribute of [start, start + length) and fails
// when those bytes do not split into whole attributes.
template <typename OnAttribute>
Outcome eachAttribute(const void* start, std::size_t length, const std::string& where,
                      OnAttribute onAttribute)
{
    const auto* attribute = static_cast<const nlattr*>(start);
    auto remaining = static_cast<int>(length);
    while (remaining > 0) {
        if (!mnl_attr_ok(attribute, remaining))
            return fail(where + ": an attribute overruns its message");
        if (Outcome read = onAttribute(attribute); !read.ok())
            return read;
        remaining -= static_cast<int>(MNL_ALIGN(attribute->nla_len));
        attribute = mnl_attr_next(attribute);
    }
    return {};
}

Outcome eachNested(const nlattr* nest, const std::string& where, auto onAttribute)
{
    return eachAttribute(mnl_attr_get_payload(nest), mnl_attr_get_payload_len(nest), where,
                         onAttribute);
}

template <typename T> Outcome read(const nlattr* attribute, const char* name, T& into)
{
    const std::size_t size = mnl_attr_get_payload_len(attribute);
    if (size < sizeof(T))
        return fail(std::string(name) + " is " + std::to_string(size) + " bytes, needs " +
                    std::to_string(sizeof(T)));
    std::memcpy(&into, mnl_attr_get_payload(attribute), sizeof(T));
    return {};
}

template <typename T>
Outcome read(const nlattr* attribute, const char* name, std::optional<T>& into)
{
    T value{};
    Outcome result = read(attribute, name, value);
    if (result.ok())
        into = value;
    return result;
}

// Strings end at their NUL or at the payload's end, whichever comes first.
std::string text(const nlattr* attribute)
{
    const auto* data = static_cast<const char*>(mnl_attr_get_payload(attribute));
    return std::string(data, strnlen(data, mnl_attr_get_payload_len(attribute)));
}

std::vector<std::uint8_t> bytes(const nlattr* attribute)
{
    const auto* data = static_cast<const std::uint8_t*>(mnl_attr_get_payload(attribute));
    return {data, data + mnl_attr_get_payload_len(attribute)};
}

Outcome bondOption(const nlattr* attribute, BondOptions& bond)
{
    switch (mnl_attr_get_type(attribute)) {
    case IFLA_BOND_MODE:
        return read(attribute, "IFLA_BOND_MODE", bond.mode);
    case IFLA_BOND_ACTIVE_SLAVE:
        return read(attribute, "IFLA_BOND_ACTIVE_SLAVE", bond.activeSlave);
    case IFLA_BOND_MIIMON:
        return read(attribute, "IFLA_BOND_MIIMON", bond.miimon);
    case IFLA_BOND_UPDELAY:
        return read(attribute, "IFLA_BOND_UPDELAY", bond.updelay);
    case IFLA_BOND_DOWNDELAY:
        return read(attribute, "IFLA_BOND_DOWNDELAY", bond.downdelay);
    case IFLA_BOND_PRIMARY:
        return read(attribute, "IFLA_BOND_PRIMARY", bond.primary);
    case IFLA_BOND_PRIMARY_RESELECT:
        return read(attribute, "IFLA_BOND_PRIMARY_RESELECT", bond.primaryReselect);
    case IFLA_BOND_FAIL_OVER_MAC:
        return read(attribute, "IFLA_BOND_FAIL_OVER_MAC", bond.failOverMac);
    default:
        return {};
    }
}

Outcome bondMemberValue(const nlattr* attribute, BondMember& member)
{
    switch (mnl_attr_get_type(attribute)) {
    case IFLA_BOND_SLAVE_STATE:
        return read(attribute, "IFLA_BOND_SLAVE_STATE", member.state);
    case IFLA_BOND_SLAVE_MII_STATUS:
        return read(attribute, "IFLA_BOND_SLAVE_MII_STATUS", member.miiStatus);
    case IFLA_BOND_SLAVE_LINK_FAILURE_COUNT:
        return read(attribute, "IFLA_BOND_SLAVE_LINK_FAILURE_COUNT", member.linkFailureCount);
    case IFLA_BOND_SLAVE_PERM_HWADDR:
        member.permanentAddress = bytes(attribute);
        return {};
    default:
        return {};
    }
}

Outcome vlanValue(const nlattr* attribute, VlanInfo& vlan)
{
    switch (mnl_attr_get_type(attribute)) {
    case IFLA_VLAN_ID:
        return read(attribute, "IFLA_VLAN_ID", vlan.id);
    case IFLA_VLAN_PROTOCOL:
        return read(attribute, "IFLA_VLAN_PROTOCOL", vlan.protocol);
    default:
        return {};
    }
}

// IFLA_INFO_DATA means what IFLA_INFO_KIND says, which may come after it.
Outcome kindData(const nlattr* data, Link& link)
{
    if (link.kind == "bond") {
        link.bond.emplace();
        return eachNested(data, "bond data",
                          [&](const nlattr* a) { return bondOption(a, *link.bond); });
    }
    if (link.kind == "vlan") {
        link.vlan.emplace();
        return eachNested(data, "vlan data",
                          [&](const nlattr* a) { return vlanValue(a, *link.vlan); });
    }
    return {};
}

Outcome slaveData(const nlattr* data, Link& link)
{
    if (link.slaveKind != "bond")
        return {};
    link.bondMember.emplace();
    return eachNested(data, "bond member data",
                      [&](const nlattr* a) { return bondMemberValue(a, *link.bondMember); });
}

Outcome linkInfo(const nlattr* info, Link& link)
{
    const nlattr* data = nullptr;
    const nlattr* slave = nullptr;
    Outcome walked = eachNested(info, "IFLA_LINKINFO", [&](const nlattr* a) -> Outcome {
        switch (mnl_attr_get_type(a)) {
        case IFLA_INFO_KIND:
            link.kind = text(a);
            break;
        case IFLA_INFO_SLAVE_KIND:
            link.slaveKind = text(a);
            break;
        case IFLA_INFO_DATA:
            data = a;
            break;
        case IFLA_INFO_SLAVE_DATA:
            slave = a;
            break;
        default:
            break;
        }
        return {};
    });
    if (!walked.ok())
        return walked;
    if (data)
        if (Outcome read = kindData(data, link); !read.ok())
            return read;
    return slave ? slaveData(slave, link) : Outcome{};
}

Outcome statistics(const nlattr* attribute, Link& link)
{
    // Older kernels send a shorter structure; the rest stays zero.
    rtnl_link_stats64 stats{};
    std::memcpy(&stats, mnl_attr_get_payload(attribute),
                std::min<std::size_t>(mnl_attr_get_payload_len(attribute), sizeof stats));
    link.statistics = stats;
    return {};
}

Outcome linkValue(const nlattr* attribute, Link& link)
{
    switch (mnl_attr_get_type(attribute)) {
    case IFLA_IFNAME:
        link.name = text(attribute);
        return {};
    case IFLA_IFALIAS:
        link.alias = text(attribute);
        return {};
    case IFLA_MTU:
        return read(attribute, "IFLA_MTU", link.mtu);
    case IFLA_MIN_MTU:
        return read(attribute, "IFLA_MIN_MTU", link.minMtu);
    case IFLA_MAX_MTU:
        return read(attribute, "IFLA_MAX_MTU", link.maxMtu);
    case IFLA_OPERSTATE:
        return read(attribute, "IFLA_OPERSTATE", link.operstate);
    case IFLA_CARRIER:
        return read(attribute, "IFLA_CARRIER", link.carrier);
    case IFLA_MASTER:
        return read(attribute, "IFLA_MASTER", link.master);
    case IFLA_LINK:
        return read(attribute, "IFLA_LINK", link.parent);
    case IFLA_ADDRESS:
        link.address = bytes(attribute);
        return {};
    case IFLA_PERM_ADDRESS:
        link.permanentAddress = bytes(attribute);
        return {};
    case IFLA_STATS64:
        return statistics(attribute, link);
    case IFLA_LINKINFO:
        return linkInfo(attribute, link);
    default:
        return {};
    }
}

template <typename Header> const void* body(const nlmsghdr* message)
{
    return mnl_nlmsg_get_payload_len(message) < sizeof(Header) ? nullptr
                                                               : mnl_nlmsg_get_payload(message);
}

template <typename Header>
Outcome eachMessageAttribute(const nlmsghdr* message, const std::string& where, auto onAttribute)
{
    const std::size_t offset = MNL_ALIGN(sizeof(Header));
    const std::size_t payload = mnl_nlmsg_get_payload_len(message);
    if (payload < offset)
        return {};
    return eachAttribute(mnl_nlmsg_get_payload_offset(message, sizeof(Header)), payload - offset,
                         where, onAttribute);
}

} // namespace

Result<Link> LinkParser::link(const nlmsghdr* message)
{
    const auto* info = static_cast<const ifinfomsg*>(body<ifinfomsg>(message));
    if (!info)
        return fail("link message shorter than its header");
    Link link;
    link.ifindex = info->ifi_index;
    link.flags = info->ifi_flags;
    Outcome read = eachMessageAttribute<ifinfomsg>(
        message, "link " + std::to_string(link.ifindex),
        [&](const nlattr* attribute) { return linkValue(attribute, link); });
    if (!read.ok())
        return fail("link " + std::to_string(link.ifindex) + ": " + read.error());
    return link;
}

Result<InterfaceAddress> LinkParser::address(const nlmsghdr* message)
{
    const auto* info = static_cast<const ifaddrmsg*>(body<ifaddrmsg>(message));
    if (!info)
        return fail("address message shorter than its header");
    const nlattr* local = nullptr;
    const nlattr* address = nullptr;
    Outcome read = eachMessageAttribute<ifaddrmsg>(message, "address", [&](const nlattr* a) {
        if (mnl_attr_get_type(a) == IFA_LOCAL)
            local = a;
        else if (mnl_attr_get_type(a) == IFA_ADDRESS)
            address = a;
        return Outcome{};
    });
    if (!read.ok())
        return fail(read.error());
    // On a point-to-point link IFA_ADDRESS is the far end; IFA_LOCAL is ours.
    const nlattr* ours = local ? local : address;
    const std::size_t size = info->ifa_family == AF_INET6 ? 16 : 4;
    char text[INET6_ADDRSTRLEN] = {};
    if (!ours || mnl_attr_get_payload_len(ours) < size ||
        !::inet_ntop(info->ifa_family, mnl_attr_get_payload(ours), text, sizeof text))
        return fail("address message without a readable address");
    return InterfaceAddress{static_cast<int>(info->ifa_index), info->ifa_family, info->ifa_scope,
                            std::string(text) + "/" + std::to_string(info->ifa_prefixlen)};
}

namespace {

Outcome nextHops(const nlattr* multipath, std::vector<int>& interfaces)
{
    const auto* data = static_cast<const char*>(mnl_attr_get_payload(multipath));
    std::size_t remaining = mnl_attr_get_payload_len(multipath);
    while (remaining >= sizeof(rtnexthop)) {
        rtnexthop hop{};
        std::memcpy(&hop, data, sizeof hop);
        if (hop.rtnh_len < sizeof hop || hop.rtnh_len > remaining)
            return fail("RTA_MULTIPATH: a next hop overruns its attribute");
        interfaces.push_back(hop.rtnh_ifindex);
        data += RTNH_ALIGN(hop.rtnh_len);
        remaining -= std::min<std::size_t>(remaining, RTNH_ALIGN(hop.rtnh_len));
    }
    return remaining == 0 ? Outcome{} : fail("RTA_MULTIPATH: bytes left over after its next hops");
}

} // namespace

Result<std::vector<int>> LinkParser::defaultRouteInterfaces(const nlmsghdr* message)
{
    const auto* info = static_cast<const rtmsg*>(body<rtmsg>(message));
    if (!info)
        return fail("route message shorter than its header");
    std::uint32_t table = info->rtm_table;
    std::vector<int> interfaces;
    Outcome read = eachMessageAttribute<rtmsg>(message, "route", [&](const nlattr* a) -> Outcome {
        switch (mnl_attr_get_type(a)) {
        case RTA_TABLE:
            return netlink::read(a, "RTA_TABLE", table);
        case RTA_OIF: {
            int oif = 0;
            Outcome got = netlink::read(a, "RTA_OIF", oif);
            interfaces.push_back(oif);
            return got;
        }
        case RTA_MULTIPATH:
            return nextHops(a, interfaces);
        default:
            return {};
        }
    });
    if (!read.ok())
        return fail(read.error());
    if (info->rtm_dst_len != 0 || table != RT_TABLE_MAIN || info->rtm_type != RTN_UNICAST)
        interfaces.clear();
    return interfaces;
}

} // namespace velnet::netlink
