// SPDX-License-Identifier: MIT
// One side of the echo tests and the benchmark, run inside a namespace the
// test made:
//   cfm_echo_peer NETNS INTERFACE ROLE [NAME] [options]   (NETNS - : stay)
// ROLE send, respond: an EchoSession (--continuous); the line "running" once
//   its socket is open, "figures ..." for each line "figures" on standard
//   input, and "end ok" or "end error MESSAGE" plus the last figures when the
//   run ends; the line "stop" (or the end of input) stops it.
// ROLE inject: foreign CFM frames to --target from --source until "stop"
//   (with --other-levels-only none of level 7); then "injected N".
// ROLE probe: one loopback message to --target with a Data TLV of --data
//   bytes; then "reply LENGTH TLVS" (the reply's frame length and how many of
//   the message's TLVs came back unchanged) or "no reply".
// ROLE raw-pong: sends every frame of the benchmark's EtherType back with the
//   addresses swapped, until killed.
#include "linux/cfm/CfmEcho.h"
#include "linux/cfm/CfmFrame.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace velnet::cfmecho;

namespace {

constexpr std::uint16_t kRawEtherType = 0x88B5; // local experimental

struct Options
{
    std::string netns;
    std::string interface;
    std::string role;
    std::string name;
    bool continuous = false;
    bool otherLevelsOnly = false;
    std::size_t data = 0;
    MacAddress target{};
    MacAddress source{};
};

MacAddress parseMac(const std::string& text)
{
    MacAddress address{};
    unsigned int b[6] = {};
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]) ==
        6)
        for (int i = 0; i < 6; ++i)
            address[i] = static_cast<std::uint8_t>(b[i]);
    return address;
}

// "-" stays where it was started (ip netns exec may have put it there).
bool enterNamespace(const std::string& netns)
{
    if (netns == "-")
        return true;
    const std::string path = "/run/netns/" + netns;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) {
        std::cout << "end error cannot enter " << path << ": " << std::strerror(errno) << std::endl;
        return false;
    }
    ::close(fd);
    return true;
}

// Whether this namespace has a packet socket bound to the CFM EtherType.
bool cfmSocketOpen()
{
    std::ifstream table("/proc/net/packet");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string sk, refs, type, protocol;
        fields >> sk >> refs >> type >> protocol;
        if (protocol == "8902")
            return true;
    }
    return false;
}

void printFigures(const EchoSession& session)
{
    const EchoFigures f = session.figures();
    std::cout << "figures sent=" << f.sent << " received=" << f.received << " lost=" << f.lost
              << " samples=" << f.rttSamples << " min=" << f.rttMinUs << " max=" << f.rttMaxUs
              << " sum=" << f.rttSumUs << " state=" << int(session.state())
              << " responder=" << session.lastResponder() << " sender=" << session.lastSender()
              << std::endl;
}

int runSession(const Options& options)
{
    EchoSession session;
    session.setInterface(options.interface);
    session.setComputerName(options.name);
    std::optional<std::string> result;
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        result = session.run(options.role == "send" ? EchoSession::Role::Send
                                                    : EchoSession::Role::Respond,
                             options.continuous);
        ended = true;
    });
    std::thread announcer([&] {
        while (!ended && !cfmSocketOpen())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (!ended)
            std::cout << "running" << std::endl;
    });
    std::thread commands([&] {
        std::string line;
        while (std::getline(std::cin, line) && line != "stop") {
            if (line == "figures")
                printFigures(session);
        }
        session.stop();
    });
    worker.join();
    announcer.join();
    std::cout << (result ? "end error " + *result : std::string("end ok")) << std::endl;
    printFigures(session);
    commands.detach(); // blocked on input that may never come; the process ends anyway
    std::cout.flush();
    ::_exit(0);
}

int openRawSocket(const std::string& interface, std::uint16_t etherType)
{
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(etherType));
    sockaddr_ll bound{};
    bound.sll_family = AF_PACKET;
    bound.sll_protocol = htons(etherType);
    bound.sll_ifindex = static_cast<int>(::if_nametoindex(interface.c_str()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0) {
        std::cout << "end error raw socket: " << std::strerror(errno) << std::endl;
        ::_exit(1);
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_PACKET, PACKET_IGNORE_OUTGOING, &yes, sizeof yes);
    return fd;
}

// Every kind of frame an echo test must not count: replies with ids nobody
// sent, the wrong MD level, messages from a stranger, other CFM opcodes.
std::vector<std::vector<std::uint8_t>> foreignFrames(const Options& options, std::uint32_t id)
{
    std::vector<std::vector<std::uint8_t>> frames;
    auto add = [&](CfmOpcode opcode, std::uint8_t level, const MacAddress& destination) {
        LoopbackFrame frame;
        frame.destination = destination;
        frame.source = options.source;
        frame.mdLevel = level;
        frame.opcode = opcode;
        frame.transactionId = id;
        frame.senderName = "intruder";
        frames.push_back(buildLoopbackFrame(frame));
    };
    add(CfmOpcode::LoopbackReply, 6, options.target);
    add(CfmOpcode::LoopbackMessage, 6, classOneMulticast(6));
    add(CfmOpcode::LoopbackMessage, 6, options.target);
    add(CfmOpcode::LoopbackMessage, 0, options.target);
    if (!options.otherLevelsOnly) {
        add(CfmOpcode::LoopbackReply, kEchoMdLevel, options.target);
        add(CfmOpcode::LoopbackMessage, kEchoMdLevel, options.target);
        add(CfmOpcode::LoopbackMessage, kEchoMdLevel, classOneMulticast(kEchoMdLevel));
    }
    auto ccm = frames.front();
    ccm[15] = 1; // continuity check message
    frames.push_back(ccm);
    return frames;
}

