// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/Trace.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace velnet::nicsim {

void trace(const std::string& line)
{
    const char* path = std::getenv("NICPORT_TRACE");
    if (!path || !*path)
        return;
    const int fd = ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write per line: lines of several threads or processes never mix.
    const std::string text = line + "\n";
    [[maybe_unused]] const auto written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

} // namespace velnet::nicsim
