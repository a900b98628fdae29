// SPDX-License-Identifier: MIT
#include "common/platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace velnet::platform {

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kRaiseRequest = "raise\n";

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), folder_(runtimeFolder()), name_(name)
{
}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
}

QString SingleInstance::lockFilePath() const
{
    return folder_ + QLatin1Char('/') + name_ + QStringLiteral(".lock");
}

QString SingleInstance::socketPath() const
{
    return folder_ + QLatin1Char('/') + name_ + QStringLiteral(".socket");
}

bool SingleInstance::start()
{
    lock_ = std::make_unique<QLockFile>(lockFilePath());
    // A running copy's lock never ages into a stale one; a lock whose owner
    // is gone is recognised by its process id and taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        askRunningCopyToRaise();
        return false;
    }
    server_ = new QLocalServer(this);
    // Only a copy that died without cleaning up leaves the socket behind.
    QLocalServer::removeServer(socketPath());
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    server_->listen(socketPath());
    return true;
}

void SingleInstance::askRunningCopyToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return;
    socket.write(kRaiseRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == kRaiseRequest)
                    emit raiseRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}

} // namespace velnet::platform
