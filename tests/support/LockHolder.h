// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <sys/types.h>

namespace velnet::test {

// Another process holding a store's lock until release() or the end of this
// object: a program of ours (which leaves its process id in the lock file)
// or a foreign one that only locks.
class LockHolder
{
public:
    LockHolder(const std::string& store, bool ofOurs);
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    ~LockHolder() { release(); }

    void release();
    bool held() const { return held_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_[2] = {-1, -1};
    bool held_ = false;
};

} // namespace velnet::test
