// SPDX-License-Identifier: MIT
#include "tests/support/RunInChild.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velnet::test {

namespace {

void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// Reads until the child closes its end or the time is up.
bool readUntilClosed(int fd, std::string& out, std::chrono::steady_clock::time_point deadline)
{
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

ChildReport runInChild(const std::function<int(std::string& report)>& body, int seconds)
{
    ChildReport result;
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        result.output = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string report;
        const int code = body(report);
        writeAll(channel[1], report);
        ::_exit(code);
    }
    ::close(channel[1]);
    if (child < 0) {
        ::close(channel[0]);
        result.output = std::string("fork: ") + std::strerror(errno);
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    if (!readUntilClosed(channel[0], result.output, deadline)) {
        ::kill(child, SIGKILL);
        result.output += "\n(the child ran out of time)";
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

std::optional<std::string> mountPrivateTmpfs(const std::string& folder, std::size_t bytes)
{
    if (::unshare(CLONE_NEWNS) != 0)
        return std::string("cannot make a mount namespace: ") + std::strerror(errno);
    // Mounts made from here on must not propagate back to the machine.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("cannot make the mounts private: ") + std::strerror(errno);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("velnet-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
        return std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return std::nullopt;
}

bool dropRoot(uid_t uid, gid_t gid)
{
    if (::geteuid() != 0)
        return false;
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

} // namespace velnet::test
