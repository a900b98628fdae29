// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace velnet::registry {

// An exclusive advisory lock on the store's companion lock file, waited for a
// bounded time so that a program that keeps the store locked cannot hang every
// other one. The holder writes its process id into the file (when it may
// write it) and clears it on release, so a writer that gives up can say who
// is in the way.
class StoreLock
{
public:
    // `storeOwner` (the store's stat, when it exists) gives a lock file made
    // here the store's owner, group and read-write bits, so that anyone who
    // may write the store may also lock it. The lock file `name` lies in the
    // folder `folder` (a descriptor); `shownPath` names it in messages.
    StoreLock(int folder, const std::string& name, std::string shownPath,
              const struct stat* storeOwner, std::chrono::milliseconds wait);
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock();

    bool held() const { return held_; }
    // Not held because another process kept it longer than the wait.
    bool busy() const { return busy_; }
    // The process that holds it, when it could be told and is alive.
    std::optional<pid_t> holder() const { return holder_; }
    // Not held for a system reason: its errno (EPERM for a lock file that
    // is refused).
    int error() const { return error_; }
    // Why it is not held, naming the lock file, for the user; empty when
    // held or busy.
    const std::string& problem() const { return problem_; }

private:
    bool open(int folder, const std::string& name, const struct stat* storeOwner);
    void refuse(int error, const std::string& why);
    void wait(std::chrono::milliseconds wait);
    bool waitInTurn(std::chrono::milliseconds wait);
    std::optional<pid_t> readHolder() const;

    int fd_ = -1;
    bool canWrite_ = false;
    bool held_ = false;
    bool busy_ = false;
    std::optional<pid_t> holder_;
    int error_ = 0;
    std::string shownPath_;
    std::string problem_;
};

} // namespace velnet::registry
