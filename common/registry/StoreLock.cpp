// SPDX-License-Identifier: MIT
#include "common/registry/StoreLock.h"

#include "common/registry/StoreFile.h"

#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace velnet::registry {

namespace {

constexpr mode_t kDefaultLockMode = 0644;

// A lock file is truncated, written and given the store's owner: it must be
// nobody else's file under another name. So only a plain file with one name,
// owned by root, by this user or by the store's owner, is used.
std::optional<std::string> unusableLock(const struct stat& lock, const struct stat* store)
{
    if (!S_ISREG(lock.st_mode))
        return std::string("it is ") + kindOfFile(lock.st_mode) + ", not a plain file";
    if (lock.st_nlink != 1)
        return "it has " + std::to_string(lock.st_nlink) +
               " names (hard links), a lock file must have one";
    const bool trusted =
        lock.st_uid == 0 || lock.st_uid == ::geteuid() || (store && lock.st_uid == store->st_uid);
    if (!trusted)
        return "it belongs to user " + std::to_string(lock.st_uid) +
               ", who is neither root nor the store's owner";
    return std::nullopt;
}

// Root makes lock files for whoever owns the store; others can only make
// their own, and only fix up those they own.
void adoptStoreOwner(int fd, const struct stat& store, mode_t mode)
{
    struct stat lock
    {
    };
    if (::fstat(fd, &lock) != 0)
        return;
    const bool root = ::geteuid() == 0;
    if (root && (lock.st_uid != store.st_uid || lock.st_gid != store.st_gid))
        (void)::fchown(fd, store.st_uid, store.st_gid);
    if ((root || lock.st_uid == ::geteuid()) && (lock.st_mode & 07777) != mode)
        (void)::fchmod(fd, mode);
}

} // namespace

StoreLock::StoreLock(int folder, const std::string& name, std::string shownPath,
                     const struct stat* storeOwner, std::chrono::milliseconds wait)
    : shownPath_(std::move(shownPath))
{
    if (open(folder, name, storeOwner))
        this->wait(wait);
}

StoreLock::~StoreLock()
{
    if (fd_ < 0)
        return;
    if (held_ && canWrite_)
        (void)::ftruncate(fd_, 0); // the id must not outlive the hold
    ::close(fd_);                  // closing releases the lock
}

void StoreLock::refuse(int error, const std::string& why)
{
    error_ = error;
    problem_ = shownPath_ + ": cannot be locked: " + why;
}

// Checked before it is opened (opening a device may do something) and again
// on what was opened (it may have been swapped in between); nothing is done
// to a refused file.
bool StoreLock::open(int folder, const std::string& name, const struct stat* storeOwner)
{
    struct stat found
    {
    };
    const bool existed = ::fstatat(folder, name.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existed && errno != ENOENT) {
        refuse(errno, std::strerror(errno));
        return false;
    }
    if (existed) {
        if (auto why = unusableLock(found, storeOwner)) {
            refuse(EPERM, *why);
            return false;
        }
    }
    const mode_t mode = storeOwner ? ((storeOwner->st_mode & 0666) | 0600) : kDefaultLockMode;
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
    fd_ = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | kFlags, mode);
    canWrite_ = fd_ >= 0;
    // A lock file this user may not write (left by root, say) can still be
    // locked: the lock needs only an open file.
    if (fd_ < 0 && (errno == EACCES || errno == EROFS))
        fd_ = ::openat(folder, name.c_str(), O_RDONLY | kFlags);
    if (fd_ < 0) {
        const int error = errno;
        std::string why = std::strerror(error);
        if (error == EACCES && existed)
            why += " (left by user " + std::to_string(found.st_uid) +
                   ": remove it while no program uses the store)";
        refuse(error, why);
        return false;
    }
    struct stat opened
    {
    };
    if (::fstat(fd_, &opened) != 0 || unusableLock(opened, storeOwner)) {
        ::close(fd_);
        fd_ = -1;
        refuse(EPERM, "it changed while it was opened");
        return false;
    }
    if (storeOwner)
        adoptStoreOwner(fd_, *storeOwner, mode);
    return true;
}

// A waiter blocked in flock() is served in turn as holders release, which
// polling is not: a busy writer would starve the others. The blocking call
// runs in a thread of its own on a second descriptor of the same open file
// (the lock belongs to the open file, so it is this object's once taken);
// when the wait ends first, that thread is left to drop the lock the moment
// it gets it.
void StoreLock::wait(std::chrono::milliseconds wait)
{
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            refuse(errno, std::strerror(errno));
            return;
        }
        if (!waitInTurn(wait))
            return;
    }
    held_ = true;
    if (canWrite_) {
        const std::string id = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd_, 0) == 0)
            (void)::pwrite(fd_, id.data(), id.size(), 0);
    }
}

bool StoreLock::waitInTurn(std::chrono::milliseconds wait)
{
    struct Turn
    {
        std::mutex mutex;
        std::condition_variable changed;
        enum class State
        {
            Waiting,
            Taken,
            Failed,
            GivenUp
        } state = State::Waiting;
        int error = 0;
    };
    using State = Turn::State;
    const int second = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (second < 0) {
        refuse(errno, std::strerror(errno));
        return false;
    }
    auto turn = std::make_shared<Turn>();
    std::thread([turn, second] {
        int result;
        while ((result = ::flock(second, LOCK_EX)) != 0 && errno == EINTR) {
        }
        const int error = result == 0 ? 0 : errno;
        std::lock_guard guard(turn->mutex);
        if (turn->state == State::Waiting) {
            turn->state = result == 0 ? State::Taken : State::Failed;
            turn->error = error;
            turn->changed.notify_all();
        }
        ::close(second); // when given up, the last descriptor: the lock goes
    }).detach();

    std::unique_lock guard(turn->mutex);
    turn->changed.wait_for(guard, wait, [&] { return turn->state != State::Waiting; });
    switch (turn->state) {
    case State::Taken:
        return true;
    case State::Failed:
        refuse(turn->error, std::strerror(turn->error));
        return false;
    default:
        turn->state = State::GivenUp;
        busy_ = true;
        holder_ = readHolder();
        return false;
    }
}

std::optional<pid_t> StoreLock::readHolder() const
{
    char text[32];
    const ssize_t n = ::pread(fd_, text, sizeof text, 0);
    if (n <= 0)
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(text, text + n, pid);
    if (ec != std::errc() || pid <= 0 || end == text)
        return std::nullopt;
    // The id of a holder that was killed stays behind: name only the living.
    if (::kill(pid, 0) != 0 && errno != EPERM)
        return std::nullopt;
    return pid;
}

} // namespace velnet::registry
