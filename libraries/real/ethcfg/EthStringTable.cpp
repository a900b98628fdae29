// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/EthStringTable.h"

namespace velnet::ethcfg {

std::int32_t EthStringTable::id(const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (const auto it = byText_.find(text); it != byText_.end())
        return it->second;
    if (next_ == kLastId) {
        // The last id is kept for this one text.
        const std::string full = "The library's table of messages is full.";
        byId_[kLastId] = full;
        byText_.emplace(full, kLastId);
        return kLastId;
    }
    const std::int32_t id = next_++;
    byId_[id] = text;
    byText_[text] = id;
    return id;
}

std::optional<std::string> EthStringTable::find(std::int32_t id) const
{
    std::lock_guard lock(mutex_);
    if (const auto it = byId_.find(id); it != byId_.end())
        return it->second;
    return std::nullopt;
}

} // namespace velnet::ethcfg
