// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace velnet::nicsim {

// A simulated library's string table: every text the library names by id.
// Texts get ids from 1000 up as they are added; a scenario may also place a
// text at an id of its own choice.
class StringPool
{
public:
    static constexpr std::int32_t kFirstId = 1000;
    static constexpr std::int32_t kLastId = 3999; // below 4096: fits SelectCard's 12 bits

    // The id of `text`, adding it when new; 0 (no text) when the table is
    // full. A library builds its table while it is being loaded, where an
    // exception would end the program that loads it.
    std::int32_t add(const std::string& text);
    void place(std::int32_t id, const std::string& text);
    std::optional<std::string> find(std::int32_t id) const;

private:
    std::map<std::int32_t, std::string> byId_;
    std::map<std::string, std::int32_t> byText_;
    std::int32_t next_ = kFirstId;
};

} // namespace velnet::nicsim
