// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/ScriptedResponder.h"

#include <optional>
#include <string>

namespace velnet::test {

// The one way a test spells a message box it expects: the text exactly, the
// caption, the buttons and the icon (nullopt: not checked), and the answer
// the scripted user gives.
inline ui::ScriptedResponder::Expectation expectedBox(std::string text, std::string caption,
                                                      ui::Buttons buttons = ui::Buttons::Ok,
                                                      std::optional<ui::Icon> icon = ui::Icon::None,
                                                      ui::Answer answer = ui::Answer::Ok)
{
    ui::ScriptedResponder::Expectation box;
    box.text = std::move(text);
    box.caption = std::move(caption);
    box.buttons = buttons;
    box.icon = icon;
    box.answer = answer;
    return box;
}

// A box of nicsetup, whose caption is the program's name.
inline ui::ScriptedResponder::Expectation nicsetupBox(std::string text,
                                                      ui::Buttons buttons = ui::Buttons::Ok,
                                                      std::optional<ui::Icon> icon = ui::Icon::None,
                                                      ui::Answer answer = ui::Answer::Ok)
{
    return expectedBox(std::move(text), "nicsetup", buttons, icon, answer);
}

// A box of cardcheck, under the program's title.
inline ui::ScriptedResponder::Expectation
cardcheckBox(std::string text, ui::Buttons buttons = ui::Buttons::Ok,
             std::optional<ui::Icon> icon = ui::Icon::None, ui::Answer answer = ui::Answer::Ok)
{
    return expectedBox(std::move(text), "Corvane NIC Diagnostics  v1.0", buttons, icon, answer);
}

} // namespace velnet::test
