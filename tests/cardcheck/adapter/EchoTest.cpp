// SPDX-License-Identifier: MIT
#include "tests/cardcheck/adapter/AdapterTestSupport.h"
#include "tests/support/GTestResponder.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velnet::cardcheck::test {
namespace {

using namespace std::chrono_literals;

// A UDP port on 127.0.0.1 that nobody uses right now.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The responder in a process of its own.
class Peer
{
public:
    Peer(const std::string& scenario, const std::string& result) : result_(result)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string program = CARDCHECK_ECHO_PEER;
        char* argv[] = {program.data(), const_cast<char*>(scenario.c_str()),
                        const_cast<char*>(result.c_str()), nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0)
            throw std::runtime_error("cannot start the echo peer");
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = ::fdopen(out[0], "r");
    }
    ~Peer() { finish(); }

    // Waits for the peer's "ready" line.
    bool ready()
    {
        char line[64] = {};
        return std::fgets(line, sizeof line, stdout_) && std::string(line) == "ready\n";
    }

    // Closes its input: it stops, writes its result and ends.
    std::string finish()
    {
        if (pid_ > 0) {
            ::close(stdin_);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            std::fclose(stdout_);
            pid_ = -1;
        }
        return velnet::test::readFile(result_);
    }

private:
    std::string result_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::FILE* stdout_ = nullptr;
};

class EchoTest : public AdapterTest
{
protected:
    std::string peerScenario(int port)
    {
        const std::string path = temp_.file("peer.json");
        velnet::test::writeFile(path, R"({ "computerName": "RESPONDER-PC", "echo": { "port": )" +
                                          std::to_string(port) +
                                          R"( }, "nics": [ { "type": "VX410" } ] })");
        return path;
    }

    void startSender(int peerPort, const std::string& extra = "")
    {
        useScenarioText(R"({ "computerName": "SENDER-PC", "echo": { "peer": "127.0.0.1:)" +
                        std::to_string(peerPort) + R"(", "intervalMs": 20)" + extra +
                        R"( }, "nics": [ { "type": "VX410" } ] })");
        std::string error;
        ASSERT_EQ(discover(error), 1) << error;
        std::string message;
        ASSERT_EQ(adapter().select(0, message), 1);
        adapter().ClearStats();
    }

    // Polls like the echo dialog's timer until `done` or 10 seconds pass.
    template <typename Done> bool pollUntil(Done done)
    {
        for (auto end = std::chrono::steady_clock::now() + 10s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(20ms)) {
            for (std::int32_t i = 0; adapter().StatisticsValue(i); ++i) {
            }
            adapter().LastEchoResponder();
            adapter().LastEchoSender();
            if (done())
                return true;
        }
        return false;
    }
};

