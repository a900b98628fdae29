// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <utility>

namespace velnet::cardcheck {

// What a worker hands back to its dialog: the result of its one call, as an
// event whose type is the message number the dialog answers.
template <int Message, class Result> class WorkerDoneEvent : public QEvent
{
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(Message);

    explicit WorkerDoneEvent(Result done) : QEvent(kType), result(std::move(done)) {}

    // `event` as this result, or nullptr when it is another event.
    static const WorkerDoneEvent* from(const QEvent* event)
    {
        return event->type() == kType ? static_cast<const WorkerDoneEvent*>(event) : nullptr;
    }

    const Result result;
};

// Runs `call` on a thread made for it alone and posts what it returned to
// `dialog` as a `DoneEvent`; the UI thread never waits on it. The thread is a
// child of `dialog`, so that waitForWorkers() finds it, and deletes itself
// once it has ended.
template <class DoneEvent, class Call>
QThread* startWorker(QObject* dialog, QThread::Priority priority, Call call)
{
    QThread* worker = QThread::create([dialog, call = std::move(call)] {
        QCoreApplication::postEvent(dialog, new DoneEvent(call()));
    });
    worker->setParent(dialog);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(priority);
    return worker;
}

// Blocks until every worker of `dialog` has ended: only for a dialog that
// goes away while one still runs (the program being ended).
inline void waitForWorkers(QObject* dialog)
{
    for (QThread* worker : dialog->findChildren<QThread*>(Qt::FindDirectChildrenOnly))
        worker->wait();
}

} // namespace velnet::cardcheck
