// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <string>

namespace velnet::cardcheck {

// The start-up switches: "-a" (advanced mode) and "-inf" (welcome mode),
// each found anywhere in the command line as a plain, case-sensitive
// substring, so "-a" inside a longer word counts too.
struct StartupSwitches
{
    bool advanced = false;
    bool welcome = false;

    static StartupSwitches parse(const std::string& commandLine);
    // The command line after the program name: the arguments joined by blanks.
    static std::string commandLine(const QStringList& arguments);
};

} // namespace velnet::cardcheck
