// SPDX-License-Identifier: MIT
#include "tests/support/ModalDriver.h"

#include <QApplication>
#include <QtTest/QTest>

namespace velnet::test {

void whenShown(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, matches, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !matches(modal))
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

void whenShown(const QString& objectName, std::function<void(QDialog*)> action)
{
    whenShown(
        [objectName](QWidget* w) {
            return qobject_cast<QDialog*>(w) && w->objectName() == objectName;
        },
        [action](QWidget* w) { action(qobject_cast<QDialog*>(w)); });
}

ModalDriver::ModalDriver(int limitMs)
{
    connect(&poll_, &QTimer::timeout, this, [this] { onPoll(); });
    poll_.start(10);
    watchdog_.setSingleShot(true);
    connect(&watchdog_, &QTimer::timeout, this, [this] { onTimeout(); });
    watchdog_.start(limitMs);
}

void ModalDriver::onPoll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == current_)
        return;
    for (Handler& handler : handlers_) {
        if (!handler.done && handler.matches(modal)) {
            handler.done = true;
            current_ = modal;
            seen_ << QString::fromLatin1(modal->metaObject()->className());
            handler.run(modal);
            return;
        }
    }
}

void ModalDriver::onTimeout()
{
    timedOut_ = true;
    for (int i = 0; i < 10; ++i) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            break;
        QTest::qFail(qPrintable(QStringLiteral("no answer for %1")
                                    .arg(QString::fromLatin1(dialog->metaObject()->className()))),
                     __FILE__, __LINE__);
        dialog->done(QDialog::Rejected);
        QCoreApplication::processEvents();
    }
}

} // namespace velnet::test
