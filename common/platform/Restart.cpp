// SPDX-License-Identifier: MIT
#include "common/platform/Restart.h"

#include <QProcess>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velnet::platform {

namespace {
Restart* installed = nullptr;
}

bool SystemRestart::disabledByEnvironment()
{
    const char* value = std::getenv("VELNET_NO_RESTART");
    return value && std::strcmp(value, "1") == 0;
}

Restart::Result SystemRestart::reboot()
{
    if (disabledByEnvironment()) {
        std::fprintf(stderr, "restart requested; not restarting (VELNET_NO_RESTART=1)\n");
        return Result::Skipped;
    }
    const bool started =
        QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("reboot")});
    return started ? Result::Requested : Result::Failed;
}

Restart& restart()
{
    static SystemRestart system;
    return installed ? *installed : system;
}

Restart* setRestart(Restart* service)
{
    Restart* previous = installed;
    installed = service;
    return previous;
}

} // namespace velnet::platform
