// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/SelfTestRun.h"

#include <gtest/gtest.h>

using velnet::cardcheck::SelfTestRun;
using velnet::ui::Answer;
using Action = SelfTestRun::Action;

namespace {

void expectStart(const SelfTestRun::Next& next, int test)
{
    EXPECT_EQ(next.action, Action::StartTest);
    EXPECT_EQ(next.test, test);
}

} // namespace

TEST(SelfTestRunTest, NoTestsFinishesAtOnceWithProgressZero)
{
    SelfTestRun run;
    EXPECT_EQ(run.start(0).action, Action::Finish);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.progress(), 0);
}

TEST(SelfTestRunTest, PassingTestsRunInOrderWithProgress)
{
    SelfTestRun run;
    expectStart(run.start(3), 0);
    EXPECT_EQ(run.progress(), 1);
    expectStart(run.testFinished(0, 0), 1);
    EXPECT_EQ(run.progress(), 2);
    expectStart(run.testFinished(1, 0), 2);
    EXPECT_EQ(run.progress(), 3);
    EXPECT_EQ(run.testFinished(2, 0).action, Action::Finish);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.progress(), 0);
}

TEST(SelfTestRunTest, FailureAsksAndTheAnswerDecides)
{
    SelfTestRun run;
    run.start(3);
    run.testFinished(0, 0);
    auto next = run.testFinished(1, 204);
    EXPECT_EQ(next.action, Action::AskFailure);
    EXPECT_EQ(next.test, 1);
    EXPECT_EQ(next.result, 204);
    EXPECT_TRUE(run.running());

    // Retry stays on the failed test, Ignore goes on with the next one.
    expectStart(run.failureAnswered(Answer::Retry), 1);
    EXPECT_EQ(run.testFinished(1, 204).action, Action::AskFailure);
    expectStart(run.failureAnswered(Answer::Ignore), 2);
    EXPECT_EQ(run.progress(), 3);

    // A failure of the last test, ignored, completes the run.
    EXPECT_EQ(run.testFinished(2, 5).action, Action::AskFailure);
    EXPECT_EQ(run.failureAnswered(Answer::Ignore).action, Action::Finish);
    EXPECT_FALSE(run.running());
}

TEST(SelfTestRunTest, AbortOrAnUnloadableTextEndsTheRun)
{
    SelfTestRun run;
    run.start(2);
    run.testFinished(0, 9);
    EXPECT_EQ(run.failureAnswered(Answer::Abort).action, Action::Finish);
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.progress(), 0);
}

TEST(SelfTestRunTest, StopLetsTheCurrentTestReportThenEnds)
{
    SelfTestRun run;
    run.start(3);
    run.testFinished(0, 0);
    run.requestStop();
    EXPECT_TRUE(run.stopRequested());
    // Even a failure is not asked about once a stop was requested.
    EXPECT_EQ(run.testFinished(1, 77).action, Action::Finish);
    EXPECT_FALSE(run.stopRequested());
    EXPECT_FALSE(run.running());

    // A new run starts without the old request.
    expectStart(run.start(3), 0);
    EXPECT_FALSE(run.stopRequested());
}

TEST(SelfTestRunTest, StopWhileIdleIsNotRemembered)
{
    SelfTestRun run;
    run.requestStop();
    EXPECT_FALSE(run.stopRequested());
}
