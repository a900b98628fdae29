#include "FrameWait.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>

namespace velnet::cfmecho {

Wake waitForFrame(const PacketSocket& socket, const StopSignal& stop,
                  std::optional<std::chrono::steady_clock::time_point> deadline)
{
    for (;;) {
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {socket.fd(), POLLIN, 0}};
        timespec timeout{};
        if (deadline) {
            const auto left = std::max(std::chrono::nanoseconds(0),
                                       std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           *deadline - std::chrono::steady_clock::now()));
            timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
        }
        const int ready = ::ppoll(fds, 2, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Wake::Error;
        }
        if (fds[0].revents != 0)
            return Wake::Stop;
        if (fds[1].revents & POLLNVAL) {
            errno = EBADF;
            return Wake::Error;
        }
        // POLLERR too: the receive that follows reads the socket's error.
        if (fds[1].revents != 0)
            return Wake::Frame;
        if (ready == 0)
            return Wake::Timeout;
    }
}

} // namespace velnet::cfmecho
