// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"
#include "common/registry/FileDescriptor.h"
#include "common/registry/Registry.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace velnet::registry {

// The most a store file may hold: a bigger one is refused, on reading and on
// writing, rather than let one file take the machine's memory.
constexpr std::size_t kMaxStoreBytes = std::size_t{128} << 20;
constexpr const char* kMaxStoreText = "128 MiB";

// "a folder", "a device", ... for a file that is not a plain one.
const char* kindOfFile(mode_t mode);

// What a file operation came to: the status the store reports and, when it
// failed, the reason for the user ("<file>: cannot be written: <system's reason>").
struct FileResult
{
    Status status = Status::Success;
    std::string error;

    bool ok() const { return status == Status::Success; }
};

// Where the store is: its folder, held open so that nobody can swap the folder
// between a check and a write, and its name in it, after links.
struct StorePlace
{
    std::shared_ptr<FileDescriptor> folder; // empty when the folder does not exist
    std::string folderPath;
    std::string name;
    std::string file; // the folder and the name, as the links spelt them
    bool exists = false;
    struct stat status
    {
    };
};

// The store's file as the system sees it. A store that is a symbolic link
// stays one: writes replace the file it points to. Links are followed only as
// far as the kernel follows them, and only when they are to be trusted: a
// link in a folder that others may write, made by someone who is neither root
// nor the one using the store, is refused (a planted link would otherwise
// make root read or write any file).
class StoreFile
{
public:
    explicit StoreFile(std::string path);

    const std::string& path() const { return path_; }

    // Follows the path's links to the store's folder and name; fails with the
    // reason for anything but "does not exist".
    Result<StorePlace> locate() const;

    // Looks at the store's name in its folder again (its stat, or that it is
    // gone), as a writer does once it holds the lock.
    Outcome restat(StorePlace& place) const;

    // Whether the file (when it exists) and its folder may be written now.
    FileResult checkWritable(const StorePlace& place) const;

    // Reads the store whole: a regular file of at most kMaxStoreBytes.
    FileResult read(const StorePlace& place, std::string& bytes) const;

    // Replaces the file by `bytes` through a temporary file of an unguessable
    // name beside it, flushed and renamed over it, with the old file's owner,
    // group and mode. The caller holds the store's lock.
    FileResult replace(const StorePlace& place, std::string_view bytes) const;

    // Removes temporary files left by writers killed while writing. Only a
    // holder of the lock may call it: no live writer has one open then.
    void removeStaleTemporaries(const StorePlace& place) const;

    // Reads a regular file whole; `pipesToo` also lets a pipe be read. Folders,
    // devices and the rest are refused before any read: a device may never
    // end and a pipe may never be opened by a writer.
    static FileResult read(const std::string& path, std::string& bytes, bool pipesToo = false);

    // Writes `bytes` to `path` in place, as an export does.
    static FileResult write(const std::string& path, std::string_view bytes);

private:
    std::string path_;
};

} // namespace velnet::registry
