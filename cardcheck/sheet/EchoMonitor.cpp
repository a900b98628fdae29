// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/EchoMonitor.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace velnet::cardcheck {

int EchoMonitor::parseCount(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    if (at < text.size() && text[at] == '+')
        ++at;
    long long value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return first[0] == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    if (error != std::errc() || end == first)
        return 0;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

EchoMonitor::Step EchoMonitor::tick(int state, std::string_view received)
{
    Step step;
    if (state == Idle) {
        step.animation = switchTo(Mode::Still);
        return step;
    }
    if (!needsCount(state))
        return step;

    const int count = parseCount(received);
    const bool echoesArrived = count > lastReceived_;
    if (state == Sending) {
        step.label = Label::Right;
        step.animation = switchTo(echoesArrived ? Mode::FullLoop : Mode::ShortLoop);
    } else {
        step.label = Label::Left;
        step.animation = switchTo(echoesArrived ? Mode::FullLoop : Mode::Still);
    }
    lastReceived_ = count;
    return step;
}

std::optional<EchoMonitor::Mode> EchoMonitor::switchTo(Mode mode)
{
    if (mode == mode_)
        return std::nullopt;
    mode_ = mode;
    return mode;
}

} // namespace velnet::cardcheck
