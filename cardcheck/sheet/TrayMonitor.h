// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace velnet::cardcheck {

// The tray status monitor, a program of its own ("traymon.exe"). Its window
// is titled "TRAYMON"; it listens for a close request on the local socket
// "TRAYMON.window" in the runtime folder, which stands for that window.
class TrayMonitor
{
public:
    static constexpr const char* kProgram = "traymon.exe";
    static constexpr const char* kWindowTitle = "TRAYMON";

    // Starts the monitor, with no arguments. False when it could not be started.
    static bool start();
    // Sends the running monitor's window a close request. False when no
    // monitor runs.
    static bool closeIfRunning();

    static QString socketPath();
};

} // namespace velnet::cardcheck
