// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <string>
#include <string_view>

namespace velnet::registry {

// What a file operation came to: the status the store reports and, when it
// failed, the reason for the user ("<file>: cannot be written: <system's reason>").
struct FileResult
{
    Status status = Status::Success;
    std::string error;

    bool ok() const { return status == Status::Success; }
};

// The store's file as the system sees it. A store that is a symbolic link
// stays one: writes replace the file it points to.
class StoreFile
{
public:
    explicit StoreFile(std::string path);

    const std::string& path() const { return path_; }
    // The path with its symbolic links followed, even to a file not made yet.
    std::string target() const;
    std::string lockPath() const { return target() + ".lock"; }

    // Whether the file (when it exists) and its folder may be written now.
    FileResult checkWritable() const;

    // Replaces the file by `bytes` through a temporary file of this writer
    // beside it, flushed and renamed over it, with the old file's owner, group
    // and mode. The caller holds the store's lock.
    FileResult replace(std::string_view bytes) const;

    // Removes temporary files left by writers killed while writing. Only a
    // holder of the lock may call it: no live writer has one open then.
    void removeStaleTemporaries() const;

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
