// SPDX-License-Identifier: MIT
// The apply of the largest store (50 NICs: 25 pairs, 16 VLANs on each
// primary, 400 VLAN links) on veth ends in a namespace of its own, against
// `ip -batch` making the same links in one process; the second apply of the
// unchanged store; the failover time against the downdelay, from the
// primary's far end going down to the first frame on the backup. Needs
// bonding and 802.1Q: run it through tests/support/uml/uml-run.sh. Built, not
// run by ctest.
#include "linux/netlink/Rtnl.h"
#include "tests/support/ChildProcess.h"
#include "vxsrvnt/apply/Applier.h"
#include "vxsrvnt/apply/DesiredState.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vx = velnet::vxsrvnt;
using velnet::netlink::Rtnl;
using velnet::test::ChildProcess;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kNics = 50;
constexpr int kVlansPerPrimary = 16;

std::string nic(int n)
{
    char name[8];
    std::snprintf(name, sizeof name, "n%02d", n);
    return name;
}

std::string peerOf(int n)
{
    return "p" + nic(n).substr(1);
}

void run(const std::vector<std::string>& command)
{
    ChildProcess::check(command, std::chrono::minutes(5));
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

vx::DriverConfig largestStore(std::uint32_t failureCount)
{
    vx::DriverConfig config;
    for (int n = 1; n <= kNics; ++n) {
        vx::AdapterConfig adapter;
        adapter.adapterNumber = n;
        adapter.instances = {n};
        adapter.vlanNameMissing = true;
        if (n % 2) {
            adapter.backupAdapter = static_cast<std::uint32_t>(n + 1);
            adapter.vlanOp = 1;
            adapter.vlanNameMissing = false;
            for (int v = 0; v < kVlansPerPrimary; ++v) {
                char mac[18];
                std::snprintf(mac, sizeof mac, "02-00-00-00-%02X-%02X", n, v);
                adapter.vlans.push_back({n, nic(n) + "v" + std::to_string(100 + v),
                                         static_cast<std::uint32_t>(100 + v), mac});
            }
        } else {
            adapter.primaryAdapter = static_cast<std::uint32_t>(n - 1);
            adapter.failover.failureCount = failureCount;
        }
        config.adapters.push_back(std::move(adapter));
    }
    return config;
}

// The same links as the apply makes, as an administrator would script them.
std::string batchFor(const vx::DriverConfig& config)
{
    std::string batch;
    for (const vx::AdapterConfig& a : config.adapters) {
        if (a.backupAdapter == vx::kNoAdapter)
            continue;
        const std::string bond = "vxbond" + std::to_string(a.adapterNumber);
        const std::string backup = nic(static_cast<int>(a.backupAdapter));
        batch += "link add " + bond + " type bond mode active-backup miimon 100 downdelay 1000\n";
        batch += "link set " + bond + " up\n";
        for (const std::string& member : {nic(a.adapterNumber), backup})
            batch += "link set " + member + " down\nlink set " + member + " master " + bond + "\n";
        batch += "link set " + bond + " alias vxsrvnt:bond\n";
        for (const vx::VlanConfig& v : a.vlans) {
            std::string mac = v.networkAddress;
            std::replace(mac.begin(), mac.end(), '-', ':');
            batch += "link add link " + bond + " name " + v.name + " address " + mac +
                     " up type vlan id " + std::to_string(v.id) + "\n";
            batch += "link set " + v.name + " alias vxsrvnt:" + v.name + "\n";
        }
    }
    return batch;
}

std::vector<vx::NicBinding> bindings(Rtnl& rtnl)
{
    std::vector<vx::NicBinding> found;
    for (int n = 1; n <= kNics; ++n)
        found.push_back({n, nic(n), rtnl.link(nic(n))->ifindex, {}});
    return found;
}

vx::ApplyReport applied(Rtnl& rtnl, const vx::DriverConfig& config,
                        const std::vector<vx::NicBinding>& nics, const vx::ApplyOptions& options)
{
    auto report = vx::Applier(rtnl).apply(config, nics, options);
    if (!report.ok() || !report->ok())
        throw std::runtime_error("apply failed: " +
                                 (report.ok() ? report->refusals.front() : report.error()));
    return std::move(report).value();
}

void removeAll(Rtnl& rtnl, const vx::ApplyOptions& options)
{
    if (auto removed = vx::Applier(rtnl).removeAll(options); !removed.ok())
        throw std::runtime_error(removed.error());
}

int packetSocket(const std::string& interface)
{
    const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(ETH_P_ALL));
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_protocol = htons(ETH_P_ALL);
    address.sll_ifindex = static_cast<int>(::if_nametoindex(interface.c_str()));
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot open a packet socket on " + interface);
    return fd;
}

