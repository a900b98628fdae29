// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ethcfg {

// One setting of the Properties page. Its options are fixed when the NIC is
// selected; which one is in force is read from the kernel on every call.
struct ConfigItem
{
    std::string name;
    bool advanced = false;
    std::vector<std::string> options;
    // The option now in force; nothing when it matches none.
    std::function<std::optional<std::size_t>()> current;
    // Applies option `index` and reads it back. Nothing on success; else a
    // message saying why, after the previous setting was put back.
    std::function<std::optional<std::string>(std::size_t)> apply;
    // The option "Optimal Settings" chooses; nothing leaves the item alone.
    std::optional<std::size_t> optimal;

    std::string valueText() const;
};

} // namespace velnet::ethcfg
