// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "linux/netlink/Link.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/apply/DesiredState.h"
#include "vxsrvnt/apply/IntentJournal.h"
#include "vxsrvnt/apply/LinkRecords.h"

#include <set>
#include <string>
#include <vector>

namespace velnet::netlink {
class Rtnl;
}

namespace velnet::vxsrvnt {

// One apply or purge: brings the kernel's links to the desired state,
// changing only what differs, and writes what it did and refused.
class Reconciler
{
public:
    Reconciler(netlink::Rtnl& rtnl, const ApplyOptions& options);

    Result<ApplyReport> apply(const DesiredState& state);
    Result<ApplyReport> removeAll();

private:
    Outcome reload();
    void recover();
    void removeUnwanted(const DesiredState& state);
    void removeLink(const netlink::Link& link, const std::string& why);
    void realise(const WantedBond& bond);
    void makeBond(const WantedBond& bond);
    Outcome buildBond(const WantedBond& bond, int& made);
    void adjustBond(const WantedBond& bond, const netlink::Link& link);
    // Why `nic` may not be enslaved now; empty when it may.
    std::string enslaveProblem(const NicBinding& nic, int bond);
    Outcome enslave(const NicBinding& nic, int bond);
    void restoreMember(int ifindex, bool up);
    void realise(const WantedVlan& vlan);
    Outcome buildVlan(const WantedVlan& vlan, int parent, int& made);
    void realise(const WantedTitle& title);
    bool refuseTaken(const std::string& name, const std::string& who);
    void refuse(const std::string& text);
    void finish();

    netlink::Rtnl& rtnl_;
    ApplyOptions options_;
    IntentJournal journal_;
    LinkRecords records_;
    std::vector<netlink::Link> links_;
    std::optional<std::vector<netlink::InterfaceAddress>> addresses_;
    std::optional<std::vector<int>> defaultRoutes_;
    ApplyReport report_;
};

} // namespace velnet::vxsrvnt
