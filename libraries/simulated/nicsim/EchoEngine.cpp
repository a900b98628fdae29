// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/EchoEngine.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::nicsim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kRequest = "VXECHO REQ ";
constexpr std::string_view kReply = "VXECHO REP ";
constexpr int kPollMs = 20;
constexpr auto kPendingStop = std::chrono::seconds(2);

bool loopbackAddress(const std::string& host, sockaddr_in& address)
{
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1)
        return false;
    // The simulation never sends anywhere but this computer.
    return (ntohl(address.sin_addr.s_addr) >> 24) == 127;
}

class Socket
{
public:
    explicit Socket(std::uint16_t port)
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0)
            return;
        const int yes = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// Waits up to kPollMs for a packet; the text of a packet that begins with
// `kind`, with the sender's address in `from`.
bool receive(int fd, std::string_view kind, std::string& payload, sockaddr_in& from)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kPollMs) <= 0)
        return false;
    char buffer[256];
    socklen_t length = sizeof from;
    const auto n =
        ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n <= 0)
        return false;
    const std::string_view packet(buffer, static_cast<std::size_t>(n));
    if (packet.substr(0, kind.size()) != kind)
        return false;
    payload = std::string(packet.substr(kind.size()));
    return true;
}

void sendPacket(int fd, std::string_view kind, const std::string& name, const sockaddr_in& to)
{
    const std::string packet = std::string(kind) + name;
    ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to);
}

} // namespace

EchoEngine::EchoEngine(Scenario::Echo settings, std::string computerName)
    : settings_(std::move(settings)), computerName_(std::move(computerName))
{
}

EchoEngine::Result EchoEngine::run(std::uint8_t role, bool continuous)
{
    std::uint8_t idle = Idle;
    if (!state_.compare_exchange_strong(idle, role == 0 ? Sending : Responding))
        return Result::AlreadyRunning;
    // The stop of a dialog may come before its worker gets here; it ends this
    // run at once, unless it is old or ClearStats came in between.
    const bool pendingStop = stopRequested_.exchange(false);
    if (pendingStop && Clock::now().time_since_epoch().count() - stopAt_.load() <
                           std::chrono::duration_cast<Clock::duration>(kPendingStop).count()) {
        state_ = Idle;
        return Result::Ok;
    }
    Result result = Result::NetworkError;
    {
        Socket socket(role == 0 ? 0 : settings_.port);
        if (socket.fd() >= 0)
            result = role == 0 ? send(socket.fd(), continuous) : respond(socket.fd());
    }
    stopRequested_ = false; // this run took it
    state_ = Idle;
    return result;
}

void EchoEngine::stop()
{
    stopAt_ = Clock::now().time_since_epoch().count();
    stopRequested_ = true;
}

EchoEngine::Result EchoEngine::send(int fd, bool continuous)
{
    sockaddr_in peer{};
    if (!loopbackAddress(settings_.peerHost, peer))
        return Result::PeerNotLocal;
    peer.sin_port = htons(settings_.peerPort);
    const auto interval = std::chrono::milliseconds(std::max(1, settings_.intervalMs));
    auto nextSend = Clock::now();
    std::int32_t sentThisRun = 0;
    std::int32_t repliesThisRun = 0;
    std::optional<Clock::time_point> deadline;
    while (!stopRequested_) {
        const bool burstDone = !continuous && sentThisRun >= settings_.burst;
        if (!burstDone && Clock::now() >= nextSend) {
            sendPacket(fd, kRequest, computerName_, peer);
            ++sent_;
            ++sentThisRun;
            nextSend += interval;
        }
        if (burstDone) {
            if (!deadline)
                deadline = Clock::now() + std::chrono::milliseconds(settings_.replyTimeoutMs);
            if (repliesThisRun >= sentThisRun || Clock::now() >= *deadline)
                break;
        }
        std::string name;
        sockaddr_in from{};
        if (receive(fd, kReply, name, from)) {
            {
                std::lock_guard lock(namesMutex_);
                lastResponder_ = name;
            }
            ++received_;
            ++repliesThisRun;
        }
    }
    if (!stopRequested_ && repliesThisRun == 0)
        return Result::NoReplies;
    return Result::Ok;
}

EchoEngine::Result EchoEngine::respond(int fd)
{
    while (!stopRequested_) {
        std::string name;
        sockaddr_in from{};
        if (!receive(fd, kRequest, name, from))
            continue;
        {
            std::lock_guard lock(namesMutex_);
            lastSender_ = name;
        }
        ++received_;
        if ((ntohl(from.sin_addr.s_addr) >> 24) != 127)
            continue;
        sendPacket(fd, kReply, computerName_, from);
        ++sent_;
    }
    return Result::Ok;
}

std::string EchoEngine::lastResponder() const
{
    std::lock_guard lock(namesMutex_);
    return lastResponder_;
}

std::string EchoEngine::lastSender() const
{
    std::lock_guard lock(namesMutex_);
    return lastSender_;
}

void EchoEngine::clear()
{
    stopRequested_ = false;
    sent_ = 0;
    received_ = 0;
    std::lock_guard lock(namesMutex_);
    lastResponder_.clear();
    lastSender_.clear();
}

} // namespace velnet::nicsim
