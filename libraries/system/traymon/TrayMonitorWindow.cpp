// SPDX-License-Identifier: MIT
#include "libraries/system/traymon/TrayMonitorWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QPainter>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace velnet::traymon {

namespace {

// A small network-card symbol: green while every NIC has its link, red
// otherwise.
QIcon statusIcon(bool allUp)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x4e, 0x8c));
        p.drawRoundedRect(QRectF(1 * u, 3 * u, 14 * u, 8 * u), 1.5 * u, 1.5 * u);
        p.setBrush(QColor(0xd6, 0xe4, 0xf5));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF((3 + 2.5 * i) * u, 5 * u, 1.5 * u, 4 * u));
        p.setBrush(allUp ? QColor(0x2e, 0xa0, 0x43) : QColor(0xd0, 0x31, 0x2d));
        p.drawEllipse(QRectF(9 * u, 9 * u, 6.5 * u, 6.5 * u));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TrayMonitorWindow::TrayMonitorWindow(std::vector<NicLink> nics, QWidget* parent)
    : QWidget(parent), nics_(std::move(nics)), list_(new QTreeWidget(this)),
      server_(new QLocalServer(this))
{
    setWindowTitle(QString::fromLatin1(kTitle));
    const bool allUp =
        std::all_of(nics_.begin(), nics_.end(), [](const NicLink& n) { return n.linkUp; });
    setWindowIcon(statusIcon(allUp));
    list_->setHeaderLabels({tr("Network Interface Card"), tr("Link")});
    list_->setRootIsDecorated(false);
    for (const NicLink& nic : nics_)
        new QTreeWidgetItem(list_, {QString::fromStdString(nic.name),
                                    nic.linkUp ? tr("Connected") : tr("Cable unplugged")});
    list_->resizeColumnToContents(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    resize(420, 160);
    connect(server_, &QLocalServer::newConnection, this, &TrayMonitorWindow::onConnection);
    showTrayIcon();
}

QString TrayMonitorWindow::socketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + QLatin1String(kTitle) + QStringLiteral(".window");
}

bool TrayMonitorWindow::listen()
{
    QLocalSocket probe;
    probe.connectToServer(socketPath());
    if (probe.waitForConnected(500))
        return false;
    QLocalServer::removeServer(socketPath());
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(socketPath());
}

void TrayMonitorWindow::showTrayIcon()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QString::fromStdString(LinkStatus::summary(nics_)));
    auto* menu = new QMenu(this);
    menu->addAction(tr("&Status"), this, [this] {
        show();
        raise();
        activateWindow();
    });
    menu->addAction(tr("E&xit"), qApp, &QApplication::quit);
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            setVisible(!isVisible());
    });
    tray_->show();
}

void TrayMonitorWindow::onConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == "close\n")
                    QApplication::quit();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}

void TrayMonitorWindow::closeEvent(QCloseEvent* event)
{
    // Without a tray icon the window is the only way back: closing it ends
    // the monitor. With one, closing only hides it.
    if (tray_) {
        hide();
        event->ignore();
        return;
    }
    QApplication::quit();
    event->accept();
}

} // namespace velnet::traymon
