// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/MessageBox.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ui {

// Stands in for the user in tests: every message box is recorded and answered
// from a script, in order. A box the script did not expect, one that differs
// from the next expected box, or an expectation still unused when the
// responder goes away is reported through the failure handler, which a test
// framework turns into a failed test.
class ScriptedResponder : public MessagePresenter
{
public:
    using FailureHandler = std::function<void(const std::string& message)>;

    struct Expectation
    {
        std::string text;
        std::optional<std::string> caption;
        std::optional<Buttons> buttons;
        std::optional<Icon> icon;
        Answer answer = Answer::Ok;
        std::function<void()> onShow; // runs while the box is "open"
    };

    // Installs itself as the program's presenter until it goes away.
    explicit ScriptedResponder(FailureHandler onFailure);
    ScriptedResponder(const ScriptedResponder&) = delete;
    ScriptedResponder& operator=(const ScriptedResponder&) = delete;
    ~ScriptedResponder() override;

    // The next box must have this text; the others fields are checked when given.
    ScriptedResponder& expect(std::string text, Answer answer = Answer::Ok);
    ScriptedResponder& expect(Expectation expectation);

    // Reports expectations not used yet and forgets them; true when there were none.
    bool verify();
    std::size_t pending() const { return script_.size(); }

    const std::vector<MessageRequest>& shown() const { return shown_; }

    Answer present(const MessageRequest& request) override;

private:
    FailureHandler onFailure_;
    MessagePresenter* previous_;
    std::deque<Expectation> script_;
    std::vector<MessageRequest> shown_;
};

// "caption / text [buttons, icon]", for failure messages.
std::string describe(const MessageRequest& request);

} // namespace velnet::ui
