// SPDX-License-Identifier: MIT
#include "nicsetup/ComboOrder.h"

#include <algorithm>

namespace velnet::nicsetup {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool ComboOrder::less(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lower(x)) < static_cast<unsigned char>(lower(y));
    });
}

std::size_t ComboOrder::insertPosition(const std::vector<std::string>& sorted,
                                       std::string_view text)
{
    const auto it =
        std::upper_bound(sorted.begin(), sorted.end(), text,
                         [](std::string_view t, const std::string& e) { return less(t, e); });
    return static_cast<std::size_t>(it - sorted.begin());
}

std::optional<std::size_t> ComboOrder::findPrefix(const std::vector<std::string>& entries,
                                                  std::string_view prefix)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& e = entries[i];
        if (e.size() >= prefix.size() &&
            std::equal(prefix.begin(), prefix.end(), e.begin(),
                       [](char x, char y) { return lower(x) == lower(y); }))
            return i;
    }
    return std::nullopt;
}

} // namespace velnet::nicsetup
