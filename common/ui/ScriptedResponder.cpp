// SPDX-License-Identifier: MIT
#include "common/ui/ScriptedResponder.h"

#include <utility>

namespace velnet::ui {

std::string describe(const MessageRequest& request)
{
    return "\"" + request.caption + "\" / \"" + request.text + "\" [" +
           std::string(buttonsName(request.buttons)) + ", " + std::string(iconName(request.icon)) +
           "]";
}

ScriptedResponder::ScriptedResponder(FailureHandler onFailure)
    : onFailure_(std::move(onFailure)), previous_(setMessagePresenter(this))
{
}

ScriptedResponder::~ScriptedResponder()
{
    verify();
    setMessagePresenter(previous_);
}

ScriptedResponder& ScriptedResponder::expect(std::string text, Answer answer)
{
    Expectation e;
    e.text = std::move(text);
    e.answer = answer;
    return expect(std::move(e));
}

ScriptedResponder& ScriptedResponder::expect(Expectation expectation)
{
    script_.push_back(std::move(expectation));
    return *this;
}

bool ScriptedResponder::verify()
{
    if (script_.empty())
        return true;
    std::string message = "expected message box(es) never shown:";
    for (const auto& e : script_)
        message += "\n  \"" + e.text + "\"";
    script_.clear();
    onFailure_(message);
    return false;
}

Answer ScriptedResponder::present(const MessageRequest& request)
{
    shown_.push_back(request);
    if (script_.empty()) {
        onFailure_("unexpected message box: " + describe(request));
        return cancelAnswer(request.buttons);
    }
    Expectation e = std::move(script_.front());
    script_.pop_front();
    std::string mismatch;
    if (request.text != e.text)
        mismatch += "\n  text: expected \"" + e.text + "\"";
    if (e.caption && *e.caption != request.caption)
        mismatch += "\n  caption: expected \"" + *e.caption + "\"";
    if (e.buttons && *e.buttons != request.buttons)
        mismatch += "\n  buttons: expected " + std::string(buttonsName(*e.buttons));
    if (e.icon && *e.icon != request.icon)
        mismatch += "\n  icon: expected " + std::string(iconName(*e.icon));
    if (!mismatch.empty()) {
        onFailure_("message box differs from the script: " + describe(request) + mismatch);
        return cancelAnswer(request.buttons);
    }
    if (e.onShow)
        e.onShow();
    return e.answer;
}

} // namespace velnet::ui
