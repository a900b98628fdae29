// SPDX-License-Identifier: MIT
#include "linux/nic/Rtnetlink.h"

#include <cerrno>

namespace velnet::linuxnic {

netlink::Rtnl* Rtnetlink::socket()
{
    if (!rtnl_) {
        Result<netlink::Rtnl> opened = netlink::Rtnl::open();
        if (!opened.ok()) {
            error_ = errno ? errno : EIO;
            return nullptr;
        }
        rtnl_.emplace(std::move(opened).value());
    }
    return &*rtnl_;
}

std::optional<LinkState> Rtnetlink::link(int ifindex)
{
    netlink::Rtnl* rtnl = socket();
    if (!rtnl)
        return std::nullopt;
    Result<netlink::Link> link = rtnl->link(ifindex);
    if (!link.ok()) {
        error_ = rtnl->lastError();
        return std::nullopt;
    }
    return std::move(link).value();
}

std::vector<InterfaceAddress> Rtnetlink::addresses(int ifindex)
{
    netlink::Rtnl* rtnl = socket();
    if (!rtnl)
        return {};
    Result<std::vector<netlink::InterfaceAddress>> found = rtnl->addresses(ifindex);
    if (!found.ok()) {
        error_ = rtnl->lastError();
        return {};
    }
    return std::move(found).value();
}

bool Rtnetlink::setMtu(int ifindex, std::uint32_t mtu)
{
    netlink::Rtnl* rtnl = socket();
    if (!rtnl)
        return false;
    if (Outcome set = rtnl->setMtu(ifindex, mtu); !set.ok()) {
        error_ = rtnl->lastError();
        return false;
    }
    return true;
}

} // namespace velnet::linuxnic
