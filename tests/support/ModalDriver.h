// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>
#include <functional>
#include <vector>

namespace velnet::test {

// Answers modal dialogs as they come up: for each dialog class a test names,
// the action runs once the dialog is the active modal widget. A dialog that
// nobody answers is rejected after the time limit and fails the test, so a
// test can never hang in a modal loop.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(int limitMs = 20000)
    {
        connect(&poll_, &QTimer::timeout, this, [this] { onPoll(); });
        poll_.start(10);
        watchdog_.setSingleShot(true);
        connect(&watchdog_, &QTimer::timeout, this, [this] { onTimeout(); });
        watchdog_.start(limitMs);
    }

    template <class Dialog> void when(std::function<void(Dialog*)> action)
    {
        handlers_.push_back({[](QWidget* w) { return qobject_cast<Dialog*>(w) != nullptr; },
                             [action](QWidget* w) { action(qobject_cast<Dialog*>(w)); }, false});
    }

    // Dialogs that came up and were answered, by class name.
    const QStringList& seen() const { return seen_; }
    bool timedOut() const { return timedOut_; }

private:
    struct Handler
    {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> run;
        bool done;
    };

    void onPoll()
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

    void onTimeout()
    {
        timedOut_ = true;
        for (int i = 0; i < 10; ++i) {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                break;
            QTest::qFail(
                qPrintable(QStringLiteral("no answer for %1")
                               .arg(QString::fromLatin1(dialog->metaObject()->className()))),
                __FILE__, __LINE__);
            dialog->done(QDialog::Rejected);
            QCoreApplication::processEvents();
        }
    }

    QTimer poll_;
    QTimer watchdog_;
    std::vector<Handler> handlers_;
    QPointer<QWidget> current_;
    QStringList seen_;
    bool timedOut_ = false;
};

// Runs `action` once, when a visible modal dialog of class Dialog is the
// active modal widget: the one-dialog form of ModalDriver, for a chain of
// dialogs where each answer opens the next. It must be set up before the
// click that opens the dialog, since that click returns only when the dialog
// has closed.
template <class Dialog> void whenShown(std::function<void(Dialog*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
    });
    timer->start();
}

} // namespace velnet::test
