// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/ConfigItem.h"

namespace velnet::ethcfg {

std::string ConfigItem::valueText() const
{
    const auto index = current ? current() : std::nullopt;
    if (!index || *index >= options.size())
        return "Unknown";
    return options[*index];
}

} // namespace velnet::ethcfg
