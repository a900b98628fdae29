// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/StoreWatcher.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velnet::vxsrvnt {

namespace fs = std::filesystem;

StoreWatcher::StoreWatcher(const std::string& storePath)
{
    std::error_code error;
    fs::path target = fs::weakly_canonical(fs::absolute(storePath, error), error);
    if (error)
        target = storePath;
    target_ = target.string();
    folder_ = target.parent_path().string();
    name_ = target.filename().string();
}

StoreWatcher::~StoreWatcher()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Outcome StoreWatcher::start()
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return fail(std::string("cannot watch the store: inotify: ") + std::strerror(errno));
    const std::uint32_t events =
        IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;
    if (::inotify_add_watch(fd_, folder_.c_str(), events) < 0)
        return fail("cannot watch " + folder_ + ": " + std::strerror(errno));
    return {};
}

bool StoreWatcher::storeChanged()
{
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            if (event->len > 0 && name_ == event->name)
                changed = true;
            // A lost event (queue overflow) may have been the store's.
            if (event->mask & IN_Q_OVERFLOW)
                changed = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

StoreWatcher::Stamp StoreWatcher::stamp() const
{
    struct stat st
    {
    };
    if (::stat(target_.c_str(), &st) != 0)
        return {};
    return {st.st_ino, st.st_size,
            static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

} // namespace velnet::vxsrvnt
