// SPDX-License-Identifier: MIT
// The echo test between two processes, one in each of two namespaces joined
// by a veth pair, as two computers on one wire would run it.
#include "linux/cfm/CfmEcho.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NamespacePair.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <memory>
#include <regex>
#include <sched.h>
#include <sstream>
#include <thread>
#include <unistd.h>

using velnet::cfmecho::EchoSession;
using velnet::test::ChildProcess;
using velnet::test::NamespacePair;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    std::map<std::string, std::string> fields;

    std::uint64_t operator[](const std::string& key) const
    {
        const auto found = fields.find(key);
        return found == fields.end() ? ~0ULL : std::stoull(found->second);
    }
    std::string text(const std::string& key) const
    {
        const auto found = fields.find(key);
        return found == fields.end() ? "<missing>" : found->second;
    }
};

Figures parseFigures(const std::string& line)
{
    Figures figures;
    std::istringstream words(line);
    std::string word;
    words >> word; // "figures"
    while (words >> word) {
        const auto equals = word.find('=');
        if (equals != std::string::npos)
            figures.fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    // A name may be empty: "responder= sender=".
    for (const char* key : {"responder", "sender"})
        figures.fields.try_emplace(key, "");
    return figures;
}

class Peer
{
public:
    Peer(const std::vector<std::string>& arguments) : process_(arguments) {}

    void expectRunning()
    {
        const auto line = process_.readLine(10s);
        ASSERT_TRUE(line) << "the peer did not start";
        ASSERT_EQ(*line, "running");
    }
    Figures figures()
    {
        process_.writeLine("figures");
        const auto line = process_.readUntil("figures ", 5s);
        return line ? parseFigures(*line) : Figures{};
    }
    void stop() { process_.writeLine("stop"); }
    // The "end ..." line, then the last figures.
    std::string awaitEnd(std::chrono::milliseconds timeout, Figures* last = nullptr)
    {
        const auto end = process_.readUntil("end ", timeout);
        if (!end)
            return "<no end>";
        if (last) {
            const auto line = process_.readUntil("figures ", 5s);
            *last = line ? parseFigures(*line) : Figures{};
        }
        return *end;
    }
    ChildProcess& process() { return process_; }

private:
    ChildProcess process_;
};

class EchoBetweenNamespaces : public ::testing::Test
{
protected:
    std::unique_ptr<Peer> start(const NamespacePair::Side& side, const std::string& role,
                                const std::string& name, std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments{CFM_ECHO_PEER, side.netns, side.interface, role, name};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto peer = std::make_unique<Peer>(arguments);
        peer->expectRunning();
        return peer;
    }

    // Waits until the sender has had `replies` replies.
    void awaitReplies(Peer& sender, std::uint64_t replies)
    {
        const auto deadline = Clock::now() + 10s;
        while (Clock::now() < deadline && sender.figures()["received"] < replies)
            std::this_thread::sleep_for(20ms);
    }

    static void expectSaneRoundTrips(const Figures& f)
    {
        ASSERT_GT(f["samples"], 0u);
        EXPECT_EQ(f["samples"], f["received"]);
        const auto average = f["sum"] / f["samples"];
        EXPECT_GT(f["min"], 0u);
        EXPECT_LE(f["min"], average);
        EXPECT_LE(average, f["max"]);
        EXPECT_LT(f["max"], 1'000'000u); // within the reply timeout
    }

    // Every message the sender counts, the responder counted once at most,
    // and only its replies count: nothing else on the wire adds to either side.
    static void expectMatchingCounts(const Figures& sender, const Figures& responder)
    {
        EXPECT_LE(sender["received"] + sender["lost"], sender["sent"]);
        EXPECT_LE(sender["sent"], sender["received"] + sender["lost"] + 1); // one in flight
        EXPECT_EQ(responder["received"], responder["sent"]);
        EXPECT_LE(responder["received"], sender["sent"]);
        EXPECT_GE(responder["sent"], sender["received"]);
    }

    NamespacePair pair;
};

TEST_F(EchoBetweenNamespaces, ContinuousEchoCountsOnBothSidesUntilStopEndsBoth)
{
    auto responder = start(pair.b(), "respond", "bravo");
    auto sender = start(pair.a(), "send", "alpha", {"--continuous"});
    awaitReplies(*sender, 200);
    const Figures first = sender->figures();
    const Figures firstAnswered = responder->figures();
    std::this_thread::sleep_for(100ms);
    const Figures second = sender->figures();
    const Figures secondAnswered = responder->figures();
    EXPECT_GE(first["received"], 200u);
    EXPECT_GT(second["received"], first["received"]);
    EXPECT_GT(secondAnswered["received"], firstAnswered["received"]);
    EXPECT_EQ(second["state"], 0u);         // Sending
    EXPECT_EQ(secondAnswered["state"], 1u); // Responding

    Figures sent, answered;
    auto asked = Clock::now();
    sender->stop();
    EXPECT_EQ(sender->awaitEnd(2s, &sent), "end ok");
    EXPECT_LT(Clock::now() - asked, 500ms);
    asked = Clock::now();
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(2s, &answered), "end ok");
    EXPECT_LT(Clock::now() - asked, 500ms);

    EXPECT_EQ(sent.text("responder"), "bravo");
    EXPECT_EQ(answered.text("sender"), "alpha");
    EXPECT_EQ(sent["state"], 2u);
    EXPECT_EQ(answered["state"], 2u);
    expectSaneRoundTrips(sent);
    expectMatchingCounts(sent, answered);
}

