// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/LinuxNicActions.h"

#include "linux/netlink/Rtnl.h"
#include "linux/nic/Ethtool.h"

#include <cerrno>
#include <cstring>
#include <linux/ethtool.h>
#include <utility>

namespace velnet::vxsrvnt::autocure {

namespace {

std::string resetNames(std::uint32_t flags)
{
    if ((flags & ETH_RESET_DEDICATED) == ETH_RESET_DEDICATED)
        return "dedicated";
    std::string names;
    const std::pair<std::uint32_t, const char*> known[] = {
        {ETH_RESET_MGMT, "mgmt"},     {ETH_RESET_IRQ, "irq"},         {ETH_RESET_DMA, "dma"},
        {ETH_RESET_FILTER, "filter"}, {ETH_RESET_OFFLOAD, "offload"}, {ETH_RESET_MAC, "mac"},
        {ETH_RESET_PHY, "phy"},       {ETH_RESET_RAM, "ram"},         {ETH_RESET_AP, "ap"}};
    for (const auto& [bit, name] : known)
        if (flags & bit)
            names += (names.empty() ? "" : " ") + std::string(name);
    return names;
}

} // namespace

const std::uint32_t LinuxNicActions::kResetLadder[3] = {
    ETH_RESET_PHY, ETH_RESET_MAC | ETH_RESET_PHY, ETH_RESET_DEDICATED};

LinuxNicActions::LinuxNicActions(netlink::Rtnl& rtnl, std::function<velnet::Outcome()> restoreLinks)
    : rtnl_(rtnl), restore_(std::move(restoreLinks))
{
}

SelfTestOutcome LinuxNicActions::selfTest(const std::string& ifname, std::string& detail)
{
    linuxnic::Ethtool ethtool(ifname);
    auto info = ethtool.driverInfo();
    if (!info || info->testCount == 0)
        return SelfTestOutcome::NotSupported;
    auto result = ethtool.onlineSelfTest();
    if (!result) {
        if (ethtool.error() == EOPNOTSUPP)
            return SelfTestOutcome::NotSupported;
        detail = std::string("the self test could not run: ") + std::strerror(ethtool.error());
        return SelfTestOutcome::Failed;
    }
    if (!result->failed)
        return SelfTestOutcome::Passed;
    auto names = ethtool.strings(ETH_SS_TEST);
    for (std::size_t i = 0; i < result->results.size(); ++i)
        if (result->results[i] != 0) {
            const std::string name =
                names && i < names->size() ? (*names)[i] : "test " + std::to_string(i);
            detail += (detail.empty() ? "" : ", ") + name;
        }
    if (detail.empty())
        detail = "the driver reports a failure";
    return SelfTestOutcome::Failed;
}

std::optional<std::uint32_t> LinuxNicActions::reset(const std::string& ifname)
{
    linuxnic::Ethtool ethtool(ifname);
    for (std::uint32_t request : kResetLadder) {
        auto left = ethtool.reset(request);
        if (!left) {
            // No reset at all, or not of these components: the next, wider
            // request may still be taken.
            if (ethtool.error() == EOPNOTSUPP)
                return std::nullopt;
            continue;
        }
        const std::uint32_t done = request & ~*left;
        if (done != 0)
            return done;
    }
    return std::nullopt;
}

velnet::Outcome LinuxNicActions::bounce(int ifindex)
{
    if (auto down = rtnl_.setUp(ifindex, false); !down.ok())
        return down;
    return rtnl_.setUp(ifindex, true);
}

velnet::Outcome LinuxNicActions::cure(int ifindex, const std::string& ifname, std::string& how)
{
    if (auto done = reset(ifname)) {
        how = "ethtool reset " + resetNames(*done);
        return {};
    }
    if (auto bounced = bounce(ifindex); !bounced.ok())
        return velnet::fail("cannot take " + ifname + " down and up: " + bounced.error());
    how = "link down and up";
    return {};
}

std::optional<int> LinuxNicActions::activeMember(int bondIfindex)
{
    auto bond = rtnl_.link(bondIfindex);
    if (!bond.ok() || !bond->bond || !bond->bond->activeSlave)
        return std::nullopt;
    return static_cast<int>(*bond->bond->activeSlave);
}

velnet::Outcome LinuxNicActions::makeActive(int bondIfindex, int memberIfindex)
{
    return rtnl_.setActiveMember(bondIfindex, memberIfindex);
}

velnet::Outcome LinuxNicActions::restoreLinks()
{
    return restore_ ? restore_() : velnet::Outcome{};
}

} // namespace velnet::vxsrvnt::autocure
