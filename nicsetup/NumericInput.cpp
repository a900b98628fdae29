// SPDX-License-Identifier: MIT
#include "nicsetup/NumericInput.h"

#include "nicsetup/ParameterRows.h"

namespace velnet::nicsetup {

namespace {

constexpr std::int64_t kSaturation = 10'000'000'000; // above every bound

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view counted(std::string_view text)
{
    return text.substr(0, NumericInput::MAX_CHARS);
}

} // namespace

std::optional<NumericInput::Rule> NumericInput::ruleFor(unsigned row)
{
    switch (row) {
    case ParameterRows::SamplingWindow:
        return Rule{65536, "Sampling Window Parameter Value can only be numeric ",
                    "Sampling Window Parameter Value cannot exceed 65536",
                    "Sampling Window Parameter Value cannot exceed 65536"};
    case ParameterRows::SamplingRatio:
        return Rule{100, "Sampling Ratio Parameter Value can only be numeric ",
                    "Sampling Ratio Parameter Value cannot exceed 100%",
                    "Sampling Ratio parameter Value cannot exceed 100%"};
    default:
        return std::nullopt;
    }
}

std::int64_t NumericInput::leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value >= kSaturation)
            value = kSaturation;
    }
    return negative ? -value : value;
}

bool NumericInput::allDigits(std::string_view text)
{
    for (char c : text)
        if (!isDigit(c))
            return false;
    return true;
}

std::vector<std::string> NumericInput::typingMessages(const Rule& rule, std::string_view text)
{
    text = counted(text);
    std::vector<std::string> messages;
    if (!allDigits(text))
        messages.emplace_back(rule.notNumeric);
    if (leadingNumber(text) > rule.bound)
        messages.emplace_back(rule.tooLargeTyping);
    return messages;
}

NumericInput::Verdict NumericInput::check(const Rule& rule, std::string_view text)
{
    text = counted(text);
    const std::int64_t number = leadingNumber(text);
    if (number > rule.bound)
        return {false, 0, rule.tooLargeOnOk};
    if (!allDigits(text))
        return {false, 0, rule.notNumeric};
    // All digits and within the bound: 0..bound.
    return {true, static_cast<std::uint32_t>(number), {}};
}

} // namespace velnet::nicsetup
