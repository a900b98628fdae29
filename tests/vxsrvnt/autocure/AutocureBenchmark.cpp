// SPDX-License-Identifier: MIT
// The monitor's own cost: NICS veth ends in a namespace of its own, each
// watched with a 1-second window, for SECONDS ticks; against the fewest a
// watcher could do, one bare RTM_GETLINK dump a tick whose answers are only
// walked for IFLA_STATS64. CPU time of this process (user and system) for
// each, in alternating rounds; with --paced the ticks are a second apart as
// in the service, otherwise they follow one another (the clock the monitor
// sees still moves a second a tick).
//   vxsrvnt_autocure_benchmark [NICS, default 50] [SECONDS, default 60] [--paced]
#include "linux/netlink/Request.h"
#include "linux/netlink/Rtnl.h"
#include "tests/vxsrvnt/autocure/AutocureFakes.h"
#include "tests/vxsrvnt/autocure/ScratchNetns.h"
#include "vxsrvnt/autocure/LinuxNicActions.h"
#include "vxsrvnt/autocure/Monitor.h"
#include "vxsrvnt/autocure/RtnlCounterSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <libmnl/libmnl.h>
#include <linux/rtnetlink.h>
#include <string>
#include <thread>
#include <vector>

using namespace velnet::vxsrvnt;
using namespace velnet::vxsrvnt::autocure;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void pace(bool paced)
{
    if (paced)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

int statsOf(const nlattr* attribute, void* data)
{
    if (mnl_attr_get_type(attribute) == IFLA_STATS64) {
        rtnl_link_stats64 s{};
        std::memcpy(&s, mnl_attr_get_payload(attribute),
                    std::min<std::size_t>(sizeof s, mnl_attr_get_payload_len(attribute)));
        *static_cast<std::uint64_t*>(data) += s.rx_packets + s.rx_errors + s.rx_dropped;
    }
    return MNL_CB_OK;
}

double bareDumps(velnet::netlink::Rtnl& rtnl, int seconds, bool paced)
{
    std::uint64_t sum = 0;
    const double start = cpuSeconds();
    for (int i = 0; i < seconds; ++i) {
        velnet::netlink::Request request(RTM_GETLINK, NLM_F_DUMP, sizeof(ifinfomsg));
        (void)rtnl.exchange(request, [&](const nlmsghdr* message) -> velnet::Outcome {
            if (message->nlmsg_type == RTM_NEWLINK)
                mnl_attr_parse(message, sizeof(ifinfomsg), statsOf, &sum);
            return {};
        }); // a failed dump costs what it costs; the figure is the time
        pace(paced);
    }
    const double used = cpuSeconds() - start;
    if (sum == std::uint64_t(-1))
        std::puts(""); // keeps the walk from being optimised away
    return used;
}

double monitorTicks(velnet::netlink::Rtnl& rtnl, const DriverConfig& config,
                    const std::vector<NicBinding>& bindings, int seconds, bool paced)
{
    RtnlCounterSource counters(rtnl);
    LinuxNicActions actions(rtnl);
    test::RecordingSink sink;
    test::ManualClock clock;
    Monitor monitor(counters, actions, sink, clock);
    monitor.configure(config, bindings);
    monitor.tick();
    const double start = cpuSeconds();
    for (int i = 0; i < seconds; ++i) {
        clock.advanceSeconds(1);
        monitor.tick();
        pace(paced);
    }
    return cpuSeconds() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int nics = 50;
    int seconds = 60;
    bool paced = false;
    std::vector<std::string> numbers;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--paced")
            paced = true;
        else
            numbers.push_back(argv[i]);
    if (numbers.size() > 0)
        nics = std::max(2, std::atoi(numbers[0].c_str()));
    if (numbers.size() > 1)
        seconds = std::max(1, std::atoi(numbers[1].c_str()));

    if (auto why = test::ScratchNetns::unavailableReason()) {
        std::printf("SKIPPED: %s\n", why->c_str());
        return 77;
    }
    test::ScratchNetns netns("bench");
    DriverConfig config;
    std::vector<NicBinding> bindings;
    for (int i = 0; i < nics; i += 2) {
        const std::string a = "vxb" + std::to_string(i), b = "vxb" + std::to_string(i + 1);
        netns.ip({"link", "add", a, "type", "veth", "peer", "name", b});
        netns.ip({"link", "set", a, "up"});
        netns.ip({"link", "set", b, "up"});
        for (const std::string& name : {a, b}) {
            AdapterConfig adapter;
            adapter.adapterNumber = static_cast<int>(bindings.size()) + 1;
            adapter.acd = {"Basic", 1, 5, 7, "Medium"};
            config.adapters.push_back(adapter);
            bindings.push_back({adapter.adapterNumber, name, netns.ifindex(name), ""});
        }
    }
    test::ScratchNetns::Inside inside(netns);
    auto rtnl = velnet::netlink::Rtnl::open();
    if (!rtnl.ok()) {
        std::fprintf(stderr, "%s\n", rtnl.error().c_str());
        return 1;
    }
    const int rounds = paced ? 1 : 5;
    std::vector<double> bare, monitor;
    for (int r = 0; r < rounds; ++r) {
        bare.push_back(bareDumps(*rtnl, seconds, paced));
        monitor.push_back(monitorTicks(*rtnl, config, bindings, seconds, paced));
    }
    std::sort(bare.begin(), bare.end());
    std::sort(monitor.begin(), monitor.end());
    const double b = bare[bare.size() / 2], m = monitor[monitor.size() / 2];
    std::printf("%d NICs, 1-second windows, %d ticks%s, median of %d rounds\n", nics, seconds,
                paced ? " a second apart" : "", rounds);
    std::printf("bare RTM_GETLINK dumps: %8.3f ms CPU (%6.1f us a tick)\n", b * 1e3,
                b * 1e6 / seconds);
    std::printf("monitor:                %8.3f ms CPU (%6.1f us a tick)\n", m * 1e3,
                m * 1e6 / seconds);
    std::printf("monitor / bare: %.2fx; monitor's share of one core over %d s: %.4f %%\n", m / b,
                seconds, m / seconds * 100.0);
    return 0;
}
