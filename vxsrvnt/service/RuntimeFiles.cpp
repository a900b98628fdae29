// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/RuntimeFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velnet::vxsrvnt {

RuntimeFiles::RuntimeFiles()
{
    const char* env = std::getenv("VELNET_RUNTIME_DIR");
    dir_ = env && *env ? env : "/run/vxsrvnt";
}

Outcome RuntimeFiles::prepare() const
{
    if (::mkdir(dir_.c_str(), 0755) == 0 || errno == EEXIST)
        return {};
    return fail("cannot make " + dir_ + ": " + std::strerror(errno));
}

ApplyLock::ApplyLock(const RuntimeFiles& files)
{
    if (Outcome ready = files.prepare(); !ready) {
        error_ = ready.error();
        return;
    }
    const std::string path = files.lockFile();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = "cannot open " + path + ": " + std::strerror(errno);
        return;
    }
    // Waits for the other apply: it ends by itself within seconds.
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = "cannot lock " + path + ": " + std::strerror(errno);
            ::close(fd);
            return;
        }
    }
    fd_ = fd;
}

ApplyLock::~ApplyLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace velnet::vxsrvnt
