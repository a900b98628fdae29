// SPDX-License-Identifier: MIT
#pragma once

#include "common/platform/Restart.h"

namespace velnet::platform {

// Counts restart requests and restarts nothing; installs itself for as long
// as it lives.
class FakeRestart : public Restart
{
public:
    FakeRestart() : previous_(setRestart(this)) {}
    FakeRestart(const FakeRestart&) = delete;
    FakeRestart& operator=(const FakeRestart&) = delete;
    ~FakeRestart() override { setRestart(previous_); }

    Result reboot() override
    {
        ++reboots;
        return Result::Requested;
    }

    int reboots = 0;

private:
    Restart* previous_;
};

} // namespace velnet::platform
