// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/StringPool.h"

namespace velnet::nicsim {

std::int32_t StringPool::add(const std::string& text)
{
    if (const auto it = byText_.find(text); it != byText_.end())
        return it->second;
    while (byId_.count(next_))
        ++next_;
    if (next_ > kLastId)
        return 0;
    const std::int32_t id = next_++;
    byId_[id] = text;
    byText_[text] = id;
    return id;
}

void StringPool::place(std::int32_t id, const std::string& text)
{
    byId_[id] = text;
    byText_.emplace(text, id);
}

std::optional<std::string> StringPool::find(std::int32_t id) const
{
    if (const auto it = byId_.find(id); it != byId_.end())
        return it->second;
    return std::nullopt;
}

} // namespace velnet::nicsim
