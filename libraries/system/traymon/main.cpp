// SPDX-License-Identifier: MIT
#include "common/platform/DisplayCheck.h"
#include "libraries/system/traymon/LinkStatus.h"
#include "libraries/system/traymon/TrayMonitorWindow.h"

#include <QApplication>
#include <cstdio>
#include <utility>
#include <vector>

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

    auto nics = velnet::traymon::LinkStatus::load();
    if (!nics)
        std::fprintf(stderr, "traymon: %s\n", nics.error().c_str());
    // A scenario that cannot be used shows no NICs.
    velnet::traymon::TrayMonitorWindow window(nics ? std::move(*nics)
                                                   : std::vector<velnet::traymon::NicLink>{});
    if (!window.listen())
        return 0; // a monitor already runs
    return app.exec();
}
