// SPDX-License-Identifier: MIT
#pragma once

namespace velnet::cardcheck {

// The questions about restarting the computer.
class RestartPrompt
{
public:
    // Drivers were taken off line: asks whether to restart (148). Yes gives
    // true; No warns that the drivers stay disabled (220) and gives false.
    static bool askAfterDriversDisabled();

    // When the sheet closes: asks 148 when a restart is needed, else 221 when
    // the configuration changed. True when the user wants a restart at exit;
    // the privilege warning (222) has then been shown where restarting needs
    // privileges the program may not have (Windows NT, Linux).
    static bool askOnClose(int restartNeeded, int configurationChanged);
};

} // namespace velnet::cardcheck
