// SPDX-License-Identifier: MIT
#include "vxsrvnt/nics/MacText.h"

#include "linux/netlink/Link.h"

namespace velnet::vxsrvnt {

namespace {

std::optional<std::uint8_t> hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

} // namespace

std::optional<MacBytes> parseMac(std::string_view text)
{
    if (text.size() != 17)
        return std::nullopt;
    const char separator = text[2];
    if (separator != ':' && separator != '-')
        return std::nullopt;
    MacBytes mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = i * 3;
        const auto high = hexDigit(text[at]);
        const auto low = hexDigit(text[at + 1]);
        if (!high || !low || (i < 5 && text[at + 2] != separator))
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(*high << 4 | *low);
    }
    return mac;
}

std::string storeMacText(const MacBytes& mac)
{
    return netlink::macText({mac.begin(), mac.end()}, '-', true);
}

std::string colonMacText(const MacBytes& mac)
{
    return netlink::macText({mac.begin(), mac.end()});
}

bool isUnicast(const MacBytes& mac)
{
    return (mac[0] & 0x01) == 0 && mac != MacBytes{};
}

} // namespace velnet::vxsrvnt
