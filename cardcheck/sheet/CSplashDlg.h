// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/Worker.h"

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

namespace Ui {
class CSplashDlg;
}

namespace velnet::cardcheck {

// The splash shown while the start-up worker finds the NICs. The worker
// posts its result as a StartupDoneEvent; with a NIC selected the
// splash closes with "OK" and a busy cursor stays up until the General page
// has initialised; otherwise it shows the failure, puts back any driver
// taken off line (offering a restart) and closes with "Cancel".
class CSplashDlg : public QDialog
{
    Q_OBJECT

public:
    // What the start-up worker reports: the number of NICs (message 1029,
    // the first user message number + 5).
    using StartupDoneEvent = WorkerDoneEvent<1029, std::int32_t>;

    explicit CSplashDlg(bool welcomeMode, QWidget* parent = nullptr);
    ~CSplashDlg() override;

    // Runs the splash modally until the worker's result closed it. Unlike
    // exec(), it cannot miss a result that arrives while the window is still
    // being shown: exec() only starts its loop after show() returns, and a
    // dialog closed before that would leave the loop waiting forever.
    int runModal();

    const std::string& errorText() const { return errorText_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override;

private:
    void startWorker();
    void OnStartupDone(std::int32_t count);
    void OnStartupFailed();

    std::unique_ptr<Ui::CSplashDlg> ui_;
    bool welcomeMode_;
    // Written by the worker until it posts its event, read here only after.
    std::string errorText_;
    bool started_ = false;
    bool finished_ = false;
};

} // namespace velnet::cardcheck
