// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/sheet/SelfTestRun.h"
#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/PropertyPage.h"
#include "cardcheck/ui/SheetContext.h"
#include "cardcheck/ui/Worker.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class CDiagnosticsPage;
}

namespace velnet::cardcheck {

// The "Diagnostics" page: the self tests of the selected NIC's card-type
// library, run one after another, each on a worker thread of its own, and
// the two roles of the echo test. While a run goes on the page cannot be
// left and the sheet cannot be closed.
class CDiagnosticsPage : public PropertyPage
{
    Q_OBJECT

public:
    // What a test's worker reports when RunTest has returned (message 1027).
    struct TestOutcome
    {
        std::int32_t test;
        std::int32_t result;
    };
    using TestDoneEvent = WorkerDoneEvent<1027, TestOutcome>;

    explicit CDiagnosticsPage(SheetContext& context, QWidget* parent = nullptr);
    ~CDiagnosticsPage() override;

    // Blocks until the test under way, if any, has returned. Only for a
    // sheet that goes away in the middle of a run (the program being ended):
    // no worker may outlive the page it reports to, nor call into a library
    // that is about to be freed.
    void waitForTest();

    static std::vector<ContextHelp::Entry> helpTable();
    ContextHelp* contextHelp() const { return help_; }
    bool running() const { return run_.running(); }

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnKillActive() override;
    bool OnQueryCancel() override;

protected:
    bool event(QEvent* event) override;

private:
    void OnStart();
    void OnStop();
    void OnSend();
    void OnRespond();
    void OnTestDone(std::int32_t test, std::int32_t result);

    void follow(SelfTestRun::Next next);
    void startTest(int test);
    // The library's failure text in an Abort/Retry/Ignore box; Abort when
    // the text does not load.
    velnet::ui::Answer askFailure(std::int32_t result);
    void setStatus(int row, const QString& text);
    void switchButtons(bool running);
    bool allowedDuringRun();
    void runEchoTest(int role);

    std::unique_ptr<Ui::CDiagnosticsPage> ui_;
    SheetContext& context_;
    ContextHelp* help_;
    SelfTestRun run_;
};

} // namespace velnet::cardcheck
