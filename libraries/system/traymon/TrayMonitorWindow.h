// SPDX-License-Identifier: MIT
#pragma once

#include "libraries/system/traymon/LinkStatus.h"

#include <QWidget>
#include <vector>

class QLocalServer;
class QSystemTrayIcon;
class QTreeWidget;

namespace velnet::traymon {

// The monitor's top-level window, titled "TRAYMON": hidden until the tray
// icon is clicked, it lists the NICs and their link state. A close request
// on the local socket "TRAYMON.window" of the runtime folder ends the
// program, as closing the window does.
class TrayMonitorWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* kTitle = "TRAYMON";

    explicit TrayMonitorWindow(std::vector<NicLink> nics, QWidget* parent = nullptr);

    // False when another monitor already listens: this one should end.
    bool listen();
    static QString socketPath();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showTrayIcon();
    void onConnection();

    std::vector<NicLink> nics_;
    QTreeWidget* list_;
    QSystemTrayIcon* tray_ = nullptr;
    QLocalServer* server_;
};

} // namespace velnet::traymon