TEST_F(EchoBetweenNamespaces, BurstWithoutContinuousEndsByItself)
{
    auto responder = start(pair.b(), "respond", "bravo");
    auto sender = start(pair.a(), "send", "alpha");
    Figures sent;
    EXPECT_EQ(sender->awaitEnd(15s, &sent), "end ok");
    EXPECT_EQ(sent["sent"], 10u);
    EXPECT_EQ(sent["received"] + sent["lost"], 10u);
    EXPECT_GT(sent["received"], 0u);
    EXPECT_EQ(sent.text("responder"), "bravo");
    expectSaneRoundTrips(sent);

    Figures answered;
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(2s, &answered), "end ok");
    EXPECT_EQ(answered.text("sender"), "alpha");
    expectMatchingCounts(sent, answered);
}

TEST_F(EchoBetweenNamespaces, BurstThatNobodyAnswersSaysSo)
{
    auto sender = start(pair.a(), "send", "alpha");
    Figures sent;
    EXPECT_EQ(sender->awaitEnd(30s, &sent),
              "end error No computer answered the echo test on " + pair.a().interface + ".");
    EXPECT_EQ(sent["sent"], 10u);
    EXPECT_EQ(sent["lost"], 10u);
    EXPECT_EQ(sent["received"], 0u);
    EXPECT_EQ(sent["samples"], 0u);
    EXPECT_EQ(sent.text("responder"), "");
}

TEST_F(EchoBetweenNamespaces, ForeignFramesAreNeverCounted)
{
    auto responder = start(pair.b(), "respond", "bravo");
    auto sender = start(pair.a(), "send", "alpha", {"--continuous"});
    awaitReplies(*sender, 50);
    // A stranger beside the sender talks to the responder; the responder's own
    // address answers ids nobody asked for, at other levels, with other opcodes.
    auto stranger = start(pair.a(), "inject", "intruder",
                          {"--source", "02:00:00:00:00:99", "--target", pair.b().address});
    auto impostor = start(pair.b(), "inject", "intruder",
                          {"--source", pair.b().address, "--target", pair.a().address});
    // And the sender's own address speaks at other levels.
    auto otherLevels =
        start(pair.a(), "inject", "intruder",
              {"--source", pair.a().address, "--target", pair.b().address, "--other-levels-only"});
    std::this_thread::sleep_for(1500ms);
    for (Peer* injector : {stranger.get(), impostor.get(), otherLevels.get()}) {
        injector->stop();
        const auto injected = injector->process().readUntil("injected ", 5s);
        ASSERT_TRUE(injected);
        EXPECT_GT(std::stoull(injected->substr(9)), 1000u);
    }
    // The flood may have cost an echo, which waits out its reply timeout.
    const Figures during = sender->figures();
    awaitReplies(*sender, during["received"] + 1);
    EXPECT_GT(sender->figures()["received"], during["received"]) << "the echo went on";

    Figures sent, answered;
    sender->stop();
    EXPECT_EQ(sender->awaitEnd(2s, &sent), "end ok");
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(2s, &answered), "end ok");
    EXPECT_EQ(sent.text("responder"), "bravo");
    EXPECT_EQ(answered.text("sender"), "alpha");
    expectSaneRoundTrips(sent);
    expectMatchingCounts(sent, answered);
}

