// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/TrayMonitor.h"

#include "common/platform/ProcessLauncher.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velnet::cardcheck {

namespace {
constexpr int kTimeoutMs = 1000;
}

QString TrayMonitor::socketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + QLatin1String(kWindowTitle) + QStringLiteral(".window");
}

bool TrayMonitor::start()
{
    return velnet::platform::processLauncher().start(kProgram, {});
}

bool TrayMonitor::closeIfRunning()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write("close\n");
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

} // namespace velnet::cardcheck
