// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <string>
#include <sys/types.h>

namespace velnet::vxsrvnt {

// Watches the store's folder with inotify: the store is replaced by a rename
// when anyone writes it (nicsetup, regtool, this service), which a watch on
// the file itself would lose after the first write. A store that is a
// symbolic link is watched where it points.
class StoreWatcher
{
public:
    explicit StoreWatcher(const std::string& storePath);
    StoreWatcher(const StoreWatcher&) = delete;
    StoreWatcher& operator=(const StoreWatcher&) = delete;
    ~StoreWatcher();

    Outcome start();
    int fd() const { return fd_; }

    // Reads the pending events; true when one concerned the store.
    bool storeChanged();

    // The file as it is now, to tell our own writes from others'.
    struct Stamp
    {
        ino_t inode = 0;
        off_t size = 0;
        long long mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const;

private:
    std::string folder_;
    std::string name_;
    std::string target_;
    int fd_ = -1;
};

} // namespace velnet::vxsrvnt
