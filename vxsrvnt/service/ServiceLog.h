// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::vxsrvnt {

// Lines for the journal: with systemd's stderr stream the priority goes in
// front as "<N>"; by hand they read "vxsrvnt: ...".
class ServiceLog
{
public:
    enum Priority
    {
        Error = 3,
        Warning = 4,
        Notice = 5,
        Info = 6,
    };
    static void write(Priority priority, const std::string& text);
};

} // namespace velnet::vxsrvnt
