// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/MessageBox.h"

namespace velnet::cardcheck {

// The order of a self-test run on the Diagnostics page: the tests run one
// after another, a failure asks the user whether to abort, retry or go on,
// and a stop request ends the run once the test under way has reported.
// The page starts the workers and shows the results; this class only decides
// what comes next.
class SelfTestRun
{
public:
    enum class Action
    {
        StartTest,  // start test `test` on a worker
        AskFailure, // show the failure text of `result` with Abort/Retry/Ignore
        Finish,     // the run is over: idle buttons, progress back to 0
    };

    struct Next
    {
        Action action = Action::Finish;
        int test = -1;
        int result = 0;
    };

    // A new run over testCount tests (those the library names now).
    Next start(int testCount);

    void requestStop() { stopRequested_ = running_; }
    bool stopRequested() const { return stopRequested_; }

    // Test `test` reported `result` (0 passed, else the id of its failure text).
    Next testFinished(int test, int result);

    // The user's answer to the failure box; a failure text that could not be
    // loaded counts as Abort.
    Next failureAnswered(velnet::ui::Answer answer);

    bool running() const { return running_; }
    int testCount() const { return testCount_; }
    // Progress bar position: test t under way shows t + 1, an idle page 0.
    int progress() const { return running_ ? current_ + 1 : 0; }

private:
    Next startTest(int test);
    Next finish();

    int testCount_ = 0;
    int current_ = 0;
    bool running_ = false;
    bool stopRequested_ = false;
};

} // namespace velnet::cardcheck
