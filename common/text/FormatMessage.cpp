// SPDX-License-Identifier: MIT
#include "common/text/FormatMessage.h"

#include <vector>

namespace velnet {

std::string formatMessage(std::string_view pattern, std::span<const std::string> args)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const char next = pattern[i + 1];
        if (next == '%') {
            out += '%';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next >= '1' && next <= '9') {
            std::size_t number = static_cast<std::size_t>(next - '0');
            ++i;
            if (i + 1 < pattern.size() && pattern[i + 1] >= '0' && pattern[i + 1] <= '9') {
                number = number * 10 + static_cast<std::size_t>(pattern[i + 1] - '0');
                ++i;
            }
            if (number <= args.size())
                out += args[number - 1];
        } else {
            out += c;
        }
    }
    return out;
}

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string> args)
{
    const std::vector<std::string> list(args);
    return formatMessage(pattern, std::span<const std::string>(list));
}

} // namespace velnet
