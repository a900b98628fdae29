// SPDX-License-Identifier: MIT
#include "tests/vxsrvnt/autocure/PrivateJournal.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/RunInChild.h"

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velnet::vxsrvnt::autocure::test {

namespace {

constexpr const char* kJournald = "/lib/systemd/systemd-journald";

} // namespace

std::optional<std::string> PrivateJournal::start()
{
    if (::access(kJournald, X_OK) != 0)
        return std::string(kJournald) + " is not installed";
    for (const char* folder : {"/run", "/var/log/journal"}) {
        ::mkdir(folder, 0755);
        if (auto why = velnet::test::mountPrivateTmpfs(folder, 64u << 20))
            return why;
    }
    // sd_booted() asks for this folder.
    ::mkdir("/run/systemd", 0755);
    ::mkdir("/run/systemd/system", 0755);
    journald_ = ::fork();
    if (journald_ == 0) {
        ::execl(kJournald, kJournald, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 100; ++i) {
        if (::access("/run/systemd/journal/socket", W_OK) == 0)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::string("journald did not start listening");
}

PrivateJournal::~PrivateJournal()
{
    if (journald_ > 0) {
        ::kill(journald_, SIGTERM);
        ::waitpid(journald_, nullptr, 0);
    }
}

std::string PrivateJournal::text(const std::string& output, const std::string& match)
{
    std::string out;
    velnet::test::ChildProcess::run({"journalctl", "--no-pager", "-o", output, match}, &out);
    return out;
}

std::vector<nlohmann::json> PrivateJournal::entries(const std::string& match)
{
    // The journal takes a moment to index what it was sent.
    std::vector<nlohmann::json> found;
    for (int attempt = 0; attempt < 20; ++attempt) {
        found.clear();
        std::istringstream lines(text("json", match));
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("{"))
                found.push_back(nlohmann::json::parse(line));
        if (!found.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return found;
}

} // namespace velnet::vxsrvnt::autocure::test
