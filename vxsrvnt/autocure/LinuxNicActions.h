// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/NicActions.h"

#include <functional>

namespace velnet::netlink {
class Rtnl;
}

namespace velnet::vxsrvnt::autocure {

// The monitor's actions on the machine's NICs: the driver's online self
// test and ETHTOOL_RESET through the ethtool ioctl, the link and the bond's
// active member through rtnetlink. `restoreLinks` is what the service does
// after a cure to see that the links of the store are still there (its
// applier); without one, nothing is restored.
class LinuxNicActions : public NicActions
{
public:
    LinuxNicActions(netlink::Rtnl& rtnl, std::function<velnet::Outcome()> restoreLinks = {});

    SelfTestOutcome selfTest(const std::string& ifname, std::string& detail) override;
    velnet::Outcome cure(int ifindex, const std::string& ifname, std::string& how) override;
    std::optional<int> activeMember(int bondIfindex) override;
    velnet::Outcome makeActive(int bondIfindex, int memberIfindex) override;
    velnet::Outcome restoreLinks() override;

    // The ETHTOOL_RESET requests tried, narrowest first: the PHY alone, then
    // MAC and PHY, then every component the NIC does not share with another
    // function (ETH_RESET_DEDICATED).
    static const std::uint32_t kResetLadder[3];

private:
    // The first request of the ladder of which the driver reset something,
    // or nothing when it has no reset.
    std::optional<std::uint32_t> reset(const std::string& ifname);
    velnet::Outcome bounce(int ifindex);

    netlink::Rtnl& rtnl_;
    std::function<velnet::Outcome()> restore_;
};

} // namespace velnet::vxsrvnt::autocure
