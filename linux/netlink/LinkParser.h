// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "linux/netlink/Link.h"

#include <linux/netlink.h>

namespace velnet::netlink {

// Reads rtnetlink answers. Every attribute's length is checked before its
// payload is read, and attributes that overrun their message are an error,
// never silently dropped.
class LinkParser
{
public:
    static Result<Link> link(const nlmsghdr* message);
    static Result<InterfaceAddress> address(const nlmsghdr* message);
    // The interfaces a default route of the main table leaves through (one
    // for a plain route, several for a multipath one); empty for any other route.
    static Result<std::vector<int>> defaultRouteInterfaces(const nlmsghdr* message);
};

} // namespace velnet::netlink
