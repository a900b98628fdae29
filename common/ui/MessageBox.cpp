// SPDX-License-Identifier: MIT
#include "common/ui/MessageBox.h"

namespace velnet::ui {

namespace {
MessagePresenter* gPresenter = nullptr;
}

MessagePresenter* setMessagePresenter(MessagePresenter* presenter)
{
    MessagePresenter* old = gPresenter;
    gPresenter = presenter;
    return old;
}

MessagePresenter* messagePresenter()
{
    return gPresenter;
}

Answer cancelAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::AbortRetryIgnore:
        return Answer::Ignore;
    }
    return Answer::Cancel;
}

Answer messageBox(std::string_view text, std::string_view caption, Buttons buttons, Icon icon)
{
    MessageRequest request{std::string(text), std::string(caption), buttons, icon};
    if (!gPresenter)
        return cancelAnswer(buttons);
    return gPresenter->present(request);
}

std::string_view buttonsName(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return "Ok";
    case Buttons::OkCancel:
        return "OkCancel";
    case Buttons::YesNo:
        return "YesNo";
    case Buttons::YesNoCancel:
        return "YesNoCancel";
    case Buttons::AbortRetryIgnore:
        return "AbortRetryIgnore";
    }
    return "?";
}

std::string_view iconName(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return "None";
    case Icon::Information:
        return "Information";
    case Icon::Warning:
        return "Warning";
    case Icon::Error:
        return "Error";
    case Icon::Question:
        return "Question";
    }
    return "?";
}

std::string_view answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return "Ok";
    case Answer::Cancel:
        return "Cancel";
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Abort:
        return "Abort";
    case Answer::Retry:
        return "Retry";
    case Answer::Ignore:
        return "Ignore";
    }
    return "?";
}

} // namespace velnet::ui