int inject(const Options& options)
{
    const int fd = openRawSocket(options.interface, kCfmEtherType);
    std::atomic<bool> stopped{false};
    std::thread commands([&] {
        std::string line;
        while (std::getline(std::cin, line) && line != "stop") {
        }
        stopped = true;
    });
    std::cout << "running" << std::endl;
    std::uint64_t injected = 0;
    std::uint32_t id = 0x5EED0000;
    while (!stopped) {
        for (const auto& frame : foreignFrames(options, id += 7919)) {
            if (::send(fd, frame.data(), frame.size(), 0) > 0)
                ++injected;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    commands.join();
    std::cout << "injected " << injected << std::endl;
    return 0;
}

// A message as another implementation sends it: a Data TLV (type 3) of a
// counting pattern, so that a reply that changed a byte is told apart.
LoopbackFrame probeMessage(const Options& options, const MacAddress& source)
{
    LoopbackFrame message;
    message.destination = options.target;
    message.source = source;
    message.transactionId = 0x0DA7A000u + static_cast<std::uint32_t>(options.data);
    message.senderName = "probe";
    std::vector<std::uint8_t> tlv{3, static_cast<std::uint8_t>(options.data >> 8),
                                  static_cast<std::uint8_t>(options.data)};
    for (std::size_t i = 0; i < options.data; ++i)
        tlv.push_back(static_cast<std::uint8_t>(i * 7));
    message.otherTlvs = {tlv, {0x1F, 0x00, 0x04, 0x00, 0x80, 0xC2, 0x01}};
    return message;
}

int probe(const Options& options)
{
    const int fd = openRawSocket(options.interface, kCfmEtherType);
    std::ifstream addressFile("/sys/class/net/" + options.interface + "/address");
    std::string address;
    addressFile >> address;
    const LoopbackFrame message = probeMessage(options, parseMac(address));
    const auto bytes = buildLoopbackFrame(message);
    if (::send(fd, bytes.data(), bytes.size(), 0) < 0) {
        std::cout << "end error send: " << std::strerror(errno) << std::endl;
        return 1;
    }
    timeval timeout{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::vector<std::uint8_t> frame(65536 + ETH_HLEN);
    for (;;) {
        const auto n = ::recv(fd, frame.data(), frame.size(), 0);
        if (n < 0) {
            std::cout << "no reply" << std::endl;
            return 0;
        }
        const auto reply = parseLoopbackFrame(std::span(frame.data(), static_cast<std::size_t>(n)));
        if (!reply || reply->opcode != CfmOpcode::LoopbackReply ||
            reply->transactionId != message.transactionId)
            continue;
        std::size_t same = 0;
        while (same < reply->otherTlvs.size() && same < message.otherTlvs.size() &&
               reply->otherTlvs[same] == message.otherTlvs[same])
            ++same;
        std::cout << "reply " << n << " " << same << std::endl;
        return 0;
    }
}

int rawPong(const Options& options)
{
    const int fd = openRawSocket(options.interface, kRawEtherType);
    std::cout << "running" << std::endl;
    std::uint8_t frame[1600];
    for (;;) {
        const auto n = ::recv(fd, frame, sizeof frame, 0);
        if (n < ETH_HLEN)
            continue;
        std::uint8_t swap[ETH_ALEN];
        std::memcpy(swap, frame, ETH_ALEN);
        std::memcpy(frame, frame + ETH_ALEN, ETH_ALEN);
        std::memcpy(frame + ETH_ALEN, swap, ETH_ALEN);
        ::send(fd, frame, static_cast<std::size_t>(n), 0);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "usage: cfm_echo_peer NETNS INTERFACE ROLE [NAME] [options]\n";
        return 2;
    }
    Options options;
    options.netns = argv[1];
    options.interface = argv[2];
    options.role = argv[3];
    for (int i = 4; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--continuous")
            options.continuous = true;
        else if (argument == "--other-levels-only")
            options.otherLevelsOnly = true;
        else if (argument == "--target" && i + 1 < argc)
            options.target = parseMac(argv[++i]);
        else if (argument == "--data" && i + 1 < argc)
            options.data = std::stoul(argv[++i]);
        else if (argument == "--source" && i + 1 < argc)
            options.source = parseMac(argv[++i]);
        else
            options.name = argument;
    }
    if (!enterNamespace(options.netns))
        return 1;
    if (options.role == "inject")
        return inject(options);
    if (options.role == "probe")
        return probe(options);
    if (options.role == "raw-pong")
        return rawPong(options);
    return runSession(options);
}
