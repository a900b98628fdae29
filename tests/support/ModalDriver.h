// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace velnet::test {

// The one way tests answer modal dialogs. A click that opens a modal dialog
// returns only once the dialog has closed, so the answer must be queued
// before the click; it runs, with the event loop going, as soon as the
// dialog is the visible active modal widget.

// Runs `action` once on the next modal dialog that `matches` accepts.
void whenShown(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> action);

// ... of class Dialog: for a chain of dialogs where each answer opens the next.
template <class Dialog> void whenShown(std::function<void(Dialog*)> action)
{
    whenShown([](QWidget* w) { return qobject_cast<Dialog*>(w) != nullptr; },
              [action](QWidget* w) { action(qobject_cast<Dialog*>(w)); });
}

// ... whose object name is `objectName` ("FTOLCONS").
void whenShown(const QString& objectName, std::function<void(QDialog*)> action);

// Answers several dialogs of a run as they come up, each class once, in any
// order, and keeps the names of those it answered. A dialog nobody answers
// is rejected after the time limit and fails the test, so a test can never
// hang in a modal loop.
class ModalDriver : public QObject
{
public:
    explicit ModalDriver(int limitMs = 20000);

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

    void onPoll();
    void onTimeout();

    QTimer poll_;
    QTimer watchdog_;
    std::vector<Handler> handlers_;
    QPointer<QWidget> current_;
    QStringList seen_;
    bool timedOut_ = false;
};

} // namespace velnet::test
