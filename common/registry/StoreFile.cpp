// SPDX-License-Identifier: MIT
#include "common/registry/StoreFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velnet::registry {

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel allows
constexpr const char* kTemporaryInfix = ".tmp";

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileResult failure(Status status, const std::string& path, const char* what, int error)
{
    return {status, path + ": " + what + ": " + std::strerror(error)};
}

FileResult writeFailure(const std::string& path, int error)
{
    const bool denied = error == EACCES || error == EPERM || error == EROFS;
    return failure(denied ? Status::AccessDenied : Status::IoError, path, "cannot be written",
                   error);
}

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a plain file";
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A name no other writer uses: this process's id and a count of its own.
int createTemporary(const std::string& target, mode_t mode, std::string& name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + kTemporaryInfix + "." + std::to_string(::getpid()) + "." +
               std::to_string(counter++);
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Root rewriting a store someone else owns must hand it back to them.
void keepOwnerAndMode(int fd, const struct stat& old)
{
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    (void)::fchmod(fd, old.st_mode & 07777); // after the owner: fchown drops set-id bits
}

void syncFolder(const std::string& folder)
{
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

// "<name>.tmp" of older writers, or "<name>.tmp.<pid>.<n>" whose process is gone.
bool isStaleTemporary(std::string_view entry, std::string_view prefix)
{
    if (entry.substr(0, prefix.size()) != prefix)
        return false;
    entry.remove_prefix(prefix.size());
    if (entry.empty())
        return true;
    if (entry.front() != '.')
        return false;
    entry.remove_prefix(1);
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
    if (ec != std::errc() || end == entry.data() || *end != '.' || pid <= 0)
        return false;
    return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

StoreFile::StoreFile(std::string path) : path_(std::move(path)) {}

std::string StoreFile::target() const
{
    std::string current = path_;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st
        {
        };
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::array<char, PATH_MAX> link{};
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
        if (n <= 0)
            return current;
        std::string next(link.data(), static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : directoryOf(current) + "/" + next;
    }
    return current;
}

FileResult StoreFile::checkWritable() const
{
    const std::string file = target();
    if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0)
        return writeFailure(path_, errno);
    if (::access(directoryOf(file).c_str(), W_OK) != 0)
        return writeFailure(path_, errno);
    return {};
}

FileResult StoreFile::replace(std::string_view bytes) const
{
    const std::string file = target();
    struct stat old
    {
    };
    const bool existed = ::stat(file.c_str(), &old) == 0;
    std::string temp;
    // A new store gets the usual mode (less the umask); an old one its own.
    const int fd = createTemporary(file, existed ? 0600 : 0644, temp);
    if (fd < 0)
        return writeFailure(path_, errno);
    if (existed)
        keepOwnerAndMode(fd, old);
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), file.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return writeFailure(path_, error);
    }
    syncFolder(directoryOf(file));
    return {};
}

void StoreFile::removeStaleTemporaries() const
{
    const std::string file = target();
    DIR* dir = ::opendir(directoryOf(file).c_str());
    if (!dir)
        return;
    const std::string prefix = baseNameOf(file) + kTemporaryInfix;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st
        {
        };
        if (isStaleTemporary(entry->d_name, prefix) &&
            ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

FileResult StoreFile::read(const std::string& path, std::string& bytes, bool pipesToo)
{
    bytes.clear();
    // Not blocking in open(): a pipe nobody writes would hold it forever.
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (pipesToo ? 0 : O_NONBLOCK));
    if (fd < 0)
        return failure(Status::Corrupt, path, "cannot be read", errno);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failure(Status::Corrupt, path, "cannot be read", error);
    }
    if (!S_ISREG(st.st_mode) && !(pipesToo && S_ISFIFO(st.st_mode))) {
        ::close(fd);
        return {Status::Corrupt,
                path + ": cannot be read: not a regular file (" + kindOf(st.st_mode) + ")"};
    }
    if (S_ISREG(st.st_mode))
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            bytes.clear();
            return failure(Status::Corrupt, path, "cannot be read", error);
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {};
}

FileResult StoreFile::write(const std::string& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0)
        return writeFailure(path, errno);
    int error = writeAll(fd, bytes) ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return writeFailure(path, error);
    return {};
}

} // namespace velnet::registry
