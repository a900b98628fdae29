// SPDX-License-Identifier: MIT
#include "common/registry/FileDescriptor.h"

#include <unistd.h>
#include <utility>

namespace velnet::registry {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int FileDescriptor::release()
{
    return std::exchange(fd_, -1);
}

} // namespace velnet::registry
