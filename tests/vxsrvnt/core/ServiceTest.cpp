// SPDX-License-Identifier: MIT
// `vxsrvnt run` as systemd sees it, in a network namespace of the test's own
// with two veth ends as its NICs: READY at start after installing them, a
// reload (RELOADING with its time, then READY) when the store changes and on
// SIGHUP, PromptForReboot cleared, a store it cannot read named with its line
// while the kernel is left alone and the service keeps running, and a clean
// stop on SIGTERM.
#include "common/registry/FileRegistry.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RunInChild.h"
#include "tests/support/TempDir.h"
#include "vxsrvnt/store/StoreReader.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace velnet::vxsrvnt {
namespace {

using namespace std::chrono_literals;
using velnet::test::ChildProcess;

// The notification socket systemd would listen on.
class NotifySocket
{
public:
    explicit NotifySocket(const std::string& path) : fd_(socket(AF_UNIX, SOCK_DGRAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        bound_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NotifySocket() { close(fd_); }
    bool bound() const { return bound_; }

    // Messages until one holding `wanted`; that one, or nothing in time.
    std::optional<std::string> waitFor(const std::string& wanted, std::chrono::seconds timeout)
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buffer[4096];
            const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
            const std::string message(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
            seen += message + "|";
            if (message.find(wanted) != std::string::npos)
                return message;
        }
        return std::nullopt;
    }
    std::string seen; // for the failure message

private:
    int fd_;
    bool bound_ = false;
};

std::string links()
{
    std::string out;
    ChildProcess::run({"ip", "-d", "link", "show"}, &out);
    return out;
}

// Replaces the store in one rename, as every writer of it does.
void replaceStore(const std::string& path, const std::string& text)
{
    velnet::test::writeFile(path + ".new", text);
    std::rename((path + ".new").c_str(), path.c_str());
}

int serviceLifecycle(std::string& report)
{
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("sysfs", "/sys", "sysfs", 0, nullptr) != 0) {
        report = "no network namespace of our own can be made here";
        return velnet::test::kChildCannotRun;
    }
    if (ChildProcess::run({"ip", "link", "add", "vxsa", "type", "veth", "peer", "name", "vxsb"}) !=
        0) {
        report = "no veth pair can be made here";
        return velnet::test::kChildCannotRun;
    }
    const velnet::test::TempDir scratch;
    const std::string store = scratch.file("registry.reg");
    velnet::test::writeFile(
        store,
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\vxsrvnt]\n\n");
    NotifySocket notify(scratch.file("notify"));
    setenv("NOTIFY_SOCKET", scratch.file("notify").c_str(), 1);
    setenv("VELNET_NICS", "vxsa,vxsb", 1);
    setenv("VELNET_RUNTIME_DIR", scratch.file("run").c_str(), 1);
    unsetenv("JOURNAL_STREAM");
    auto fail = [&](const std::string& what) {
        report = what + "; notifications: " + notify.seen;
        return 1;
    };
    ChildProcess service({VXSRVNT_PROGRAM, "--store", store, "run"});
    if (!notify.bound() || !notify.waitFor("READY=1", 10s))
        return fail("no READY=1 at start");
    registry::FileRegistry registry(store);
    const auto installed = StoreReader(registry).read();
    if (!installed || installed->adapters.size() != 2)
        return fail("the start did not install both NICs");
    const std::string good = velnet::test::readFile(store);

    const std::string before = links();
    replaceStore(store, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SYSTEM]\nno value here\n");
    const auto reloading = notify.waitFor("RELOADING=1", 5s);
    if (!reloading || reloading->find("MONOTONIC_USEC=") == std::string::npos)
        return fail("no RELOADING=1 with MONOTONIC_USEC after the store changed");
    const auto unreadable = notify.waitFor("READY=1", 5s);
    if (!unreadable || unreadable->find(store + ":4:") == std::string::npos)
        return fail("READY=1 does not name the store's line 4");
    if (!service.readUntil("vxsrvnt: the store cannot be read: " + store + ":4:", 2s))
        return fail("the journal does not name the store's line 4");
    if (service.wait(300ms))
        return fail("the service ended on a store it cannot read");
    if (links() != before)
        return fail("the links changed although the store could not be read");

    replaceStore(store, good + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]\n"
                               "\"PromptForReboot\"=\"YES\"\n\n");
    if (!notify.waitFor("RELOADING=1", 5s) || !notify.waitFor("READY=1", 5s))
        return fail("no reload after the store was mended");
    if (velnet::test::readFile(store).find("PromptForReboot") != std::string::npos)
        return fail("PromptForReboot is still there after applying");

    service.signal(SIGHUP);
    if (!notify.waitFor("RELOADING=1", 5s) || !notify.waitFor("READY=1", 5s))
        return fail("no reload on SIGHUP");
    service.signal(SIGTERM);
    if (!notify.waitFor("STOPPING=1", 5s))
        return fail("no STOPPING=1 on SIGTERM");
    const auto status = service.wait(5s);
    if (!status || *status != 0)
        return fail("SIGTERM did not end the service with status 0");
    return 0;
}

TEST(Service, StartReloadUnreadableStoreAndStop)
{
    const auto child = velnet::test::runInChild(serviceLifecycle, 60);
    if (child.exitCode == velnet::test::kChildCannotRun)
        GTEST_SKIP() << child.output;
    EXPECT_EQ(child.exitCode, 0) << child.output;
}

} // namespace
} // namespace velnet::vxsrvnt
