// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/EchoMonitor.h"

#include <climits>
#include <gtest/gtest.h>

using velnet::cardcheck::EchoMonitor;
using Label = EchoMonitor::Label;
using Mode = EchoMonitor::Mode;

TEST(EchoMonitorTest, CountTextIsDecimalAndAnythingElseIsZero)
{
    EXPECT_EQ(EchoMonitor::parseCount("0"), 0);
    EXPECT_EQ(EchoMonitor::parseCount("17"), 17);
    EXPECT_EQ(EchoMonitor::parseCount(" 42"), 42);
    EXPECT_EQ(EchoMonitor::parseCount("12 echoes"), 12);
    EXPECT_EQ(EchoMonitor::parseCount(""), 0);
    EXPECT_EQ(EchoMonitor::parseCount("many"), 0);
    EXPECT_EQ(EchoMonitor::parseCount("-"), 0);
    EXPECT_EQ(EchoMonitor::parseCount("4294967295"), INT_MAX);
    EXPECT_EQ(EchoMonitor::parseCount("99999999999999999999999"), INT_MAX);
}

TEST(EchoMonitorTest, SenderWithoutEchoesShowsPacketsLeavingThenTheRoundTrip)
{
    EchoMonitor m;
    EXPECT_TRUE(EchoMonitor::needsCount(EchoMonitor::Sending));

    auto step = m.tick(EchoMonitor::Sending, "0");
    EXPECT_EQ(step.label, Label::Right);
    EXPECT_EQ(step.animation, Mode::ShortLoop);

    // Still no echo: keep the short loop running, do not restart it.
    step = m.tick(EchoMonitor::Sending, "0");
    EXPECT_EQ(step.label, Label::Right);
    EXPECT_FALSE(step.animation.has_value());
    EXPECT_EQ(m.mode(), Mode::ShortLoop);

    step = m.tick(EchoMonitor::Sending, "3");
    EXPECT_EQ(step.animation, Mode::FullLoop);
    EXPECT_EQ(m.lastReceived(), 3);

    step = m.tick(EchoMonitor::Sending, "9");
    EXPECT_FALSE(step.animation.has_value());
    EXPECT_EQ(m.mode(), Mode::FullLoop);

    // The echoes stop coming back: back to packets leaving only.
    step = m.tick(EchoMonitor::Sending, "9");
    EXPECT_EQ(step.animation, Mode::ShortLoop);
}

TEST(EchoMonitorTest, ResponderAnimatesOnlyWhileEchoesArrive)
{
    EchoMonitor m;
    auto step = m.tick(EchoMonitor::Responding, "0");
    EXPECT_EQ(step.label, Label::Left);
    EXPECT_FALSE(step.animation.has_value()) << "already still";

    step = m.tick(EchoMonitor::Responding, "5");
    EXPECT_EQ(step.animation, Mode::FullLoop);

    step = m.tick(EchoMonitor::Responding, "5");
    EXPECT_EQ(step.label, Label::Left);
    EXPECT_EQ(step.animation, Mode::Still);
    EXPECT_EQ(m.mode(), Mode::Still);
}

TEST(EchoMonitorTest, IdleStopsTheAnimationAndLeavesLabelsAndCount)
{
    EchoMonitor m;
    m.tick(EchoMonitor::Sending, "4");
    ASSERT_EQ(m.mode(), Mode::FullLoop);

    EXPECT_FALSE(EchoMonitor::needsCount(EchoMonitor::Idle));
    auto step = m.tick(EchoMonitor::Idle);
    EXPECT_EQ(step.label, Label::None);
    EXPECT_EQ(step.animation, Mode::Still);
    EXPECT_EQ(m.lastReceived(), 4);

    step = m.tick(EchoMonitor::Idle);
    EXPECT_FALSE(step.animation.has_value());
}

TEST(EchoMonitorTest, UnknownStateChangesNothing)
{
    EchoMonitor m;
    m.tick(EchoMonitor::Sending, "0");
    for (int state : {3, 255, -1}) {
        EXPECT_FALSE(EchoMonitor::needsCount(state));
        const auto step = m.tick(state, "50");
        EXPECT_EQ(step.label, Label::None) << state;
        EXPECT_FALSE(step.animation.has_value()) << state;
        EXPECT_EQ(m.mode(), Mode::ShortLoop);
        EXPECT_EQ(m.lastReceived(), 0);
    }
}

TEST(EchoMonitorTest, ANonNumericCountNeverLooksLikeNewEchoes)
{
    EchoMonitor m;
    m.tick(EchoMonitor::Sending, "7");
    const auto step = m.tick(EchoMonitor::Sending, "n/a");
    EXPECT_EQ(step.animation, Mode::ShortLoop);
    EXPECT_EQ(m.lastReceived(), 0);
}
