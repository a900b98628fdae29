// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <string>

namespace velnet::vxsrvnt {

// The service's run-time folder: the apply's journal of intent, the lock
// that keeps two applies apart, and the monitor's health for `status`.
// VELNET_RUNTIME_DIR when set (tests), otherwise /run/vxsrvnt, which the
// unit makes (RuntimeDirectory=) and keeps across restarts.
class RuntimeFiles
{
public:
    RuntimeFiles();
    explicit RuntimeFiles(std::string dir) : dir_(std::move(dir)) {}

    const std::string& dir() const { return dir_; }
    std::string healthFile() const { return dir_ + "/health.json"; }
    std::string lockFile() const { return dir_ + "/apply.lock"; }

    // Makes the folder (mode 0755) when it is missing.
    Outcome prepare() const;

private:
    std::string dir_;
};

// Held while one process applies: the service and a command applying at
// the same time would each see the other's half-made links as strangers.
class ApplyLock
{
public:
    explicit ApplyLock(const RuntimeFiles& files);
    ApplyLock(const ApplyLock&) = delete;
    ApplyLock& operator=(const ApplyLock&) = delete;
    ~ApplyLock();

    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

} // namespace velnet::vxsrvnt
