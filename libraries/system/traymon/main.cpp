// SPDX-License-Identifier: MIT
#include "common/platform/DisplayCheck.h"
#include "libraries/system/traymon/LinkStatus.h"
#include "libraries/system/traymon/TrayMonitorWindow.h"

#include <QApplication>
#include <cstdio>

// traymon [-on | -off]: "-off" (the setting that keeps the monitor from
// starting) ends at once; otherwise the monitor runs until asked to close.
int main(int argc, char* argv[])
{
    // Started without a display (from a shell, over ssh), Qt would abort.
    const velnet::platform::DisplayCheck display(argc, argv, "traymon");
    if (!display.available())
        return 1;
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (QApplication::arguments().contains(QStringLiteral("-off")))
        return 0;

    std::string error;
    velnet::traymon::TrayMonitorWindow window(velnet::traymon::LinkStatus::load(&error));
    if (!error.empty())
        std::fprintf(stderr, "traymon: %s\n", error.c_str());
    if (!window.listen())
        return 0; // a monitor already runs
    return app.exec();
}
