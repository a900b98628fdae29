// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

namespace velnet::cardcheck {

// What the echo test dialog shows after each one-second poll of the library:
// which computer's label to refresh and how the two-computer animation should
// run. Kept apart from the dialog so the rules can be checked without one.
class EchoMonitor
{
public:
    // The library's echo states.
    enum State
    {
        Sending = 0,
        Responding = 1,
        Idle = 2
    };

    enum class Mode
    {
        Still = 0,
        ShortLoop = 1,
        FullLoop = 2
    };

    enum class Label
    {
        None,
        Left,  // this computer's sender label: show LastEchoSender
        Right, // the responder label: show LastEchoResponder
    };

    struct Step
    {
        Label label = Label::None;
        // The animation to switch to; empty leaves the animation as it runs.
        std::optional<Mode> animation;
    };

    // Only the sending and responding states look at the received count.
    static bool needsCount(int state) { return state == Sending || state == Responding; }

    // The decimal text of a count; anything that is not a number counts as 0,
    // and a count too big for the field stays at the largest one.
    static int parseCount(std::string_view text);

    // One poll: state from EchoState, received from NumberEchosReceived (read
    // only when needsCount(state)). Any other state changes nothing.
    Step tick(int state, std::string_view received = {});

    Mode mode() const { return mode_; }
    int lastReceived() const { return lastReceived_; }

private:
    std::optional<Mode> switchTo(Mode mode);

    Mode mode_ = Mode::Still;
    int lastReceived_ = 0;
};

} // namespace velnet::cardcheck
