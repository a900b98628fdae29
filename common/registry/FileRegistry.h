// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/RegFormat.h"
#include "common/registry/RegTree.h"
#include "common/registry/Registry.h"
#include "common/registry/StoreFile.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace velnet::registry {

class StoreLock;

// The store kept in one .reg text file. Every write goes to a temporary file
// that is flushed and renamed over the store under an advisory lock, after
// re-reading the store when another process changed it, so a crash leaves the
// old file or the new one and no process loses another's writes. A lock held
// by another program longer than the lock wait makes the write fail (Busy).
class FileRegistry : public Registry
{
public:
    explicit FileRegistry(std::string path);

    // VELNET_REGISTRY when set, otherwise the machine's store.
    static std::string defaultPath();

    const std::string& path() const { return path_; }

    Status deleteKey(Root root, std::string_view path) override;
    void beginGroup() override;
    Status commitGroup() override;
    void abandonGroup() override;
    std::string errorText() const override;
    Status checkWritable() override;

    // How long a write waits for another program's lock before it gives up.
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    // Applies a .reg file (including its [-key] and "name"=- deletions) as one group.
    Status importFile(const std::string& file, std::string* error = nullptr);
    // Writes a key and everything under it as a REGEDIT4 file.
    Status exportKey(Root root, std::string_view keyPath, const std::string& file,
                     std::string* error = nullptr);

    // How many times the store file has been rewritten by this object.
    int rewriteCount() const { return rewrites_; }

protected:
    Status openKey(Root root, std::string_view path, Access access) override;
    Status createKey(Root root, std::string_view path, Access access) override;
    std::optional<Value> queryValue(Root root, std::string_view path, std::string_view name,
                                    std::size_t limit) override;
    Status setValue(Root root, std::string_view path, std::string_view name,
                    const Value& value) override;
    Status deleteValue(Root root, std::string_view path, std::string_view name) override;
    std::optional<std::string> enumKey(Root root, std::string_view path,
                                       std::size_t index) override;
    std::optional<std::string> enumValue(Root root, std::string_view path,
                                         std::size_t index) override;

private:
    struct Stamp
    {
        bool exists = false;
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stampOf(const StorePlace& place);
    void forget();
    void refresh();
    void refreshFrom(const StorePlace& place);
    void reload();
    void adoptWritten(std::string bytes, StorePlace& place);
    bool writable();
    bool writable(const StorePlace& place);
    Status change(RegAction action);
    Status writeLocked(const std::vector<RegAction>& actions, bool inTree);
    Status writeInPlace(const std::vector<RegAction>& actions, bool inTree, StorePlace& place);
    Status lockFailure(const StoreLock& lock);
    Status writeFile(StorePlace& place);

    std::string path_;
    StoreFile file_;
    std::chrono::milliseconds lockWait_{5000};
    RegTree tree_;
    Stamp loaded_;
    bool corrupt_ = false;
    std::string error_;      // why the file cannot be read
    std::string writeError_; // why the last write, or check for one, failed
    int groupDepth_ = 0;
    std::vector<RegAction> pending_;
    int rewrites_ = 0;
};

} // namespace velnet::registry
