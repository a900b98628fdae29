// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace velnet::ethcfg {

// The library's string resources. Unlike a fixed table it grows while the
// library runs (the driver's counter names, the kernel's reasons), and
// cardcheck reads it from several threads, so every call takes the lock.
class EthStringTable
{
public:
    static constexpr std::int32_t kFirstId = 1000;
    static constexpr std::int32_t kLastId = 4095; // SelectCard's 12 bits

    // The id of `text`, adding it when new. When the table is full, the id
    // of a text that says so.
    std::int32_t id(const std::string& text);
    std::optional<std::string> find(std::int32_t id) const;

private:
    mutable std::mutex mutex_;
    std::map<std::int32_t, std::string> byId_;
    std::map<std::string, std::int32_t> byText_;
    std::int32_t next_ = kFirstId;
};

} // namespace velnet::ethcfg
