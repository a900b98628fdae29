// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/ServiceLog.h"

#include <cstdio>
#include <cstdlib>

namespace velnet::vxsrvnt {

void ServiceLog::write(Priority priority, const std::string& text)
{
    if (std::getenv("JOURNAL_STREAM"))
        std::fprintf(stderr, "<%d>%s\n", static_cast<int>(priority), text.c_str());
    else
        std::fprintf(stderr, "vxsrvnt: %s\n", text.c_str());
    std::fflush(stderr);
}

} // namespace velnet::vxsrvnt
