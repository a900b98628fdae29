// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/sheet/EchoMonitor.h"
#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/SheetContext.h"
#include "cardcheck/ui/Worker.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class CEchoTestDlg;
}

namespace velnet::cardcheck {

// The echo test between two computers, in the sender or the responder role.
// The card-type library runs the test on a worker thread while a one-second
// timer polls it for the statistics, the echo state, the echoes received and
// the computer at the other end, and animates the two computers.
class CEchoTestDlg : public QDialog
{
    Q_OBJECT

public:
    enum Role
    {
        Sender = 0,
        Responder = 1
    };

    // What the worker reports when EchoTest has returned (message 1028).
    struct EchoOutcome
    {
        std::uint8_t role;
        std::int32_t result;
    };
    using EchoDoneEvent = WorkerDoneEvent<1028, EchoOutcome>;

    static constexpr std::uint32_t kHelpTopic = 131208;
    static constexpr int kAnimation = 159;

    CEchoTestDlg(int role, SheetContext& context, QWidget* parent = nullptr);
    // A test still running (only when the program goes away in the middle of
    // one) is stopped and waited for, so no worker outlives the dialog.
    ~CEchoTestDlg() override;

    static std::vector<ContextHelp::Entry> helpTable();
    ContextHelp* contextHelp() const { return help_; }

    int role() const { return role_; }
    EchoMonitor::Mode animationMode() const { return monitor_.mode(); }
    int lastReceivedCount() const { return monitor_.lastReceived(); }
    bool running() const { return running_; }

    // The close box and Escape: refused with text 134 while a test runs.
    void reject() override;

protected:
    bool event(QEvent* event) override;

private:
    void OnStart();
    void OnStop();
    void OnClose();
    void OnHelp();
    void OnTimer();
    void OnEchoDone(std::int32_t result);

    void fillStatistics();
    void switchButtons(bool running);
    void showLibraryMessage(std::int32_t id);
    void applyAnimation(EchoMonitor::Mode mode);

    std::unique_ptr<Ui::CEchoTestDlg> ui_;
    SheetContext& context_;
    ContextHelp* help_;
    const int role_;
    EchoMonitor monitor_;
    QTimer timer_;
    bool running_ = false;
    QPointer<QThread> worker_;
};

} // namespace velnet::cardcheck