TEST_F(EchoBetweenNamespaces, PassingSendErrorsAndALinkDownLoseEchoesButEndNothing)
{
    auto responder = start(pair.b(), "respond", "bravo");
    auto sender = start(pair.a(), "send", "alpha", {"--continuous"});
    awaitReplies(*sender, 50);
    const auto run = [](const NamespacePair::Side& side, std::vector<std::string> command) {
        ASSERT_EQ(NamespacePair::runIn(side.netns, command), 0) << command[0] << " " << command[1];
    };
    // A queue that takes nothing: every send fails with ENOBUFS, as when a
    // link on the way goes down.
    const std::string a = pair.a().interface;
    run(pair.a(), {"tc", "qdisc", "add", "dev", a, "root", "pfifo", "limit", "0"});
    std::this_thread::sleep_for(2500ms);
    run(pair.a(), {"tc", "qdisc", "del", "dev", a, "root"});
    const Figures full = sender->figures();
    awaitReplies(*sender, full["received"] + 20);
    // The responder's own link goes down and comes back.
    const std::string b = pair.b().interface;
    run(pair.b(), {"ip", "link", "set", b, "down"});
    std::this_thread::sleep_for(2500ms);
    run(pair.b(), {"ip", "link", "set", b, "up"});
    const Figures down = sender->figures();
    awaitReplies(*sender, down["received"] + 20);

    Figures sent, answered;
    sender->stop();
    EXPECT_EQ(sender->awaitEnd(3s, &sent), "end ok");
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(3s, &answered), "end ok");
    EXPECT_GE(full["lost"], 2u) << "echoes the queue refused count as lost";
    EXPECT_GE(down["lost"], full["lost"] + 2)
        << "echoes sent while the link was down count as lost";
    EXPECT_GE(sent["received"], down["received"] + 20) << "the echo went on once the link was back";
    expectMatchingCounts(sent, answered);
}

// A message with a Data TLV of `data` bytes and an organisation-specific TLV,
// named "probe", as the peer's probe sends it; the reply is as long.
std::string probeReply(std::size_t data)
{
    const std::size_t length = 14 + 8 + (3 + 2 + 5) + (3 + data) + 7 + 1;
    return "reply " + std::to_string(length) + " 2";
}

TEST_F(EchoBetweenNamespaces, ReplyCarriesTheMessagesTlvsBackUpToTheLinksMtu)
{
    auto responder = start(pair.b(), "respond", "bravo");
    const auto probe = [this](std::size_t data) {
        ChildProcess process({CFM_ECHO_PEER, pair.a().netns, pair.a().interface, "probe",
                              "--target", pair.b().address, "--data", std::to_string(data)});
        return process.readLine(10s).value_or("<nothing>");
    };
    EXPECT_EQ(probe(1400), probeReply(1400));
    for (const auto* side : {&pair.a(), &pair.b()})
        ASSERT_EQ(NamespacePair::runIn(side->netns,
                                       {"ip", "link", "set", side->interface, "mtu", "9000"}),
                  0);
    // A responder reads the link's MTU when its run starts.
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(3s), "end ok");
    responder = start(pair.b(), "respond", "bravo");
    EXPECT_EQ(probe(3000), probeReply(3000));
    EXPECT_EQ(probe(8900), probeReply(8900));
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(3s), "end ok");
}

struct CapturedFrame
{
    std::string source;
    std::string destination;
    std::string kind; // "Message" or "Reply"
    std::string transactionId;
    std::string name;
};

// Reads `tcpdump -v -e` of CFM loopback frames: its own decoding of each
// frame, and the transaction id as the first four bytes of the PDU it dumps.
std::vector<CapturedFrame> readCapture(const std::string& text)
{
    static const std::regex header(
        R"(([0-9a-f:]{17}) > ([0-9a-f:]{17}), ethertype CFM \(0x8902\).*CFMv0 Loopback (Message|Reply), MD Level 7)");
    static const std::regex firstDump(R"(0x0000:\s+([0-9a-f]{4}) ([0-9a-f]{4}))");
    static const std::regex chassis(
        R"(Chassis-ID Type Locally assigned \(7\), Chassis-ID length \d+(\S+))");
    std::vector<CapturedFrame> frames;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, match, header))
            frames.push_back({match[1], match[2], match[3], "", ""});
        else if (!frames.empty() && frames.back().transactionId.empty() &&
                 std::regex_search(line, match, firstDump))
            frames.back().transactionId = std::string(match[1]) + std::string(match[2]);
        else if (!frames.empty() && std::regex_search(line, match, chassis))
            frames.back().name = match[1];
    }
    return frames;
}

