// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/SelfTestRun.h"

namespace velnet::cardcheck {

using velnet::ui::Answer;

SelfTestRun::Next SelfTestRun::start(int testCount)
{
    testCount_ = testCount > 0 ? testCount : 0;
    stopRequested_ = false;
    if (testCount_ == 0)
        return finish();
    running_ = true;
    return startTest(0);
}

SelfTestRun::Next SelfTestRun::testFinished(int test, int result)
{
    if (!running_ || test != current_)
        return finish();
    if (stopRequested_)
        return finish();
    if (result != 0)
        return Next{Action::AskFailure, test, result};
    return startTest(test + 1);
}

SelfTestRun::Next SelfTestRun::failureAnswered(Answer answer)
{
    if (!running_)
        return finish();
    switch (answer) {
    case Answer::Retry:
        return startTest(current_);
    case Answer::Ignore:
        return startTest(current_ + 1);
    default:
        return finish();
    }
}

SelfTestRun::Next SelfTestRun::startTest(int test)
{
    if (test >= testCount_)
        return finish();
    current_ = test;
    return Next{Action::StartTest, test, 0};
}

SelfTestRun::Next SelfTestRun::finish()
{
    running_ = false;
    stopRequested_ = false;
    current_ = 0;
    return Next{};
}

} // namespace velnet::cardcheck
