// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velnet::nicsetup {

// The checks of the numeric editor for "Sampling Window" (row 1) and
// "Sampling Ratio " (row 2). Only the first MAX_CHARS characters of the text
// count.
class NumericInput
{
public:
    static constexpr std::size_t MAX_CHARS = 79;

    struct Rule
    {
        std::uint32_t bound;
        const char* notNumeric;     // a character that is not a decimal digit
        const char* tooLargeTyping; // shown while typing
        const char* tooLargeOnOk;   // shown by OK
    };

    // The rule of a parameter row; nothing for rows without a number.
    static std::optional<Rule> ruleFor(unsigned row);

    // The number formed by the leading digits after any leading white space
    // and one optional sign, as the C library reads it; no digits give 0.
    // Magnitudes beyond every bound saturate instead of overflowing.
    static std::int64_t leadingNumber(std::string_view text);
    static bool allDigits(std::string_view text);

    // The messages to show, in order, after the text changed while typing.
    static std::vector<std::string> typingMessages(const Rule& rule, std::string_view text);

    struct Verdict
    {
        bool accepted = false;
        std::uint32_t value = 0; // when accepted
        std::string message;     // when not
    };
    // What OK does: the bound is tested before the digits.
    static Verdict check(const Rule& rule, std::string_view text);
};

} // namespace velnet::nicsetup
