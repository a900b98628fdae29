// SPDX-License-Identifier: MIT
// The echo rate and round-trip time of the continuous echo test against the
// fastest loop the same wire allows: a raw AF_PACKET ping-pong with blocking
// calls and nothing else, between the same two namespaces, in one run.
//   cfm_echo_benchmark [ROUNDS, default 6] [SECONDS per measurement, default 1]
#include "linux/cfm/EchoRecord.h"
#include "linux/cfm/LoopbackSender.h"
#include "linux/cfm/PacketSocket.h"
#include "linux/cfm/StopSignal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/NamespacePair.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sched.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace velnet::cfmecho;
using velnet::test::ChildProcess;
using velnet::test::NamespacePair;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kRawEtherType = 0x88B5; // what cfm_echo_peer's raw-pong answers

struct Measurement
{
    std::uint64_t echoes = 0;
    double seconds = 0;
    std::vector<std::int64_t> roundTripsNs;

    double rate() const { return static_cast<double>(echoes) / seconds; }
    double medianUs()
    {
        if (roundTripsNs.empty())
            return 0;
        const auto middle =
            roundTripsNs.begin() + static_cast<std::ptrdiff_t>(roundTripsNs.size() / 2);
        std::nth_element(roundTripsNs.begin(), middle, roundTripsNs.end());
        return static_cast<double>(*middle) / 1000.0;
    }
    void add(Measurement other)
    {
        echoes += other.echoes;
        seconds += other.seconds;
        roundTripsNs.insert(roundTripsNs.end(), other.roundTripsNs.begin(),
                            other.roundTripsNs.end());
    }
};

std::unique_ptr<ChildProcess> startPeer(const NamespacePair::Side& side, const std::string& role)
{
    auto peer = std::make_unique<ChildProcess>(
        std::vector<std::string>{CFM_ECHO_PEER, side.netns, side.interface, role, "bravo"});
    const auto line = peer->readLine(std::chrono::seconds(10));
    if (!line || *line != "running") {
        std::fprintf(stderr, "the %s peer did not start: %s\n", role.c_str(),
                     line.value_or("(nothing)").c_str());
        std::exit(1);
    }
    return peer;
}

MacAddress parseMac(const std::string& text)
{
    MacAddress address{};
    unsigned int b[6] = {};
    std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]);
    for (int i = 0; i < 6; ++i)
        address[i] = static_cast<std::uint8_t>(b[i]);
    return address;
}

Measurement rawPingPong(const NamespacePair& pair, std::chrono::seconds duration)
{
    auto pong = startPeer(pair.b(), "raw-pong");
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(kRawEtherType));
    sockaddr_ll bound{};
    bound.sll_family = AF_PACKET;
    bound.sll_protocol = htons(kRawEtherType);
    bound.sll_ifindex = static_cast<int>(::if_nametoindex(pair.a().interface.c_str()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
        std::perror("raw socket");
        std::exit(1);
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_PACKET, PACKET_IGNORE_OUTGOING, &yes, sizeof yes);
    const timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    std::uint8_t frame[60] = {};
    const MacAddress to = parseMac(pair.b().address);
    const MacAddress from = parseMac(pair.a().address);
    std::memcpy(frame, to.data(), 6);
    std::memcpy(frame + 6, from.data(), 6);
    frame[12] = kRawEtherType >> 8;
    frame[13] = kRawEtherType & 0xFF;
    Measurement result;
    result.roundTripsNs.reserve(1 << 20);
    const auto start = Clock::now();
    const auto end = start + duration;
    std::uint32_t sequence = 0;
    while (Clock::now() < end) {
        ++sequence;
        std::memcpy(frame + 14, &sequence, sizeof sequence);
        const auto sentAt = Clock::now();
        ::send(fd, frame, sizeof frame, 0);
        std::uint8_t reply[1600];
        for (;;) {
            const auto n = ::recv(fd, reply, sizeof reply, 0);
            if (n < 0)
                break; // lost: one second passed
            if (n >= 18 && std::memcmp(reply + 14, &sequence, sizeof sequence) == 0) {
                result.roundTripsNs.push_back((Clock::now() - sentAt).count());
                ++result.echoes;
                break;
            }
        }
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::close(fd);
    return result;
}

Measurement engineContinuous(const NamespacePair& pair, std::chrono::seconds duration)
{
    auto responder = startPeer(pair.b(), "respond");
    PacketSocket socket;
    if (const auto failure = socket.open(pair.a().interface, kEchoMdLevel)) {
        std::fprintf(stderr, "%s\n", failure->c_str());
        std::exit(1);
    }
    StopSignal stop;
    EchoRecord record;
    LoopbackSender sender(socket, stop, record, "alpha");
    Measurement result;
    result.roundTripsNs.reserve(1 << 20);
    sender.setRoundTripObserver([&](std::chrono::nanoseconds roundTrip) {
        result.roundTripsNs.push_back(roundTrip.count());
    });
    std::thread timer([&] {
        std::this_thread::sleep_for(duration);
        stop.raise();
    });
    const auto start = Clock::now();
    const auto failure = sender.run(true);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    timer.join();
    if (failure) {
        std::fprintf(stderr, "%s\n", failure->c_str());
        std::exit(1);
    }
    result.echoes = record.figures().received;
    responder->writeLine("stop");
    responder->wait(std::chrono::seconds(2));
    return result;
}

void enterNamespace(const std::string& netns)
{
    const int fd = ::open(("/run/netns/" + netns).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
        std::perror("setns");
        std::exit(1);
    }
    ::close(fd);
}

void print(const char* what, Measurement& m)
{
    std::printf("%-34s %9llu echoes in %5.2f s = %9.0f echoes/s, median RTT %7.1f us\n", what,
                static_cast<unsigned long long>(m.echoes), m.seconds, m.rate(), m.medianUs());
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
    const std::chrono::seconds duration(argc > 2 ? std::max(1, std::atoi(argv[2])) : 1);
    if (const auto reason = NamespacePair::unavailableReason()) {
        std::printf("SKIPPED: %s\n", reason->c_str());
        return 77;
    }
    NamespacePair pair;
    enterNamespace(pair.a().netns);
    Measurement raw;
    Measurement engine;
    // Alternating in short turns, so that a busy moment of the machine hurts both alike.
    for (int round = 0; round < rounds; ++round) {
        raw.add(rawPingPong(pair, duration));
        engine.add(engineContinuous(pair, duration));
    }
    print("raw AF_PACKET ping-pong", raw);
    print("CFM echo test, continuous", engine);
    std::printf("echo rate %.1f%% of raw (aim >= 80%%), median RTT %.2fx raw (aim <= 1.5x)\n",
                100.0 * engine.rate() / raw.rate(), engine.medianUs() / raw.medianUs());
    return 0;
}
