// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/EthSettings.h"

#include "libraries/real/ethcfg/Messages.h"
#include "linux/nic/Ethtool.h"
#include "linux/nic/LinkModes.h"
#include "linux/nic/Rtnetlink.h"

#include <algorithm>
#include <set>

namespace velnet::ethcfg {

using linuxnic::Ethtool;
using linuxnic::LinkSettings;
using linuxnic::Rtnetlink;

namespace {

using Result = std::optional<std::string>;

std::string notKept(const std::string& what, const std::string& interfaceName)
{
    return "The driver of " + interfaceName + " did not keep the new " + what +
           "; the previous setting was put back.";
}

// Changes one field group of a plain ethtool structure, reads it back, and
// puts the old value back when the driver did not keep the new one.
template <typename Value, typename Change, typename Kept>
Result applyStructure(const std::string& interfaceName, const std::string& what,
                      std::uint32_t getCommand, std::uint32_t setCommand, Change change, Kept kept)
{
    Ethtool ethtool(interfaceName);
    const auto before = ethtool.get<Value>(getCommand);
    if (!before)
        return Messages::refused(what, interfaceName, ethtool.error());
    Value wanted = *before;
    change(wanted);
    if (!ethtool.set(setCommand, wanted))
        return Messages::refused(what, interfaceName, ethtool.error());
    const auto after = ethtool.get<Value>(getCommand);
    if (after && kept(*after, wanted))
        return std::nullopt;
    ethtool.set(setCommand, *before);
    return notKept(what, interfaceName);
}

// Sizes to offer between `low` and `high`: powers of two, the limits and
// the value in force, ascending.
std::vector<std::uint32_t> sizeChoices(std::uint32_t low, std::uint32_t high, std::uint32_t now)
{
    std::set<std::uint32_t> sizes{low, high, now};
    for (std::uint64_t size = 1; size <= high; size *= 2) {
        if (size >= low)
            sizes.insert(static_cast<std::uint32_t>(size));
    }
    return {sizes.begin(), sizes.end()};
}

std::vector<std::string> texts(const std::vector<std::uint32_t>& values)
{
    std::vector<std::string> out;
    for (const auto value : values)
        out.push_back(std::to_string(value));
    return out;
}

template <typename List, typename Value>
std::optional<std::size_t> indexOf(const List& list, const Value& value)
{
    const auto it = std::find(list.begin(), list.end(), value);
    if (it == list.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

void addLinkMode(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto settings = ethtool.linkSettings();
    if (!settings)
        return;
    const bool autoneg = LinkSettings::test(settings->supported, ETHTOOL_LINK_MODE_Autoneg_BIT);
    const auto modes = linuxnic::forcedModes(settings->supported);
    if (!autoneg && modes.empty())
        return;
    ConfigItem item;
    item.name = "Speed & Duplex";
    if (autoneg)
        item.options.push_back("Auto Negotiation");
    for (const auto& mode : modes)
        item.options.push_back(mode.text());
    const std::size_t first = autoneg ? 1 : 0;
    item.optimal = autoneg ? std::optional<std::size_t>(0) : std::nullopt;
    item.current = [name, autoneg, modes, first]() -> std::optional<std::size_t> {
        Ethtool now(name);
        const auto s = now.linkSettings();
        if (!s)
            return std::nullopt;
        if (s->base().autoneg == AUTONEG_ENABLE)
            return autoneg ? std::optional<std::size_t>(0) : std::nullopt;
        for (std::size_t i = 0; i < modes.size(); ++i) {
            if (modes[i].speedMbps == s->base().speed && modes[i].duplex == s->base().duplex)
                return first + i;
        }
        return std::nullopt;
    };
    item.apply = [name, autoneg, modes, first](std::size_t option) -> Result {
        const std::string what = "speed and duplex";
        Ethtool ethtool(name);
        const auto before = ethtool.linkSettings();
        if (!before)
            return Messages::refused(what, name, ethtool.error());
        LinkSettings wanted = *before;
        if (autoneg && option == 0) {
            // Every mode the driver supports, and symmetric and asymmetric
            // pause, so that flow control is negotiated as well.
            wanted.base().autoneg = AUTONEG_ENABLE;
            wanted.advertising = wanted.supported;
        } else {
            const auto& mode = modes.at(option - first);
            wanted.base().autoneg = AUTONEG_DISABLE;
            wanted.base().speed = mode.speedMbps;
            wanted.base().duplex = mode.duplex;
        }
        if (!ethtool.setLinkSettings(wanted))
            return Messages::refused(what, name, ethtool.error());
        const auto after = ethtool.linkSettings();
        const bool kept = after && after->base().autoneg == wanted.base().autoneg &&
                          (wanted.base().autoneg == AUTONEG_ENABLE ||
                           (after->base().speed == wanted.base().speed &&
                            after->base().duplex == wanted.base().duplex));
        if (kept)
            return std::nullopt;
        ethtool.setLinkSettings(*before);
        return notKept(what, name);
    };
    items.push_back(std::move(item));
}

void addOffloads(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto features = ethtool.features();
    if (!features)
        return;
    for (std::size_t i = 0; i < features->size(); ++i) {
        const auto& feature = (*features)[i];
        if (!feature.changeable())
            continue;
        ConfigItem item;
        item.name = feature.name;
        item.options = {"Off", "On"};
        switch (optimalOffload(feature.name)) {
        case OptimalOffload::On:
            item.optimal = 1;
            break;
        case OptimalOffload::Off:
            item.optimal = 0;
            break;
        case OptimalOffload::LeftAlone:
            break;
        }
        item.current = [name, i]() -> std::optional<std::size_t> {
            Ethtool now(name);
            const auto f = now.features();
            if (!f || i >= f->size())
                return std::nullopt;
            return (*f)[i].active ? 1 : 0;
        };
        item.apply = [name, i, what = feature.name](std::size_t option) -> Result {
            Ethtool ethtool(name);
            const auto before = ethtool.features();
            if (!before || i >= before->size())
                return Messages::refused(what, name, ethtool.error());
            const bool on = option == 1;
            if (!ethtool.requestFeature(i, on))
                return Messages::refused(what, name, ethtool.error());
            const auto after = ethtool.features();
            if (after && i < after->size() && (*after)[i].active == on)
                return std::nullopt;
            ethtool.requestFeature(i, (*before)[i].requested);
            return notKept(what, name);
        };
        items.push_back(std::move(item));
    }
}

void addFlowControl(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    if (!ethtool.get<ethtool_pauseparam>(ETHTOOL_GPAUSEPARAM))
        return;
    const auto settings = ethtool.linkSettings();
    const bool negotiable =
        settings && LinkSettings::test(settings->supported, ETHTOOL_LINK_MODE_Autoneg_BIT);
    ConfigItem item;
    item.name = "Flow Control";
    item.options = {"Off", "Receive", "Transmit", "Receive and Transmit"};
    if (negotiable)
        item.options.push_back("Autonegotiated");
    item.optimal = negotiable ? 4 : 3;
    item.current = [name, negotiable]() -> std::optional<std::size_t> {
        Ethtool now(name);
        const auto p = now.get<ethtool_pauseparam>(ETHTOOL_GPAUSEPARAM);
        if (!p)
            return std::nullopt;
        if (p->autoneg && negotiable)
            return 4;
        return (p->rx_pause ? 1 : 0) + (p->tx_pause ? 2 : 0);
    };
    item.apply = [name](std::size_t option) -> Result {
        auto change = [option](ethtool_pauseparam& p) {
            p.autoneg = option == 4;
            p.rx_pause = option == 1 || option >= 3;
            p.tx_pause = option >= 2;
        };
        auto kept = [](const ethtool_pauseparam& now, const ethtool_pauseparam& wanted) {
            return now.autoneg == wanted.autoneg && now.rx_pause == wanted.rx_pause &&
                   now.tx_pause == wanted.tx_pause;
        };
        return applyStructure<ethtool_pauseparam>(name, "flow control", ETHTOOL_GPAUSEPARAM,
                                                  ETHTOOL_SPAUSEPARAM, change, kept);
    };
    items.push_back(std::move(item));
}

void addWakeOnLan(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto wol = ethtool.get<ethtool_wolinfo>(ETHTOOL_GWOL);
    static const std::pair<std::uint32_t, const char*> kModes[] = {
        {WAKE_MAGIC, "Magic Packet"},     {WAKE_PHY, "PHY Activity"},
        {WAKE_UCAST, "Unicast Frames"},   {WAKE_MCAST, "Multicast Frames"},
        {WAKE_BCAST, "Broadcast Frames"}, {WAKE_ARP, "ARP Requests"},
    };
    if (!wol)
        return;
    ConfigItem item;
    item.name = "Wake-on-LAN";
    item.options = {"Disabled"};
    std::vector<std::uint32_t> bits{0};
    for (const auto& [bit, text] : kModes) {
        if (wol->supported & bit) {
            item.options.push_back(text);
            bits.push_back(bit);
        }
    }
    if (bits.size() == 1)
        return;
    item.current = [name, bits]() -> std::optional<std::size_t> {
        Ethtool now(name);
        const auto w = now.get<ethtool_wolinfo>(ETHTOOL_GWOL);
        return w ? indexOf(bits, w->wolopts) : std::nullopt;
    };
    item.apply = [name, bits](std::size_t option) -> Result {
        return applyStructure<ethtool_wolinfo>(
            name, "Wake-on-LAN setting", ETHTOOL_GWOL, ETHTOOL_SWOL,
            [&](ethtool_wolinfo& w) { w.wolopts = bits.at(option); },
            [](const ethtool_wolinfo& now, const ethtool_wolinfo& wanted) {
                return now.wolopts == wanted.wolopts;
            });
    };
    items.push_back(std::move(item));
}

// One numeric field of a plain ethtool structure as an advanced item.
template <typename Value>
void addNumber(std::vector<ConfigItem>& items, const std::string& name, const std::string& title,
               std::uint32_t getCommand, std::uint32_t setCommand, std::uint32_t Value::*field,
               std::vector<std::uint32_t> choices, bool optimalIsLargest)
{
    if (choices.empty())
        return;
    ConfigItem item;
    item.name = title;
    item.advanced = true;
    item.options = texts(choices);
    if (optimalIsLargest)
        item.optimal = choices.size() - 1;
    item.current = [name, getCommand, field, choices]() -> std::optional<std::size_t> {
        Ethtool now(name);
        const auto v = now.get<Value>(getCommand);
        return v ? indexOf(choices, (*v).*field) : std::nullopt;
    };
    std::string what = title;
    std::transform(what.begin(), what.end(), what.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    item.apply = [=](std::size_t option) -> Result {
        const std::uint32_t value = choices.at(option);
        return applyStructure<Value>(
            name, what, getCommand, setCommand, [&](Value& v) { v.*field = value; },
            [&](const Value& now, const Value&) { return now.*field == value; });
    };
    items.push_back(std::move(item));
}

void addRings(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto r = ethtool.get<ethtool_ringparam>(ETHTOOL_GRINGPARAM);
    if (!r)
        return;
    if (r->rx_max_pending)
        addNumber<ethtool_ringparam>(
            items, name, "Receive Ring Size", ETHTOOL_GRINGPARAM, ETHTOOL_SRINGPARAM,
            &ethtool_ringparam::rx_pending,
            sizeChoices(64 < r->rx_max_pending ? 64 : 1, r->rx_max_pending, r->rx_pending), true);
    if (r->tx_max_pending)
        addNumber<ethtool_ringparam>(
            items, name, "Transmit Ring Size", ETHTOOL_GRINGPARAM, ETHTOOL_SRINGPARAM,
            &ethtool_ringparam::tx_pending,
            sizeChoices(64 < r->tx_max_pending ? 64 : 1, r->tx_max_pending, r->tx_pending), true);
}

void addCoalescing(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto c = ethtool.get<ethtool_coalesce>(ETHTOOL_GCOALESCE);
    if (!c)
        return;
    auto delays = [](std::uint32_t now) {
        std::set<std::uint32_t> values{0, 8, 16, 32, 64, 128, 256, now};
        return std::vector<std::uint32_t>(values.begin(), values.end());
    };
    addNumber<ethtool_coalesce>(items, name, "Receive Interrupt Delay (usecs)", ETHTOOL_GCOALESCE,
                                ETHTOOL_SCOALESCE, &ethtool_coalesce::rx_coalesce_usecs,
                                delays(c->rx_coalesce_usecs), false);
    addNumber<ethtool_coalesce>(items, name, "Transmit Interrupt Delay (usecs)", ETHTOOL_GCOALESCE,
                                ETHTOOL_SCOALESCE, &ethtool_coalesce::tx_coalesce_usecs,
                                delays(c->tx_coalesce_usecs), false);
}

void addChannels(std::vector<ConfigItem>& items, const std::string& name)
{
    Ethtool ethtool(name);
    const auto c = ethtool.get<ethtool_channels>(ETHTOOL_GCHANNELS);
    if (!c)
        return;
    auto counts = [](std::uint32_t max) {
        std::vector<std::uint32_t> values;
        for (std::uint32_t n = 1; n <= std::min<std::uint32_t>(max, 64); ++n)
            values.push_back(n);
        return values;
    };
    addNumber<ethtool_channels>(items, name, "Combined Channels", ETHTOOL_GCHANNELS,
                                ETHTOOL_SCHANNELS, &ethtool_channels::combined_count,
                                counts(c->max_combined), false);
    addNumber<ethtool_channels>(items, name, "Receive Channels", ETHTOOL_GCHANNELS,
                                ETHTOOL_SCHANNELS, &ethtool_channels::rx_count, counts(c->max_rx),
                                false);
    addNumber<ethtool_channels>(items, name, "Transmit Channels", ETHTOOL_GCHANNELS,
                                ETHTOOL_SCHANNELS, &ethtool_channels::tx_count, counts(c->max_tx),
                                false);
}

void addMtu(std::vector<ConfigItem>& items, const std::string& name, int ifindex)
{
    Rtnetlink netlink;
    const auto link = netlink.link(ifindex);
    if (!link)
        return;
    const std::uint32_t low = link->minMtu ? link->minMtu : 68;
    const std::uint32_t high = link->maxMtu ? link->maxMtu : link->mtu;
    std::set<std::uint32_t> values{link->mtu};
    for (const std::uint32_t common : {576U, 1280U, 1500U, 4000U, 9000U}) {
        if (common >= low && common <= high)
            values.insert(common);
    }
    const std::vector<std::uint32_t> choices(values.begin(), values.end());
    ConfigItem item;
    item.name = "MTU";
    item.advanced = true;
    item.options = texts(choices);
    item.current = [ifindex, choices]() -> std::optional<std::size_t> {
        Rtnetlink now;
        const auto l = now.link(ifindex);
        return l ? indexOf(choices, l->mtu) : std::nullopt;
    };
    item.apply = [name, ifindex, choices](std::size_t option) -> Result {
        Rtnetlink netlink;
        const auto before = netlink.link(ifindex);
        if (!before)
            return Messages::refused("the MTU", name, netlink.error());
        if (!netlink.setMtu(ifindex, choices.at(option)))
            return Messages::refused("the MTU", name, netlink.error());
        const auto after = netlink.link(ifindex);
        if (after && after->mtu == choices.at(option))
            return std::nullopt;
        netlink.setMtu(ifindex, before->mtu);
        return notKept("MTU", name);
    };
    items.push_back(std::move(item));
}

} // namespace

OptimalOffload optimalOffload(const std::string& featureName)
{
    static const std::set<std::string, std::less<>> keptOff{
        "loopback", "rx-fcs", "rx-all", "tx-nocache-copy", "rx-gro-list", "rx-udp-gro-forwarding"};
    if (keptOff.contains(featureName))
        return OptimalOffload::Off;
    if (featureName == "rx-lro")
        return OptimalOffload::LeftAlone;
    return OptimalOffload::On;
}

std::vector<ConfigItem> buildSettings(const std::string& interfaceName, int ifindex)
{
    std::vector<ConfigItem> items;
    addLinkMode(items, interfaceName);
    addOffloads(items, interfaceName);
    addFlowControl(items, interfaceName);
    addWakeOnLan(items, interfaceName);
    addRings(items, interfaceName);
    addCoalescing(items, interfaceName);
    addChannels(items, interfaceName);
    addMtu(items, interfaceName, ifindex);
    return items;
}

} // namespace velnet::ethcfg
