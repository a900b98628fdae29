// SPDX-License-Identifier: MIT
#include "tests/support/LockHolder.h"

#include "common/registry/StoreLock.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velnet::test {

LockHolder::LockHolder(const std::string& store, bool ofOurs)
{
    int ready[2];
    if (::pipe(ready) != 0 || ::pipe(release_) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(ready[0]);
        ::close(release_[1]);
        std::optional<registry::StoreLock> lock;
        int fd = -1;
        const std::filesystem::path lockPath(store + ".lock");
        const int folder = ::open(lockPath.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (ofOurs && folder >= 0)
            lock.emplace(folder, lockPath.filename().string(), lockPath.string(), nullptr,
                         std::chrono::seconds(1));
        else if ((fd = ::open((store + ".lock").c_str(), O_RDWR | O_CREAT, 0644)) >= 0)
            ::flock(fd, LOCK_EX);
        const char held = (lock && lock->held()) || (!ofOurs && fd >= 0) ? 'L' : 'x';
        (void)::write(ready[1], &held, 1);
        char ignored;
        (void)::read(release_[0], &ignored, 1); // until the parent closes its end
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release_[0]);
    char held = 0;
    held_ = pid_ > 0 && ::read(ready[0], &held, 1) == 1 && held == 'L';
    ::close(ready[0]);
}

void LockHolder::release()
{
    if (pid_ <= 0)
        return;
    ::close(release_[1]);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace velnet::test
