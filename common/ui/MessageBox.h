// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velnet::ui {

enum class Buttons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    AbortRetryIgnore
};
enum class Icon
{
    None,
    Information,
    Warning,
    Error,
    Question
};
enum class Answer
{
    Ok,
    Cancel,
    Yes,
    No,
    Abort,
    Retry,
    Ignore
};

struct MessageRequest
{
    std::string text;
    std::string caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
};

// Whatever shows message boxes: the Qt presenter in the programs, a scripted
// responder in tests.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual Answer present(const MessageRequest& request) = 0;
};

// Shows a modal message box and returns the button pressed. Without an
// installed presenter nothing is shown and the box's cancelling answer is
// returned (Cancel, No, Ignore or Ok).
Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons = Buttons::Ok,
                  Icon icon = Icon::None);

// Installs the presenter for the whole program; returns the one it replaces.
MessagePresenter* setMessagePresenter(MessagePresenter* presenter);
MessagePresenter* messagePresenter();

// The answer of Esc or the close box for a set of buttons.
Answer cancelAnswer(Buttons buttons);

std::string_view buttonsName(Buttons buttons);
std::string_view iconName(Icon icon);
std::string_view answerName(Answer answer);

} // namespace velnet::ui
