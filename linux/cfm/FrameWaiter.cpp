// SPDX-License-Identifier: MIT
#include "linux/cfm/FrameWaiter.h"

#include <algorithm>
#include <cerrno>
#include <sys/epoll.h>
#include <unistd.h>

namespace velnet::cfmecho {

namespace {

using Clock = std::chrono::steady_clock;

// Whole milliseconds, rounded up so that a wait never ends before its deadline.
int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 24 * 3600 * 1000));
}

} // namespace

FrameWaiter::FrameWaiter(const PacketSocket& socket, const StopSignal& stop) : socket_(socket)
{
    fd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (fd_ < 0) {
        ready_ = fail(echoFailure(socket.interfaceName(), "wait for frames", errno));
        return;
    }
    for (const int watched : {stop.fd(), socket.fd()}) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = watched;
        if (::epoll_ctl(fd_, EPOLL_CTL_ADD, watched, &event) != 0) {
            ready_ = fail(echoFailure(socket.interfaceName(), "wait for frames", errno));
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

FrameWaiter::~FrameWaiter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Wake FrameWaiter::wait(std::optional<Clock::time_point> deadline) const
{
    for (;;) {
        epoll_event events[2];
        const int ready =
            ::epoll_wait(fd_, events, 2, deadline ? millisecondsUntil(*deadline) : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Wake::Error;
        }
        bool frame = false;
        for (int i = 0; i < ready; ++i) {
            if (events[i].data.fd != socket_.fd())
                return Wake::Stop;
            frame = true;
        }
        if (frame)
            return Wake::Frame;
        if (deadline && Clock::now() >= *deadline)
            return Wake::Timeout;
    }
}

} // namespace velnet::cfmecho
