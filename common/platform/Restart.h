// SPDX-License-Identifier: MIT
#pragma once

namespace velnet::platform {

// Restarts the computer.
class Restart
{
public:
    enum class Result
    {
        Requested, // the system was asked to restart
        Skipped,   // VELNET_NO_RESTART=1: only logged
        Failed,    // the system could not be asked
    };

    virtual ~Restart() = default;
    virtual Result reboot() = 0;
};

// Asks the system (systemctl reboot). With VELNET_NO_RESTART=1 in the
// environment it only writes a line to the standard error and does nothing,
// which is what tests and demonstrations run with.
class SystemRestart : public Restart
{
public:
    Result reboot() override;
    static bool disabledByEnvironment();
};

// The restart service in use; the system's unless a test installed another.
Restart& restart();
// Installs `service` (nullptr: the system's again); returns the one it replaces.
Restart* setRestart(Restart* service);

} // namespace velnet::platform
