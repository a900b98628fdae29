// SPDX-License-Identifier: MIT
#pragma once

#include "common/platform/ProcessLauncher.h"

#include <string>
#include <vector>

namespace velnet::platform {

// Records what would have been started, starts nothing; installs itself for
// as long as it lives.
class FakeProcessLauncher : public ProcessLauncher
{
public:
    struct Start
    {
        std::string program;
        std::vector<std::string> arguments;
        bool operator==(const Start&) const = default;
    };

    FakeProcessLauncher() : previous_(setProcessLauncher(this)) {}
    FakeProcessLauncher(const FakeProcessLauncher&) = delete;
    FakeProcessLauncher& operator=(const FakeProcessLauncher&) = delete;
    ~FakeProcessLauncher() override { setProcessLauncher(previous_); }

    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        starts.push_back({program, arguments});
        return succeed;
    }
    bool openInTextEditor(const std::string& path, std::function<void()> noViewer = {}) override
    {
        editedFiles.push_back(path);
        if (succeed && !viewerFound && noViewer)
            noViewer();
        return succeed;
    }

    std::vector<Start> starts;
    std::vector<std::string> editedFiles;
    bool succeed = true;
    // False: the opener starts but finds no program for the file.
    bool viewerFound = true;

private:
    ProcessLauncher* previous_;
};

} // namespace velnet::platform
