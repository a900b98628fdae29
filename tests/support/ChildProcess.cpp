// SPDX-License-Identifier: MIT
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velnet::test {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

[[noreturn]] void execChild(const std::vector<std::string>& arguments, int input, int output,
                            pid_t parent)
{
    // A test that crashes must not leave its peers running in namespaces.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(127);
    ::dup2(input, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments)
{
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        throw std::runtime_error("pipe failed");
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0)
        execChild(arguments, in[0], out[1], parent);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
}

ChildProcess::~ChildProcess()
{
    if (!status_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (input_ >= 0)
        ::close(input_);
    if (output_ >= 0)
        ::close(output_);
}

int ChildProcess::run(const std::vector<std::string>& arguments, std::string* output,
                      std::chrono::milliseconds timeout)
{
    ChildProcess child(arguments);
    child.closeInput();
    const std::string printed = child.readRest(timeout);
    if (output)
        *output = printed;
    return child.wait(timeout).value_or(-1);
}

std::string ChildProcess::check(const std::vector<std::string>& arguments,
                                std::chrono::milliseconds timeout)
{
    std::string output;
    if (run(arguments, &output, timeout) != 0) {
        std::string text;
        for (const std::string& part : arguments)
            text += part + " ";
        throw std::runtime_error(text + "failed: " + output);
    }
    return output;
}

void ChildProcess::writeLine(const std::string& line)
{
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (input_ >= 0 && done < text.size()) {
        const auto n = ::write(input_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

void ChildProcess::closeInput()
{
    if (input_ >= 0)
        ::close(input_);
    input_ = -1;
}

bool ChildProcess::fill(Clock::time_point deadline)
{
    pollfd fd{output_, POLLIN, 0};
    const int ready = ::poll(&fd, 1, remainingMs(deadline));
    if (ready <= 0)
        return false;
    char chunk[4096];
    const auto n = ::read(output_, chunk, sizeof chunk);
    if (n <= 0)
        return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (!fill(deadline))
            return std::nullopt;
    }
}

std::optional<std::string> ChildProcess::readUntil(const std::string& prefix,
                                                   std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (auto line = readLine(std::chrono::milliseconds(remainingMs(deadline)))) {
        if (line->starts_with(prefix))
            return line;
    }
    return std::nullopt;
}

std::string ChildProcess::readRest(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (fill(deadline)) {
    }
    std::string rest;
    rest.swap(buffer_);
    return rest;
}

void ChildProcess::signal(int number)
{
    if (!status_ && pid_ > 0)
        ::kill(pid_, number);
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!status_) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        else if (done < 0 || Clock::now() >= deadline)
            break;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

} // namespace velnet::test
