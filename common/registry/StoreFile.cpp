// SPDX-License-Identifier: MIT
#include "common/registry/StoreFile.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <sys/random.h>
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

std::string tooBig(const std::string& path, const char* what)
{
    return path + ": " + what + ": larger than " + kMaxStoreText + ", the most a store may hold";
}

Error unusable(const std::string& path, int error)
{
    return fail(path + ": cannot be read: " + std::strerror(error));
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

// A link someone else may have planted: made by neither root nor this user,
// in a folder that someone other than this user may write. The kernel's own
// rule for links in shared folders, made strict enough for a store that root
// writes.
std::optional<std::string> untrustedLink(const std::string& link, const struct stat& st)
{
    const uid_t me = ::geteuid();
    if (st.st_uid == 0 || st.st_uid == me)
        return std::nullopt;
    struct stat folder
    {
    };
    const bool known = ::stat(directoryOf(link).c_str(), &folder) == 0;
    if (known && folder.st_uid == me && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return std::nullopt;
    return link + " is a symbolic link of user " + std::to_string(st.st_uid) +
           " in a folder that others may write";
}

// "<name>.tmp.<pid>.<16 random hex digits>": nobody can plant the next one.
std::string temporaryName(const std::string& name)
{
    std::array<unsigned char, 8> random{};
    std::size_t got = 0;
    while (got < random.size()) {
        const ssize_t n = ::getrandom(random.data() + got, random.size() - got, 0);
        if (n < 0 && errno != EINTR)
            break;
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = name + kTemporaryInfix + "." + std::to_string(::getpid()) + ".";
    for (unsigned char byte : random) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

int createTemporary(int folder, const std::string& name, mode_t mode, std::string& temp)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = temporaryName(name);
        const int fd = ::openat(folder, temp.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
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

// The folder for what needs more than a path descriptor (listing, flushing).
FileDescriptor openFolder(const StorePlace& place)
{
    if (!place.folder)
        return FileDescriptor();
    return FileDescriptor(::openat(place.folder->get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// "<name>.tmp" of older writers, or "<name>.tmp.<pid>.<...>" whose process is gone.
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

FileResult readOpen(int fd, const std::string& path, std::string& bytes, bool pipesToo)
{
    const FileDescriptor owned(fd);
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return failure(Status::Corrupt, path, "cannot be read", errno);
    if (!S_ISREG(st.st_mode) && !(pipesToo && S_ISFIFO(st.st_mode)))
        return {Status::Corrupt,
                path + ": cannot be read: not a regular file (" + kindOfFile(st.st_mode) + ")"};
    if (S_ISREG(st.st_mode)) {
        if (static_cast<std::uint64_t>(st.st_size) > kMaxStoreBytes)
            return {Status::Corrupt, tooBig(path, "cannot be read")};
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    }
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            bytes.clear();
            return failure(Status::Corrupt, path, "cannot be read", error);
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
        if (bytes.size() > kMaxStoreBytes) {
            bytes.clear();
            return {Status::Corrupt, tooBig(path, "cannot be read")};
        }
    }
    return {};
}

} // namespace

const char* kindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISFIFO(mode))
        return "a pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a plain file";
}

StoreFile::StoreFile(std::string path) : path_(std::move(path)) {}

Result<StorePlace> StoreFile::locate() const
{
    std::string current = path_;
    for (int hop = 0;; ++hop) {
        struct stat st
        {
        };
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT)
                break;
            return unusable(path_, errno);
        }
        if (!S_ISLNK(st.st_mode))
            break;
        if (hop == kMaxLinkHops)
            return unusable(path_, ELOOP);
        if (auto planted = untrustedLink(current, st))
            return fail(path_ + ": cannot be used: " + *planted);
        std::array<char, PATH_MAX> link{};
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size() - 1);
        if (n <= 0)
            return unusable(path_, n < 0 ? errno : ENOENT);
        std::string next(link.data(), static_cast<std::size_t>(n));
        current = next.front() == '/' ? next : directoryOf(current) + "/" + next;
    }
    // The kernel also counts the links of the folders on the way.
    struct stat st
    {
    };
    if (::stat(path_.c_str(), &st) != 0 && errno != ENOENT)
        return unusable(path_, errno);

    StorePlace place;
    place.folderPath = directoryOf(current);
    place.name = baseNameOf(current);
    place.file = current;
    const int folder = ::open(place.folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        if (errno == ENOENT)
            return place; // no folder, no store
        return unusable(path_, errno);
    }
    place.folder = std::make_shared<FileDescriptor>(folder);
    // A link found at the end now was swapped in while the chain was followed.
    if (Outcome seen = restat(place); !seen.ok())
        return fail(seen.error());
    return place;
}

Outcome StoreFile::restat(StorePlace& place) const
{
    place.exists = false;
    if (!place.folder)
        return {};
    if (::fstatat(place.folder->get(), place.name.c_str(), &place.status, AT_SYMLINK_NOFOLLOW) ==
        0) {
        if (S_ISLNK(place.status.st_mode))
            return unusable(path_, ELOOP);
        place.exists = true;
    } else if (errno != ENOENT) {
        return unusable(path_, errno);
    }
    return {};
}

FileResult StoreFile::checkWritable(const StorePlace& place) const
{
    if (!place.folder)
        return writeFailure(path_, ENOENT);
    const int folder = place.folder->get();
    if (place.exists && ::faccessat(folder, place.name.c_str(), W_OK, AT_EACCESS) != 0)
        return writeFailure(path_, errno);
    if (::faccessat(folder, ".", W_OK, AT_EACCESS) != 0)
        return writeFailure(path_, errno);
    return {};
}

FileResult StoreFile::read(const StorePlace& place, std::string& bytes) const
{
    bytes.clear();
    if (!place.folder)
        return failure(Status::Corrupt, path_, "cannot be read", ENOENT);
    // Not blocking in open(): a pipe nobody writes would hold it forever.
    const int fd = ::openat(place.folder->get(), place.name.c_str(),
                            O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return failure(Status::Corrupt, path_, "cannot be read", errno);
    return readOpen(fd, path_, bytes, false);
}

FileResult StoreFile::replace(const StorePlace& place, std::string_view bytes) const
{
    if (bytes.size() > kMaxStoreBytes)
        return {Status::IoError, tooBig(path_, "cannot be written")};
    if (!place.folder)
        return writeFailure(path_, ENOENT);
    const int folder = place.folder->get();
    struct stat old
    {
    };
    bool existed = false;
    if (::fstatat(folder, place.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode))
            return {Status::AccessDenied, path_ + ": cannot be written: it is " +
                                              kindOfFile(old.st_mode) + ", not a plain file"};
        existed = true;
    }
    std::string temp;
    // A new store gets the usual mode (less the umask); an old one its own.
    const int fd = createTemporary(folder, place.name, existed ? 0600 : 0644, temp);
    if (fd < 0)
        return writeFailure(path_, errno);
    if (existed)
        keepOwnerAndMode(fd, old);
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::renameat(folder, temp.c_str(), folder, place.name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(folder, temp.c_str(), 0);
        return writeFailure(path_, error);
    }
    if (const FileDescriptor flush = openFolder(place))
        ::fsync(flush.get());
    return {};
}

void StoreFile::removeStaleTemporaries(const StorePlace& place) const
{
    FileDescriptor listing = openFolder(place);
    if (!listing)
        return;
    DIR* dir = ::fdopendir(listing.get());
    if (!dir)
        return;
    (void)listing.release(); // closedir closes it
    const std::string prefix = place.name + kTemporaryInfix;
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
    return readOpen(fd, path, bytes, pipesToo);
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
