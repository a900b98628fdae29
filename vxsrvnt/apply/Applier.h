// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "vxsrvnt/apply/KernelView.h"
#include "vxsrvnt/config/DriverConfig.h"
#include "vxsrvnt/nics/NicBinding.h"

#include <optional>
#include <string>
#include <vector>

namespace velnet::netlink {
class Rtnl;
}

namespace velnet::vxsrvnt {

struct ApplyOptions
{
    // --force: enslave a NIC even though it holds an IP address (other than
    // an IPv6 link-local one) or carries a default route.
    bool allowAddressed = false;
    // Where the journal of intent lives (a crash mid-apply is undone from it
    // at the next apply). Tests point it into their scratch folder.
    std::string runtimeDir = "/run/vxsrvnt";
};

struct ApplyReport
{
    // What was changed, one line each ("created bond vxbond1 (eth0 primary,
    // eth1 backup)"); empty when the kernel already matched the store.
    std::vector<std::string> actions;
    // What was not done and why, one line each, for the journal and the
    // command's output ("adapter 2 (eth1): not enslaved: it holds
    // 192.0.2.7/24; pass --force to enslave it anyway").
    std::vector<std::string> refusals;
    bool ok() const { return refusals.empty(); }
    // The first refusal that `standing` does not hold: what a repeated
    // apply could not do beyond what the last one could not do either.
    std::optional<std::string> newRefusal(const std::vector<std::string>& standing) const;
};

// Realises the store's pairs and VLANs with the kernel's bonding and 802.1Q
// drivers over rtnetlink.
//
// - A pair (primary P, backup B) is an active-backup bond named "vxbond<P>";
//   its options follow the failover values (see vxsrvnt(8)); VLANs of either
//   member go on the bond.
// - A VLAN instance with Vlan_op != 0 is an 802.1Q link named after its
//   VLAN_NAME, fitted into the kernel's 15 characters.
// - Every link made here carries the mark: its alias starts with "vxsrvnt:"
//   (the rest is the VLAN's whole name, or "bond <P>+<B>"). Only marked links
//   are ever deleted or changed, besides what a pair needs of its two NICs
//   (down, enslaved, released, up again) and the NIC's alias, which gets the
//   Title of its NetworkCards key.
// - apply() is idempotent: links that already match are not touched.
// - A pair is made whole or not at all; a crash mid-apply is undone at the
//   next apply() from the journal of intent in ApplyOptions::runtimeDir.
//
// The Result fails only when the kernel cannot be asked at all; what could
// not be done for one adapter is a refusal in the report and the rest goes on.
class Applier
{
public:
    explicit Applier(netlink::Rtnl& rtnl);

    Result<ApplyReport> apply(const DriverConfig& config, const std::vector<NicBinding>& nics,
                              const ApplyOptions& options);
    // Purge: every marked link removed, members released and brought up.
    Result<ApplyReport> removeAll(const ApplyOptions& options);
    // What the kernel holds for each bound adapter, compared with the store.
    Result<KernelView> observe(const DriverConfig& config, const std::vector<NicBinding>& nics);

private:
    netlink::Rtnl& rtnl_;
};

} // namespace velnet::vxsrvnt
