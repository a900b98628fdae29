// SPDX-License-Identifier: MIT
#include "linux/netlink/Link.h"

#include <cctype>
#include <cstring>
#include <net/if.h>

namespace velnet::netlink {

bool Link::up() const
{
    return flags & IFF_UP;
}

std::string macText(const std::vector<std::uint8_t>& bytes, char separator, bool upperCase)
{
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            text += separator;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> parseMac(const std::string& text)
{
    if (text.size() != 17)
        return std::nullopt;
    std::vector<std::uint8_t> mac;
    for (std::size_t i = 0; i < 17; i += 3) {
        if (i + 2 < 17 && text[i + 2] != ':' && text[i + 2] != '-')
            return std::nullopt;
        unsigned value = 0;
        for (std::size_t j = i; j < i + 2; ++j) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[j])));
            const char* digit = std::strchr("0123456789abcdef", c);
            if (!c || !digit)
                return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit - "0123456789abcdef");
        }
        mac.push_back(static_cast<std::uint8_t>(value));
    }
    return mac;
}

} // namespace velnet::netlink
