// SPDX-License-Identifier: MIT
// rtnetlink answers built byte by byte with libmnl, as the kernel sends them,
// and broken the ways a reader must not trust.
#include "linux/netlink/LinkParser.h"

#include <arpa/inet.h>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <libmnl/libmnl.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <vector>

using velnet::netlink::Link;
using velnet::netlink::LinkParser;

namespace {

// One message of `type` with a zeroed family header of `Header`; `fill` adds
// the attributes.
template <typename Header> class Message
{
public:
    explicit Message(std::uint16_t type, const std::function<void(nlmsghdr*)>& fill = {})
        : buffer_(MNL_SOCKET_BUFFER_SIZE), message_(mnl_nlmsg_put_header(buffer_.data()))
    {
        message_->nlmsg_type = type;
        header_ = static_cast<Header*>(mnl_nlmsg_put_extra_header(message_, sizeof(Header)));
        if (fill)
            fill(message_);
    }
    nlmsghdr* get() { return message_; }
    Header& header() { return *header_; }

private:
    std::vector<char> buffer_;
    nlmsghdr* message_;
    Header* header_ = nullptr;
};

using LinkMessage = Message<ifinfomsg>;

void bondLink(nlmsghdr* m)
{
    mnl_attr_put_strz(m, IFLA_IFNAME, "vxbond1");
    mnl_attr_put_strz(m, IFLA_IFALIAS, "vxsrvnt:bond 1+2");
    mnl_attr_put_u8(m, IFLA_CARRIER, 1);
    mnl_attr_put_u8(m, IFLA_OPERSTATE, 6);
    mnl_attr_put_u32(m, IFLA_MTU, 1500);
    const std::uint8_t mac[6] = {2, 0x5a, 0, 0, 0, 0x10};
    mnl_attr_put(m, IFLA_ADDRESS, sizeof mac, mac);
    nlattr* info = mnl_attr_nest_start(m, IFLA_LINKINFO);
    nlattr* data = mnl_attr_nest_start(m, IFLA_INFO_DATA); // before the kind, as allowed
    mnl_attr_put_u8(m, IFLA_BOND_MODE, 1);
    mnl_attr_put_u32(m, IFLA_BOND_ACTIVE_SLAVE, 5);
    mnl_attr_put_u32(m, IFLA_BOND_MIIMON, 100);
    mnl_attr_put_u32(m, IFLA_BOND_DOWNDELAY, 300);
    mnl_attr_put_u32(m, IFLA_BOND_PRIMARY, 4);
    mnl_attr_put_u8(m, IFLA_BOND_PRIMARY_RESELECT, 2);
    mnl_attr_nest_end(m, data);
    mnl_attr_put_strz(m, IFLA_INFO_KIND, "bond");
    mnl_attr_nest_end(m, info);
    rtnl_link_stats64 stats{};
    stats.rx_packets = 7;
    mnl_attr_put(m, IFLA_STATS64, sizeof stats, &stats);
}

TEST(LinkParser, readsABondWithItsOptions)
{
    LinkMessage message(RTM_NEWLINK, bondLink);
    message.header().ifi_index = 9;
    message.header().ifi_flags = IFF_UP;
    const auto link = LinkParser::link(message.get());
    ASSERT_TRUE(link.ok()) << link.error();
    EXPECT_EQ(link->ifindex, 9);
    EXPECT_EQ(link->name, "vxbond1");
    EXPECT_EQ(link->alias, "vxsrvnt:bond 1+2");
    EXPECT_TRUE(link->up());
    EXPECT_EQ(link->carrier, 1);
    EXPECT_EQ(link->operstate, 6);
    EXPECT_EQ(velnet::netlink::macText(link->address), "02:5a:00:00:00:10");
    EXPECT_EQ(link->kind, "bond");
    ASSERT_TRUE(link->bond);
    velnet::netlink::BondOptions expected;
    expected.mode = 1;
    expected.activeSlave = 5;
    expected.miimon = 100;
    expected.downdelay = 300;
    expected.primary = 4;
    expected.primaryReselect = 2;
    EXPECT_EQ(*link->bond, expected);
    ASSERT_TRUE(link->statistics);
    EXPECT_EQ(link->statistics->rx_packets, 7u);
}

TEST(LinkParser, readsABondMemberAndAVlan)
{
    LinkMessage member(RTM_NEWLINK, [](nlmsghdr* m) {
        mnl_attr_put_u32(m, IFLA_MASTER, 9);
        nlattr* info = mnl_attr_nest_start(m, IFLA_LINKINFO);
        mnl_attr_put_strz(m, IFLA_INFO_SLAVE_KIND, "bond");
        nlattr* data = mnl_attr_nest_start(m, IFLA_INFO_SLAVE_DATA);
        mnl_attr_put_u8(m, IFLA_BOND_SLAVE_STATE, 1);
        mnl_attr_put_u32(m, IFLA_BOND_SLAVE_LINK_FAILURE_COUNT, 3);
        mnl_attr_nest_end(m, data);
        mnl_attr_nest_end(m, info);
    });
    const auto slave = LinkParser::link(member.get());
    ASSERT_TRUE(slave.ok()) << slave.error();
    EXPECT_EQ(slave->master, 9);
    ASSERT_TRUE(slave->bondMember);
    EXPECT_EQ(slave->bondMember->state, 1);
    EXPECT_EQ(slave->bondMember->linkFailureCount, 3u);

    LinkMessage vlan(RTM_NEWLINK, [](nlmsghdr* m) {
        mnl_attr_put_u32(m, IFLA_LINK, 9);
        nlattr* info = mnl_attr_nest_start(m, IFLA_LINKINFO);
        mnl_attr_put_strz(m, IFLA_INFO_KIND, "vlan");
        nlattr* data = mnl_attr_nest_start(m, IFLA_INFO_DATA);
        mnl_attr_put_u16(m, IFLA_VLAN_ID, 10);
        mnl_attr_nest_end(m, data);
        mnl_attr_nest_end(m, info);
    });
    const auto parsed = LinkParser::link(vlan.get());
    ASSERT_TRUE(parsed.ok()) << parsed.error();
    EXPECT_EQ(parsed->parent, 9);
    ASSERT_TRUE(parsed->vlan);
    EXPECT_EQ(parsed->vlan->id, 10);
}

struct Broken
{
    const char* what;
    std::function<void(nlmsghdr*)> fill;
    const char* error;
};

class BrokenLink : public ::testing::TestWithParam<Broken>
{
};

TEST_P(BrokenLink, isAnErrorThatSaysWhy)
{
    LinkMessage message(RTM_NEWLINK, GetParam().fill);
    const auto link = LinkParser::link(message.get());
    ASSERT_FALSE(link.ok());
    EXPECT_NE(link.error().find(GetParam().error), std::string::npos) << link.error();
}

void overrun(nlmsghdr* m)
{
    mnl_attr_put_u32(m, IFLA_MTU, 1500);
    // The last attribute claims more bytes than the message holds.
    auto* last = reinterpret_cast<nlattr*>(static_cast<char*>(mnl_nlmsg_get_payload_tail(m)) - 8);
    last->nla_len = 64;
}

void shortMiimon(nlmsghdr* m)
{
    nlattr* info = mnl_attr_nest_start(m, IFLA_LINKINFO);
    mnl_attr_put_strz(m, IFLA_INFO_KIND, "bond");
    nlattr* data = mnl_attr_nest_start(m, IFLA_INFO_DATA);
    mnl_attr_put_u16(m, IFLA_BOND_MIIMON, 100);
    mnl_attr_nest_end(m, data);
    mnl_attr_nest_end(m, info);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, BrokenLink,
    ::testing::Values(
        Broken{"empty carrier", [](nlmsghdr* m) { mnl_attr_put(m, IFLA_CARRIER, 0, nullptr); },
               "IFLA_CARRIER is 0 bytes, needs 1"},
        Broken{"short MTU", [](nlmsghdr* m) { mnl_attr_put_u16(m, IFLA_MTU, 1500); },
               "IFLA_MTU is 2 bytes, needs 4"},
        Broken{"overrun", overrun, "overruns its message"},
        Broken{"short bond option", shortMiimon, "IFLA_BOND_MIIMON is 2 bytes, needs 4"}));

TEST(LinkParser, aMessageShorterThanItsHeaderIsAnError)
{
    std::vector<char> buffer(MNL_SOCKET_BUFFER_SIZE);
    nlmsghdr* message = mnl_nlmsg_put_header(buffer.data());
    message->nlmsg_type = RTM_NEWLINK;
    EXPECT_FALSE(LinkParser::link(message).ok());
}

using RouteMessage = Message<rtmsg>;

std::vector<int> defaultRoute(unsigned char destinationLength,
                              const std::function<void(nlmsghdr*)>& fill)
{
    RouteMessage message(RTM_NEWROUTE, fill);
    message.header().rtm_dst_len = destinationLength;
    message.header().rtm_table = RT_TABLE_MAIN;
    message.header().rtm_type = RTN_UNICAST;
    const auto found = LinkParser::defaultRouteInterfaces(message.get());
    EXPECT_TRUE(found.ok()) << found.error();
    return found.ok() ? *found : std::vector<int>{99};
}

void multipath(nlmsghdr* m)
{
    nlattr* hops = mnl_attr_nest_start(m, RTA_MULTIPATH);
    for (int ifindex : {2, 3}) {
        auto* hop = static_cast<rtnexthop*>(mnl_nlmsg_get_payload_tail(m));
        *hop = rtnexthop{sizeof(rtnexthop), 0, 0, ifindex};
        m->nlmsg_len += RTNH_ALIGN(sizeof(rtnexthop));
    }
    mnl_attr_nest_end(m, hops);
}

TEST(LinkParser, findsTheInterfacesOfDefaultRoutesOnly)
{
    auto oif4 = [](nlmsghdr* m) { mnl_attr_put_u32(m, RTA_OIF, 4); };
    EXPECT_EQ(defaultRoute(0, oif4), std::vector<int>{4});
    EXPECT_EQ(defaultRoute(24, oif4), std::vector<int>{});
    EXPECT_EQ(defaultRoute(0, multipath), (std::vector<int>{2, 3}));
}

TEST(LinkParser, readsMacTextsInBothSpellings)
{
    EXPECT_EQ(velnet::netlink::macText(*velnet::netlink::parseMac("00-A0-CC-4E-1F-02")),
              "00:a0:cc:4e:1f:02");
    EXPECT_TRUE(velnet::netlink::parseMac("00:a0:cc:4e:1f:02"));
    for (const char* bad : {"", "00-A0-CC-4E-1F", "00-A0-CC-4E-1F-0G", "00A0CC4E1F02xxxxx"})
        EXPECT_FALSE(velnet::netlink::parseMac(bad)) << bad;
}

} // namespace
