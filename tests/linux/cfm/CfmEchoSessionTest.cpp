// SPDX-License-Identifier: MIT
// What EchoSession does before it touches any NIC: these runs never open a
// socket, so they need no namespace and no privilege.
#include "linux/cfm/CfmEcho.h"

#include <chrono>
#include <gtest/gtest.h>

using velnet::cfmecho::EchoSession;
using namespace std::chrono_literals;

namespace {

constexpr auto kNoInterface = "No network interface is selected for the echo test.";

} // namespace

TEST(EchoSession, NewSessionIsIdleWithNothingCounted)
{
    EchoSession session;
    EXPECT_EQ(session.state(), EchoSession::Idle);
    const auto figures = session.figures();
    EXPECT_EQ(figures.sent, 0u);
    EXPECT_EQ(figures.received, 0u);
    EXPECT_EQ(figures.lost, 0u);
    EXPECT_EQ(figures.rttSamples, 0u);
    EXPECT_EQ(session.lastResponder(), "");
    EXPECT_EQ(session.lastSender(), "");
}

TEST(EchoSession, RunWithoutInterfaceSaysNoneIsSelected)
{
    EchoSession session;
    EXPECT_EQ(session.run(EchoSession::Role::Send, false).value_or("ended normally"), kNoInterface);
    EXPECT_EQ(session.run(EchoSession::Role::Respond, true).value_or("ended normally"),
              kNoInterface);
    EXPECT_EQ(session.state(), EchoSession::Idle);
}

TEST(EchoSession, StopJustBeforeRunEndsThatRunAtOnce)
{
    EchoSession session;
    session.stop();
    const auto start = std::chrono::steady_clock::now();
    // Without the pending stop this run would fail for want of an interface.
    EXPECT_FALSE(session.run(EchoSession::Role::Send, true));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    // The run took the stop: the next one runs (and fails) again.
    EXPECT_EQ(session.run(EchoSession::Role::Respond, true).value_or("ended normally"),
              kNoInterface);
}

TEST(EchoSession, ClearForgetsAPendingStop)
{
    EchoSession session;
    session.stop();
    session.clear();
    EXPECT_EQ(session.run(EchoSession::Role::Send, true).value_or("ended normally"), kNoInterface);
}

TEST(EchoSession, StopsBeforeTheRunAreOneStop)
{
    EchoSession session;
    session.stop();
    session.stop();
    EXPECT_FALSE(session.run(EchoSession::Role::Respond, true));
    EXPECT_EQ(session.run(EchoSession::Role::Respond, true).value_or("ended normally"),
              kNoInterface);
}