TEST_F(EchoTest, SenderAndResponderInTwoProcessesExchangeEchoesUntilStopped)
{
    const int responderPort = freePort();
    Peer peer(peerScenario(responderPort), temp_.file("peer-result.txt"));
    ASSERT_TRUE(peer.ready());
    startSender(responderPort);

    std::int32_t result = -2;
    std::thread worker([&] { result = adapter().EchoTest(VELNET_ECHO_SEND, 1); });
    const bool echoed = pollUntil([&] {
        return adapter().EchoState() == VELNET_ECHO_SEND &&
               std::stoi(adapter().NumberEchosReceived()) >= 5;
    });
    const std::string responder = adapter().LastEchoResponder();
    // Stop from this thread ends the worker's call.
    EXPECT_EQ(adapter().EchoTest(VELNET_ECHO_STOP, 0), 0);
    worker.join();
    ASSERT_TRUE(echoed);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(responder, "RESPONDER-PC");
    EXPECT_EQ(adapter().EchoState(), VELNET_ECHO_IDLE);

    const int sent = std::stoi(adapter().NumberEchosSent());
    const int received = std::stoi(adapter().NumberEchosReceived());
    EXPECT_GE(sent, received);
    // The statistics list shows the same counts.
    std::int32_t item = 0;
    while (adapter().StatisticsName(item) != "Echo Packets Received")
        ASSERT_TRUE(adapter().StatisticsName(++item));
    EXPECT_EQ(adapter().StatisticsValue(item), std::to_string(received));

    const std::string report = peer.finish();
    EXPECT_NE(report.find("sender=SENDER-PC\n"), std::string::npos) << report;
    EXPECT_NE(report.find("result=0\n"), std::string::npos) << report;
    // The responder answered every echo the sender got back.
    const auto at = report.find("sent=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GE(std::stoi(report.substr(at + 5)), received);
}

TEST_F(EchoTest, BurstWithoutContinuousEndsByItself)
{
    const int responderPort = freePort();
    Peer peer(peerScenario(responderPort), temp_.file("peer-result.txt"));
    ASSERT_TRUE(peer.ready());
    startSender(responderPort, R"(, "burst": 5)");

    EXPECT_EQ(adapter().EchoTest(VELNET_ECHO_SEND, 0), 0);
    EXPECT_EQ(adapter().NumberEchosSent(), "5");
    EXPECT_EQ(adapter().NumberEchosReceived(), "5");
    EXPECT_EQ(adapter().EchoState(), VELNET_ECHO_IDLE);
}

TEST_F(EchoTest, SenderWithoutResponderEndsWithTheLibrarysErrorText)
{
    velnet::test::GTestResponder responder;
    startSender(freePort(), R"(, "burst": 2, "replyTimeoutMs": 100)");

    const std::int32_t r = adapter().EchoTest(VELNET_ECHO_SEND, 0);
    ASSERT_NE(r, 0);
    EXPECT_EQ(adapter().RIDtoCstring(r), "No echo replies were received.  Make sure the other "
                                         "computer is running the echo test as responder.");
    EXPECT_EQ(adapter().NumberEchosSent(), "2");
    EXPECT_EQ(adapter().NumberEchosReceived(), "0");
}

// The dialog's Stop may reach the library before its worker's EchoTest call
// does; the run must still end.
TEST_F(EchoTest, StopThatComesBeforeTheWorkerEndsTheRunAtOnce)
{
    startSender(freePort());
    EXPECT_EQ(adapter().EchoTest(VELNET_ECHO_STOP, 0), 0);
    auto run =
        std::async(std::launch::async, [&] { return adapter().EchoTest(VELNET_ECHO_SEND, 1); });
    const bool ended = run.wait_for(3s) == std::future_status::ready;
    if (!ended)
        adapter().EchoTest(VELNET_ECHO_STOP, 0);
    ASSERT_TRUE(ended);
    EXPECT_EQ(run.get(), 0);
    EXPECT_EQ(adapter().NumberEchosSent(), "0");
}

TEST_F(EchoTest, StopIsNotCarriedIntoTheNextDialogOrTheNextRun)
{
    startSender(freePort());
    // The previous dialog's Close; the next dialog starts with ClearStats.
    adapter().EchoTest(VELNET_ECHO_STOP, 0);
    adapter().ClearStats();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        auto run =
            std::async(std::launch::async, [&] { return adapter().EchoTest(VELNET_ECHO_SEND, 1); });
        EXPECT_EQ(run.wait_for(300ms), std::future_status::timeout);
        EXPECT_EQ(adapter().EchoState(), VELNET_ECHO_SEND);
        EXPECT_EQ(adapter().EchoTest(VELNET_ECHO_STOP, 0), 0);
        ASSERT_EQ(run.wait_for(3s), std::future_status::ready);
        EXPECT_EQ(run.get(), 0);
    }
    EXPECT_GT(std::stoi(adapter().NumberEchosSent()), 2);
}

TEST_F(EchoTest, PeerOutsideLoopbackIsRefusedWithoutSending)
{
    velnet::test::GTestResponder responder;
    useScenarioText(R"({ "echo": { "peer": "192.0.2.7:7" }, "nics": [ { "type": "VX410" } ] })");
    std::string error;
    ASSERT_EQ(discover(error), 1);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);

    const std::int32_t r = adapter().EchoTest(VELNET_ECHO_SEND, 1);
    EXPECT_EQ(adapter().RIDtoCstring(r),
              "The echo partner must be reached through this computer's loopback network.");
    EXPECT_EQ(adapter().NumberEchosSent(), "0");
}

TEST_F(EchoTest, ScenarioErrorsOfStartAndStop)
{
    velnet::test::GTestResponder responder;
    useScenarioText(R"({ "echo": { "startError": "The NIC is not connected to a network.",
                                    "stopError": "The echo test was stopped abnormally." },
                         "nics": [ { "type": "VX410" } ] })");
    std::string error;
    ASSERT_EQ(discover(error), 1);
    std::string message;
    ASSERT_EQ(adapter().select(0, message), 1);
    EXPECT_EQ(adapter().RIDtoCstring(adapter().EchoTest(VELNET_ECHO_RESPOND, 1)),
              "The NIC is not connected to a network.");
    EXPECT_EQ(adapter().RIDtoCstring(adapter().EchoTest(VELNET_ECHO_STOP, 0)),
              "The echo test was stopped abnormally.");
}

} // namespace
} // namespace velnet::cardcheck::test
