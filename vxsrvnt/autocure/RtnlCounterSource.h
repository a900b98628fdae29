// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/CounterSource.h"

#include <cstddef>

namespace velnet::netlink {
class Rtnl;
}

namespace velnet::vxsrvnt::autocure {

// The kernel's uniform link counters (IFLA_STATS64) and link state of every
// link, from one RTM_GETLINK dump. Only the few attributes the monitor needs
// are read from each answer.
class RtnlCounterSource : public CounterSource
{
public:
    explicit RtnlCounterSource(netlink::Rtnl& rtnl) : rtnl_(rtnl) {}
    velnet::Result<std::vector<LinkCounters>> readAll() override;

private:
    netlink::Rtnl& rtnl_;
    std::size_t lastCount_ = 0; // links in the last dump: room to reserve
};

} // namespace velnet::vxsrvnt::autocure
