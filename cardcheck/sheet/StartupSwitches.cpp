// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/StartupSwitches.h"

#include "cardcheck/resources/StringTable.h"

namespace velnet::cardcheck {

StartupSwitches StartupSwitches::parse(const std::string& commandLine)
{
    StartupSwitches switches;
    if (commandLine.empty())
        return switches;
    switches.advanced =
        commandLine.find(StringTable::load(ids::SwitchAdvanced)) != std::string::npos;
    switches.welcome = commandLine.find(StringTable::load(ids::SwitchWelcome)) != std::string::npos;
    return switches;
}

std::string StartupSwitches::commandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' ')).toStdString();
}

} // namespace velnet::cardcheck
