// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <optional>
#include <string>

namespace velnet::vxsrvnt::autocure {

enum class SelfTestOutcome
{
    NotSupported, // the driver has no online self test
    Passed,
    Failed,
};

// What the monitor may do to a NIC. The real implementation works through
// ethtool and rtnetlink; tests record the calls.
class NicActions
{
public:
    virtual ~NicActions() = default;

    // The driver's online self test (never the offline one: that takes the
    // link away). `detail` gets the failed tests' names or the reason.
    virtual SelfTestOutcome selfTest(const std::string& ifname, std::string& detail) = 0;

    // Cures a stand-alone NIC or an inactive bond member: the narrowest
    // ETHTOOL_RESET its driver takes, else the link taken down and up.
    // `how` says which was done ("reset phy", "link down and up").
    virtual velnet::Outcome cure(int ifindex, const std::string& ifname, std::string& how) = 0;

    // The active member of the bond `bondIfindex`, 0 when none.
    virtual std::optional<int> activeMember(int bondIfindex) = 0;

    // Makes `memberIfindex` the active member of its bond
    // (IFLA_BOND_ACTIVE_SLAVE).
    virtual velnet::Outcome makeActive(int bondIfindex, int memberIfindex) = 0;

    // After a cure: the links and VLANs that apply made must still be there;
    // re-applies when they are not. The service wires this to its applier.
    virtual velnet::Outcome restoreLinks() = 0;
};

} // namespace velnet::vxsrvnt::autocure
