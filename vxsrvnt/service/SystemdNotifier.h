// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::vxsrvnt {

// Tells systemd how the service is (Type=notify): ready, reloading (with the
// monotonic time systemd 253 and later want), stopping, and a one-line status
// that `systemctl status` shows. Without NOTIFY_SOCKET (started by hand or by
// a test) nothing is sent.
class SystemdNotifier
{
public:
    void ready(const std::string& status);
    void reloading();
    void stopping();
};

} // namespace velnet::vxsrvnt