TEST_F(EchoBetweenNamespaces, CaptureShowsLoopbackMessagesAndRepliesWithMatchingIds)
{
    const std::string file = "/tmp/" + pair.b().netns + ".pcap";
    struct RemoveFile
    {
        const std::string& path;
        ~RemoveFile() { std::remove(path.c_str()); }
    } removeCapture{file};
    auto responder = start(pair.b(), "respond", "bravo");
    ChildProcess capture({"ip", "netns", "exec", pair.b().netns, "tcpdump", "-Z", "root", "-i",
                          pair.b().interface, "--immediate-mode", "-U", "-w", file, "ether",
                          "proto", "0x8902"});
    ASSERT_TRUE(capture.readUntil("tcpdump: listening on", 10s)) << "tcpdump did not start";
    auto sender = start(pair.a(), "send", "alpha");
    EXPECT_EQ(sender->awaitEnd(15s), "end ok");
    responder->stop();
    EXPECT_EQ(responder->awaitEnd(2s), "end ok");
    capture.signal(SIGINT);
    const std::string captureOutput = capture.readRest(5s);
    ASSERT_TRUE(capture.wait(5s));

    std::string decoded;
    ASSERT_EQ(ChildProcess::run({"tcpdump", "-r", file, "-v", "-n", "-e"}, &decoded), 0) << decoded;
    const auto frames = readCapture(decoded);
    ASSERT_EQ(frames.size(), 20u) << captureOutput << decoded;
    const std::string a = pair.a().address;
    const std::string b = pair.b().address;
    for (std::size_t i = 0; i < frames.size(); i += 2) {
        const CapturedFrame& message = frames[i];
        const CapturedFrame& reply = frames[i + 1];
        SCOPED_TRACE("echo " + std::to_string(i / 2));
        EXPECT_EQ(message.kind, "Message");
        EXPECT_EQ(message.source, a);
        // Multicast until the responder is known, then to it alone.
        EXPECT_EQ(message.destination, i == 0 ? "01:80:c2:00:00:37" : b);
        EXPECT_EQ(message.name, "alpha");
        EXPECT_EQ(reply.kind, "Reply");
        EXPECT_EQ(reply.source, b);
        EXPECT_EQ(reply.destination, a);
        EXPECT_EQ(reply.name, "bravo");
        ASSERT_EQ(message.transactionId.size(), 8u);
        EXPECT_EQ(reply.transactionId, message.transactionId);
        if (i > 0) {
            const auto previous = std::stoul(frames[i - 2].transactionId, nullptr, 16);
            EXPECT_EQ(std::stoul(message.transactionId, nullptr, 16), (previous + 1) & 0xFFFFFFFFu);
        }
    }
}

TEST_F(EchoBetweenNamespaces, FailuresSayWhatFailedAndWhy)
{
    // Without CAP_NET_RAW: an ordinary user inside the namespace. Its input
    // stays open, since the end of input would stop the run before it fails.
    ChildProcess unprivileged({"ip", "netns", "exec", pair.a().netns, "setpriv", "--reuid=65534",
                               "--regid=65534", "--clear-groups", "--inh-caps=-all", CFM_ECHO_PEER,
                               "-", pair.a().interface, "send", "alpha"});
    EXPECT_EQ(unprivileged.readUntil("end ", 10s).value_or(""),
              "end error The echo test needs administrator rights (CAP_NET_RAW) to send and "
              "receive frames on " +
                  pair.a().interface + ".");

    ChildProcess missing({CFM_ECHO_PEER, pair.a().netns, "nosuch0", "send", "alpha"});
    EXPECT_EQ(missing.readUntil("end ", 10s).value_or(""),
              "end error The echo test could not find the interface on nosuch0: No such device.");
    ChildProcess unnamed({CFM_ECHO_PEER, pair.a().netns, "", "respond", "alpha"});
    EXPECT_EQ(unnamed.readUntil("end ", 10s).value_or(""),
              "end error No network interface is selected for the echo test.");

    ASSERT_EQ(
        NamespacePair::runIn(pair.a().netns, {"ip", "link", "set", pair.a().interface, "down"}), 0);
    ChildProcess down({CFM_ECHO_PEER, pair.a().netns, pair.a().interface, "send", "alpha"});
    EXPECT_EQ(down.readUntil("end ", 10s).value_or(""),
              "end error The echo test could not send a loopback message on " + pair.a().interface +
                  ": Network is down.");
}

