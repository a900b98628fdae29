// SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace velnet::platform {

// Keeps a program to one running copy per user: a lock file in the runtime
// folder, and a local socket beside it through which a later start asks the
// running copy to show itself. A lock left behind by a copy that crashed is
// taken over, never obeyed.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `name` names the lock file and the socket ("cardcheck").
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy: the lock is held until this object
    // goes away and raise requests arrive as raiseRequested(). False when
    // another copy runs: it has been asked to raise its window.
    bool start();

    QString lockFilePath() const;
    QString socketPath() const;

signals:
    void raiseRequested();

private:
    void askRunningCopyToRaise() const;
    void onNewConnection();

    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace velnet::platform
