// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velnet::test {

// A program the test starts, talks to line by line over its standard input
// and output (standard error joins the output), and that dies with the test.
class ChildProcess
{
public:
    explicit ChildProcess(const std::vector<std::string>& arguments);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills the program if it still runs.
    ~ChildProcess();

    // Runs a program to its end: its exit code (-1 when killed by a signal
    // or not started) and everything it printed.
    static int run(const std::vector<std::string>& arguments, std::string* output = nullptr,
                   std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // The same for a step a test cannot go on without: what it printed, or
    // std::runtime_error naming the command and its output when it failed.
    static std::string check(const std::vector<std::string>& arguments,
                             std::chrono::milliseconds timeout = std::chrono::seconds(30));

    void writeLine(const std::string& line);
    void closeInput();
    // The next line it prints, or nothing when it printed none in time.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Lines until one that begins with `prefix` (returned), or nothing.
    std::optional<std::string> readUntil(const std::string& prefix,
                                         std::chrono::milliseconds timeout);
    // Everything printed since the last read, up to the program's end.
    std::string readRest(std::chrono::milliseconds timeout);
    void signal(int number);
    // The exit code once it ended in time, -1 after a signal; nothing when it
    // still runs.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    pid_t pid() const { return pid_; }

private:
    bool fill(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffer_;
    std::optional<int> status_;
};

} // namespace velnet::test
