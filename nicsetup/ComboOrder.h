// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::nicsetup {

// How the sorted combo boxes order and find their entries: by text, without
// regard to ASCII case, character by character ("1. x" before "10. x" before
// "2. x").
class ComboOrder
{
public:
    static bool less(std::string_view a, std::string_view b);
    // Where a new entry goes: after every entry that is not greater than it.
    static std::size_t insertPosition(const std::vector<std::string>& sorted,
                                      std::string_view text);
    // The first entry, from the top, that begins with `prefix`, ignoring case.
    static std::optional<std::size_t> findPrefix(const std::vector<std::string>& entries,
                                                 std::string_view prefix);
};

} // namespace velnet::nicsetup