// Frames every half millisecond out of the bond, until stopped.
void sendFrames(const std::atomic<bool>& stop, int fd)
{
    unsigned char frame[60] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 2, 0, 0, 0, 0, 1, 0x88, 0xb5};
    while (!stop) {
        (void)::send(fd, frame, sizeof frame, 0); // a lost frame only delays the measurement
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// From the primary's far end down to the first frame on the backup's far end.
double failoverSeconds(Rtnl& rtnl, std::uint32_t failureCount, const vx::ApplyOptions& options)
{
    vx::DriverConfig config = largestStore(failureCount);
    config.adapters.resize(2);
    config.adapters[0].vlanOp = 0;
    config.adapters[0].vlans.clear();
    config.adapters[0].vlanNameMissing = true;
    (void)applied(rtnl, config, bindings(rtnl), options);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int out = packetSocket("vxbond1");
    const int in = packetSocket(peerOf(2));
    std::atomic<bool> stop{false};
    std::thread sender(sendFrames, std::cref(stop), out);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    unsigned char buffer[2048];
    while (::recv(in, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
    const auto down = Clock::now();
    if (!rtnl.setUp(rtnl.link(peerOf(1))->ifindex, false).ok())
        throw std::runtime_error("cannot take " + peerOf(1) + " down");
    double elapsed = -1;
    pollfd wait{in, POLLIN, 0};
    while (::poll(&wait, 1, 5000) > 0) {
        const ssize_t got = ::recv(in, buffer, sizeof buffer, 0);
        if (got >= 14 && buffer[12] == 0x88 && buffer[13] == 0xb5) {
            elapsed = seconds(Clock::now() - down);
            break;
        }
    }
    stop = true;
    sender.join();
    ::close(out);
    ::close(in);
    (void)rtnl.setUp(rtnl.link(peerOf(1))->ifindex, true);
    removeAll(rtnl, options);
    return elapsed;
}

void makeNamespace(const std::string& name)
{
    run({"ip", "netns", "add", name});
    const int fd = ::open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0)
        throw std::runtime_error("cannot enter " + name);
    ::close(fd);
    std::string batch;
    for (int n = 1; n <= kNics; ++n)
        batch += "link add " + nic(n) + " type veth peer name " + peerOf(n) + "\nlink set " +
                 nic(n) + " up\nlink set " + peerOf(n) + " up\n";
    std::ofstream(std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/veth.batch")
        << batch;
    run({"ip", "-batch",
         std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/veth.batch"});
}

} // namespace

int main()
{
    const std::string tmp = getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp";
    const std::string netns = "vxbench-" + std::to_string(::getpid());
    try {
        makeNamespace(netns);
        auto opened = Rtnl::open();
        if (!opened.ok())
            throw std::runtime_error(opened.error());
        Rtnl& rtnl = *opened;
        vx::ApplyOptions options;
        options.runtimeDir = tmp + "/vxbench-run";
        const vx::DriverConfig store = largestStore(10);
        const std::vector<vx::NicBinding> nics = bindings(rtnl);

        const std::string batchFile = tmp + "/links.batch";
        std::ofstream(batchFile) << batchFor(store);
        auto start = Clock::now();
        run({"ip", "-batch", batchFile});
        const double batch = seconds(Clock::now() - start);
        std::string removal;
        for (int n = 1; n <= kNics; n += 2)
            removal += "link delete vxbond" + std::to_string(n) + "\n";
        std::ofstream(tmp + "/remove.batch") << removal;
        run({"ip", "-batch", tmp + "/remove.batch"});
        for (int n = 1; n <= kNics; ++n)
            (void)rtnl.setUp(rtnl.link(nic(n))->ifindex, true); // as they were

        start = Clock::now();
        const vx::ApplyReport first = applied(rtnl, store, nics, options);
        const double apply = seconds(Clock::now() - start);
        start = Clock::now();
        const vx::ApplyReport second = applied(rtnl, store, nics, options);
        const double again = seconds(Clock::now() - start);
        start = Clock::now();
        removeAll(rtnl, options);
        const double purge = seconds(Clock::now() - start);

        std::printf("links: 25 bonds of 50 veth NICs, 400 VLAN links with their own MAC\n");
        std::printf("ip -batch (same links)    %8.3f s\n", batch);
        std::printf("first apply               %8.3f s  (%.2fx ip -batch, %zu actions)\n", apply,
                    apply / batch, first.actions.size());
        std::printf("second apply, unchanged   %8.3f s  (%.1f%% of the first, %zu actions)\n",
                    again, 100 * again / apply, second.actions.size());
        std::printf("removeAll                 %8.3f s\n", purge);
        std::printf("failover, far end down to the first frame on the backup:\n");
        for (const std::uint32_t count : {1u, 2u, 5u, 10u})
            std::printf("  FailureCount %2u  downdelay %4u ms  failover %7.1f ms\n", count,
                        count * vx::kMiimonMs, 1000 * failoverSeconds(rtnl, count, options));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "apply benchmark: %s\n", error.what());
        ChildProcess::run({"ip", "netns", "delete", netns});
        return 1;
    }
    ChildProcess::run({"ip", "netns", "delete", netns});
    return 0;
}
