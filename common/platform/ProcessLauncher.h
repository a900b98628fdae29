// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velnet::platform {

// Starts other programs, detached from ours, never through a shell.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;

    // Starts `program` with `arguments`. A program given by its Windows file
    // name ("traymon.exe") is looked for, as "traymon", beside our own
    // executable and then on the PATH. False when it could not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;

    // Opens a text file in the desktop's text editor (xdg-open); without
    // one, in $VISUAL or else $EDITOR inside a terminal emulator
    // (x-terminal-emulator). False (and nothing happens) when there is none.
    // The desktop's opener may start and only then find no program for the
    // file: `noViewer` is then called later, on this thread.
    virtual bool openInTextEditor(const std::string& path, std::function<void()> noViewer = {}) = 0;
};

// The launcher that really starts processes.
class SystemProcessLauncher : public ProcessLauncher
{
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
    bool openInTextEditor(const std::string& path, std::function<void()> noViewer = {}) override;

    // "traymon.exe" -> "traymon": the extension dropped, lower case.
    static std::string linuxProgramName(const std::string& windowsName);
    // The file to run for `program`, or empty when there is none.
    static std::string findProgram(const std::string& program);
};

// The launcher in use; the system's unless a test installed another.
ProcessLauncher& processLauncher();
// Installs `launcher` (nullptr: the system's again); returns the one it replaces.
ProcessLauncher* setProcessLauncher(ProcessLauncher* launcher);

} // namespace velnet::platform