// EchoSession::run on a thread of this process that lives in a namespace of
// the test, as the card-type library's worker would call it.
class RunInNamespace
{
public:
    RunInNamespace(EchoSession& session, const std::string& netns, EchoSession::Role role,
                   bool continuous)
        : thread_([this, &session, netns, role, continuous] {
              const int fd = ::open(("/run/netns/" + netns).c_str(), O_RDONLY | O_CLOEXEC);
              if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0)
                  result_ = "cannot enter " + netns;
              else
                  result_ = session.run(role, continuous);
              if (fd >= 0)
                  ::close(fd);
              ended_ = Clock::now();
          })
    {
    }
    ~RunInNamespace()
    {
        if (thread_.joinable())
            thread_.join();
    }
    // The run's result and when it ended. A run that does not end within
    // `patience` fails the test and is stopped again, so the test goes on.
    std::optional<std::string> join(EchoSession& session, std::chrono::milliseconds patience = 5s)
    {
        const auto deadline = Clock::now() + patience;
        while (session.state() != EchoSession::Idle && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        if (session.state() != EchoSession::Idle) {
            ADD_FAILURE() << "the run did not end";
            while (session.state() != EchoSession::Idle) {
                session.stop();
                std::this_thread::sleep_for(10ms);
            }
        }
        thread_.join();
        return result_;
    }
    Clock::time_point ended() const { return ended_; }

private:
    std::optional<std::string> result_;
    Clock::time_point ended_;
    std::thread thread_;
};

void awaitState(const EchoSession& session, EchoSession::State state)
{
    const auto deadline = Clock::now() + 5s;
    while (session.state() != state && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
}

TEST_F(EchoBetweenNamespaces, StopFromAnotherThreadEndsTheRunAtOnce)
{
    EchoSession session;
    session.setInterface(pair.b().interface);
    session.setComputerName("bravo");
    RunInNamespace run(session, pair.b().netns, EchoSession::Role::Respond, true);
    awaitState(session, EchoSession::Responding);
    std::this_thread::sleep_for(50ms); // well inside its wait for frames
    EXPECT_EQ(session.state(), EchoSession::Responding);
    EXPECT_EQ(session.run(EchoSession::Role::Send, true).value_or("ran"),
              "The echo test is already running.");
    const auto asked = Clock::now();
    session.stop();
    EXPECT_EQ(run.join(session).value_or("ended normally"), "ended normally");
    EXPECT_LT(run.ended() - asked, 100ms);
    EXPECT_EQ(session.state(), EchoSession::Idle);
}

TEST_F(EchoBetweenNamespaces, ClearRightAfterStopStillEndsTheRun)
{
    EchoSession session;
    session.setInterface(pair.b().interface);
    RunInNamespace run(session, pair.b().netns, EchoSession::Role::Respond, true);
    awaitState(session, EchoSession::Responding);
    std::this_thread::sleep_for(50ms);
    const auto asked = Clock::now();
    session.stop();
    session.clear();
    EXPECT_EQ(run.join(session).value_or("ended normally"), "ended normally");
    EXPECT_LT(run.ended() - asked, 100ms);
}

TEST_F(EchoBetweenNamespaces, ClearZeroesTheFiguresAndForgetsTheNames)
{
    auto responder = start(pair.b(), "respond", "bravo");
    EchoSession session;
    session.setInterface(pair.a().interface);
    session.setComputerName("alpha");
    RunInNamespace run(session, pair.a().netns, EchoSession::Role::Send, false);
    EXPECT_EQ(run.join(session).value_or("ended normally"), "ended normally");
    EXPECT_EQ(session.figures().sent, 10u);
    EXPECT_EQ(session.lastResponder(), "bravo");
    session.clear();
    const auto figures = session.figures();
    EXPECT_EQ(figures.sent + figures.received + figures.lost + figures.rttSamples, 0u);
    EXPECT_EQ(figures.rttMinUs + figures.rttMaxUs + figures.rttSumUs, 0u);
    EXPECT_EQ(session.lastResponder(), "");
}

TEST_F(EchoBetweenNamespaces, OnlyEthernetInterfacesCarryTheTest)
{
    EchoSession session;
    session.setInterface("lo"); // the loopback of the test's own namespace
    RunInNamespace run(session, pair.a().netns, EchoSession::Role::Respond, true);
    EXPECT_EQ(run.join(session).value_or("ran"),
              "The echo test needs an Ethernet interface; lo is not one.");
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A peer that ended early fails its test by what it said, not by killing this one.
    std::signal(SIGPIPE, SIG_IGN);
    if (const auto reason = NamespacePair::unavailableReason()) {
        std::cout << "SKIPPED: " << *reason << std::endl;
        return 77;
    }
    return RUN_ALL_TESTS();
}
