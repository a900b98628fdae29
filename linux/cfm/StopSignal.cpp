// SPDX-License-Identifier: MIT
#include "linux/cfm/StopSignal.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace velnet::cfmecho {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPendingStop = std::chrono::seconds(2);

} // namespace

StopSignal::StopSignal()
{
    fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0)
        ready_ = fail("The echo test could not prepare its stop signal: " +
                      std::generic_category().message(errno) + ".");
}

StopSignal::~StopSignal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void StopSignal::raise()
{
    raisedAt_ = Clock::now().time_since_epoch().count();
    const eventfd_t one = 1;
    if (fd_ >= 0)
        ::eventfd_write(fd_, one);
}

bool StopSignal::waitUntil(Clock::time_point until) const
{
    for (;;) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return false;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                               static_cast<long>(ns % 1'000'000'000)};
        pollfd fd{fd_, POLLIN, 0};
        const int ready = ::ppoll(&fd, 1, &timeout, nullptr);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool StopSignal::takePending()
{
    eventfd_t count = 0;
    if (fd_ < 0 || ::eventfd_read(fd_, &count) != 0 || count == 0)
        return false;
    const auto age = Clock::now().time_since_epoch().count() - raisedAt_.load();
    return age < std::chrono::duration_cast<Clock::duration>(kPendingStop).count();
}

void StopSignal::forget()
{
    eventfd_t count = 0;
    if (fd_ >= 0)
        ::eventfd_read(fd_, &count);
}

} // namespace velnet::cfmecho
