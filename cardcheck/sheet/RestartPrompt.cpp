// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/RestartPrompt.h"

#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/OsVersion.h"

namespace velnet::cardcheck {

using velnet::ui::Answer;
using velnet::ui::Buttons;

bool RestartPrompt::askAfterDriversDisabled()
{
    if (appMessageBox(StringTable::load(ids::AskRestartDriversDisabled), Buttons::YesNo) ==
        Answer::Yes)
        return true;
    appMessageBox(StringTable::load(ids::WarningDriverDisabled));
    return false;
}

bool RestartPrompt::askOnClose(int restartNeeded, int configurationChanged)
{
    int question = 0;
    if (restartNeeded == 1)
        question = ids::AskRestartDriversDisabled;
    else if (configurationChanged == 1)
        question = ids::AskRestartConfigChanged;
    else
        return false;

    if (appMessageBox(StringTable::load(question), Buttons::YesNo) == Answer::Yes) {
        if (ProgramState::current().os().restartNeedsPrivileges())
            appMessageBox(StringTable::load(ids::RestartPrivilege));
        return true;
    }
    if (question == ids::AskRestartDriversDisabled)
        appMessageBox(StringTable::load(ids::WarningDriverDisabled));
    return false;
}

} // namespace velnet::cardcheck
