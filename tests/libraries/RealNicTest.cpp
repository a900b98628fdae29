// SPDX-License-Identifier: MIT
// The real NIC libraries on a veth pair between two network namespaces of
// the test's own: every value is compared with what the kernel reports
// through other ways (ip, sysfs, the ethtool ioctl called here).
#include "libraries/real/ethcfg/EthSettings.h"
#include "libraries/real/ethcfg/Messages.h"
#include "linux/nic/Ethtool.h"
#include "tests/libraries/EchoPartner.h"
#include "tests/libraries/InsideNetns.h"
#include "tests/libraries/RealLibraries.h"
#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using velnet::test::NetnsEnvironment;
using velnet::test::RealLibraries;

namespace {

class RealNicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(libraries_.loaded()) << libraries_.error();
        ASSERT_EQ(libraries_.nicport<DiscoverCardsFn>("DiscoverCards")(), 1u);
        ASSERT_EQ(libraries_.card<SelectCardFn>("SelectCard")(0, 0), 0);
    }

    std::uint64_t statistic(const std::string& name) const
    {
        const auto text = libraries_.valueOf("StatisticsName", "StatisticsValue", name);
        return text ? std::stoull(*text) : 0;
    }

    // Datagrams to the other namespace's end; they and the neighbour
    // discovery before them stay on the veth pair.
    void sendTraffic(int datagrams) const
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_in peer{};
        peer.sin_family = AF_INET;
        peer.sin_port = htons(9);
        ::inet_pton(AF_INET, net_.addressB.c_str(), &peer.sin_addr);
        const char payload[64] = "velnet test traffic";
        for (int i = 0; i < datagrams; ++i) {
            ::sendto(fd, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&peer),
                     sizeof peer);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ::close(fd);
    }

    const NetnsEnvironment net_ = NetnsEnvironment::fromEnvironment();
    RealLibraries libraries_;
};

std::string dashed(std::string address)
{
    std::replace(address.begin(), address.end(), ':', '-');
    std::transform(address.begin(), address.end(), address.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return address;
}

TEST_F(RealNicTest, DiscoversOnlyTheNamedVirtualNicAsTypeEth)
{
    char type[VELNET_CARD_TYPE_SIZE] = {};
    ASSERT_NE(libraries_.nicport<CardTypeFn>("CardType")(0, type), 0);
    EXPECT_STREQ(type, "ETH");
    EXPECT_EQ(libraries_.nicport<CardTypeFn>("CardType")(1, type), 0);

    char name[VELNET_TEXT_SIZE] = {};
    ASSERT_NE(libraries_.card<CardNameFn>("CardName")(0, name), 0);
    // No PCI device behind a veth end: the driver names it.
    EXPECT_EQ(std::string(name), "veth network interface (" + net_.interfaceA + ")");
    EXPECT_EQ(libraries_.card<CardNameFn>("CardName")(1, name), 0);

    // Without VELNET_NICS a virtual NIC is no NIC, and this namespace has no other.
    const std::string named = std::getenv("VELNET_NICS");
    ::unsetenv("VELNET_NICS");
    EXPECT_EQ(libraries_.nicport<DiscoverCardsFn>("DiscoverCards")(), 0u);
    ::setenv("VELNET_NICS", ("nosuch0, " + net_.interfaceA).c_str(), 1);
    EXPECT_EQ(libraries_.nicport<DiscoverCardsFn>("DiscoverCards")(), 1u);
    ::setenv("VELNET_NICS", named.c_str(), 1);
}

TEST_F(RealNicTest, SummaryEqualsWhatTheKernelReports)
{
    const auto ip = nlohmann::json::parse(velnet::test::ipLinkJson(net_.interfaceA)).at(0);
    auto summary = [&](const char* name) {
        return libraries_.valueOf("CardSummaryName", "CardSummaryValue", name).value_or("(none)");
    };
    EXPECT_EQ(summary("Interface"), net_.interfaceA);
    // A veth end keeps no permanent address, and its current one is not passed off as one.
    EXPECT_EQ(summary("Permanent Address"), "None");
    EXPECT_NE(dashed(ip.at("address").get<std::string>()), "None");
    EXPECT_EQ(summary("MTU"), std::to_string(ip.at("mtu").get<int>()));
    EXPECT_EQ(summary("MTU"), velnet::test::kernelAttribute(net_.interfaceA, "mtu"));
    EXPECT_EQ(summary("Driver"), velnet::test::ioctlDriver(net_.interfaceA));
    EXPECT_EQ(summary("Driver"), "veth");
    EXPECT_EQ(ip.at("operstate").get<std::string>(), "UP");
    EXPECT_EQ(summary("Link"), "Up");
    const auto speed = velnet::test::ioctlSpeed(net_.interfaceA);
    ASSERT_TRUE(speed);
    EXPECT_EQ(summary("Speed"), std::to_string(*speed / 1000) + " Gbps");
    EXPECT_EQ(summary("Duplex"), "Full");
    EXPECT_EQ(summary("Autonegotiation"), "Off");
    EXPECT_EQ(summary("Bus Address"), "None");

    auto detail = [&](const char* name) {
        return libraries_.valueOf("CardDetailsName", "CardDetailsValue", name).value_or("(none)");
    };
    EXPECT_EQ(detail("IPv4 Address"), net_.addressA + "/30");
    EXPECT_EQ(detail("rx-gro"), *velnet::test::ioctlGro(net_.interfaceA) ? "On" : "Off");
    EXPECT_EQ(detail("Queues").rfind("RX ", 0), 0u) << detail("Queues");
    EXPECT_EQ(detail("PCI IDs"), "(none)"); // no PCI device behind it
}

TEST_F(RealNicTest, StatisticsRiseWithTrafficAndTheDriversOwnCountersFollow)
{
    sendTraffic(5);
    ASSERT_EQ(libraries_.card<ClearStatsFn>("ClearStats")(), 0);
    const std::uint64_t sentBefore = statistic("Packets Sent");
    // Cleared: the row starts again near zero while the kernel's count goes on.
    EXPECT_LT(sentBefore,
              std::stoull(velnet::test::kernelAttribute(net_.interfaceA, "statistics/tx_packets")));
    const std::uint64_t bytesBefore = statistic("Bytes Sent");
    const std::uint64_t kernelBefore =
        std::stoull(velnet::test::kernelAttribute(net_.interfaceA, "statistics/tx_packets"));
    sendTraffic(20);
    const std::uint64_t sentAfter = statistic("Packets Sent");
    const std::uint64_t kernelAfter =
        std::stoull(velnet::test::kernelAttribute(net_.interfaceA, "statistics/tx_packets"));
    EXPECT_GE(sentAfter, sentBefore + 20);
    EXPECT_GE(statistic("Bytes Sent"), bytesBefore + 20 * 64);
    // After ClearStats the rows count from zero: they rise as the kernel's do.
    EXPECT_EQ(sentAfter - sentBefore, kernelAfter - kernelBefore);
    EXPECT_GE(statistic("Packets Received"), 1u); // the neighbour's answer at least

    // The driver's own rows follow the uniform ones; veth's first is its
    // peer's ifindex, which the other namespace knows.
    const auto names = libraries_.names("StatisticsName");
    const auto first = std::find(names.begin(), names.end(), "peer_ifindex");
    ASSERT_NE(first, names.end());
    std::string peerIfindex;
    velnet::test::ChildProcess::run({"ip", "netns", "exec", net_.namespaceB, "cat",
                                     "/sys/class/net/" + net_.interfaceB + "/ifindex"},
                                    &peerIfindex);
    peerIfindex.erase(peerIfindex.find_last_not_of('\n') + 1);
    EXPECT_EQ(libraries_.value("StatisticsValue", static_cast<std::int32_t>(first - names.begin())),
              peerIfindex);
    // Past the driver's count there is nothing, whatever is asked.
    EXPECT_EQ(libraries_.value("StatisticsValue", static_cast<std::int32_t>(names.size())),
              std::nullopt);
    EXPECT_EQ(
        libraries_.card<ItemNameFn>("StatisticsName")(static_cast<std::int32_t>(names.size())), 0);
}

TEST_F(RealNicTest, AnOffloadChangesInTheKernelAndIsPutBack)
{
    const std::int32_t gro = libraries_.setting("rx-gro");
    ASSERT_GE(gro, 0);
    EXPECT_EQ(libraries_.options(gro), (std::vector<std::string>{"Off", "On"}));
    const bool wasOn = *velnet::test::ioctlGro(net_.interfaceA);
    EXPECT_EQ(libraries_.configValue(gro), wasOn ? "On" : "Off");

    EXPECT_EQ(libraries_.change(gro, wasOn ? "Off" : "On"), "");
    EXPECT_EQ(velnet::test::ioctlGro(net_.interfaceA), !wasOn);
    EXPECT_EQ(libraries_.configValue(gro), wasOn ? "Off" : "On");

    EXPECT_EQ(libraries_.change(gro, wasOn ? "On" : "Off"), "");
    EXPECT_EQ(velnet::test::ioctlGro(net_.interfaceA), wasOn);
}

TEST_F(RealNicTest, AChangeTheKernelDoesNotKeepIsPutBackAndSaysSo)
{
    // Without scatter-gather the kernel keeps TCP segmentation off, whatever
    // is asked.
    const std::int32_t sg = libraries_.setting("tx-scatter-gather");
    const std::int32_t tso = libraries_.setting("tx-tcp-segmentation");
    ASSERT_GE(sg, 0);
    ASSERT_GE(tso, 0);
    ASSERT_EQ(libraries_.configValue(tso), "On");
    EXPECT_EQ(libraries_.change(sg, "Off"), "");
    EXPECT_EQ(libraries_.configValue(tso), "Off");
    EXPECT_EQ(libraries_.change(tso, "On"),
              "The driver of " + net_.interfaceA +
                  " did not keep the new tx-tcp-segmentation; the previous setting was put back.");
    EXPECT_EQ(libraries_.configValue(tso), "Off");

    EXPECT_EQ(libraries_.change(sg, "On"), "");
    EXPECT_EQ(libraries_.configValue(sg), "On");
    EXPECT_EQ(libraries_.configValue(tso), "On");
}

TEST_F(RealNicTest, ChannelsChangeInTheKernelAndArePutBack)
{
    const auto before = velnet::test::ioctlRxChannels(net_.interfaceA);
    ASSERT_TRUE(before);
    ASSERT_GE(before->second, 2u) << "veth offers a receive channel per CPU";
    const std::int32_t channels = libraries_.setting("Receive Channels");
    ASSERT_GE(channels, 0);
    EXPECT_EQ(libraries_.options(channels).size(), std::min<std::size_t>(before->second, 64));
    EXPECT_EQ(libraries_.configValue(channels), std::to_string(before->first));

    EXPECT_EQ(libraries_.change(channels, "2"), "");
    EXPECT_EQ(velnet::test::ioctlRxChannels(net_.interfaceA)->first, 2u);
    EXPECT_EQ(libraries_.change(channels, std::to_string(before->first)), "");
    EXPECT_EQ(velnet::test::ioctlRxChannels(net_.interfaceA)->first, before->first);
}

TEST_F(RealNicTest, AdvancedSettingsAreMarkedAndTheMtuIsAppliedAndReadBack)
{
    const auto configName = libraries_.card<ConfigNameFn>("ConfigName");
    std::int16_t advanced = 0;
    ASSERT_NE(configName(libraries_.setting("MTU"), &advanced), 0);
    EXPECT_EQ(advanced, 1);
    ASSERT_NE(configName(libraries_.setting("rx-gro"), &advanced), 0);
    EXPECT_EQ(advanced, 0);
    // veth knows no link modes, no ring sizes and no flow control: not offered.
    EXPECT_EQ(libraries_.setting("Speed & Duplex"), -1);
    EXPECT_EQ(libraries_.setting("Receive Ring Size"), -1);
    EXPECT_EQ(libraries_.setting("Flow Control"), -1);

    const std::int32_t mtu = libraries_.setting("MTU");
    EXPECT_EQ(libraries_.configValue(mtu), "1500");
    EXPECT_EQ(libraries_.change(mtu, "9000"), "");
    EXPECT_EQ(velnet::test::kernelAttribute(net_.interfaceA, "mtu"), "9000");
    EXPECT_EQ(libraries_.change(mtu, "1500"), "");
    EXPECT_EQ(velnet::test::kernelAttribute(net_.interfaceA, "mtu"), "1500");
}

TEST_F(RealNicTest, OptimalSettingsTurnOnTheOffloadsAndOffWhatTheKernelKeepsOff)
{
    using velnet::ethcfg::OptimalOffload;
    using velnet::ethcfg::optimalOffload;
    velnet::linuxnic::Ethtool ethtool(net_.interfaceA);
    const auto before = ethtool.features();
    ASSERT_TRUE(before);
    // Someone switched on what the kernel keeps off for forwarding and copying.
    int keptOff = 0;
    for (std::size_t i = 0; i < before->size(); ++i) {
        const auto& feature = (*before)[i];
        if (feature.changeable() && optimalOffload(feature.name) == OptimalOffload::Off &&
            ethtool.requestFeature(i, true))
            ++keptOff;
    }
    EXPECT_GE(keptOff, 3) << "veth lets tx-nocache-copy, rx-gro-list, rx-udp-gro-forwarding change";
    const auto switched = ethtool.features();
    ASSERT_TRUE(switched);
    const std::int32_t result = libraries_.card<AutoConfigFn>("AutoConfig")();
    EXPECT_EQ(result, 0) << libraries_.string(result);

    const auto after = ethtool.features();
    ASSERT_TRUE(after);
    int turnedOn = 0;
    for (std::size_t i = 0; i < after->size(); ++i) {
        const auto& feature = (*after)[i];
        if (!feature.changeable())
            continue;
        switch (optimalOffload(feature.name)) {
        case OptimalOffload::On:
            EXPECT_TRUE(feature.requested) << feature.name;
            turnedOn += !(*before)[i].active;
            break;
        case OptimalOffload::Off:
            EXPECT_FALSE(feature.requested) << feature.name;
            break;
        case OptimalOffload::LeftAlone:
            EXPECT_EQ(feature.requested, (*switched)[i].requested) << feature.name;
            break;
        }
    }
    EXPECT_GT(turnedOn, 0); // rx-gro at least starts off on veth
    EXPECT_EQ(libraries_.configValue(libraries_.setting("rx-gro")), "On");
    EXPECT_EQ(libraries_.configValue(libraries_.setting("tx-nocache-copy")), "Off");

    // Back as it was, so that the other tests see veth's own defaults.
    const auto last = ethtool.features();
    ASSERT_TRUE(last);
    for (std::size_t i = 0; i < before->size(); ++i) {
        if ((*before)[i].changeable() && (*before)[i].requested != (*last)[i].requested)
            ethtool.requestFeature(i, (*before)[i].requested);
    }
}

TEST_F(RealNicTest, AChangeWithoutRightsIsRefusedWithTheRightsMessage)
{
    const std::int32_t gro = libraries_.setting("rx-gro");
    ASSERT_GE(gro, 0);
    const auto before = velnet::test::ioctlGro(net_.interfaceA);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        // An ordinary user: no capabilities left.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const std::string reading = libraries_.configValue(gro);
        const std::string message = libraries_.change(gro, *before ? "Off" : "On");
        const std::string optimal =
            libraries_.string(libraries_.card<AutoConfigFn>("AutoConfig")());
        const std::string report = reading + "\n" + message + "\n" + optimal;
        const ssize_t written = ::write(fds[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 3);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // Reading works for anyone; a change and Optimal Settings are refused,
    // and nothing changed.
    const std::string rights = "This needs administrator rights (the CAP_NET_ADMIN capability). "
                               "The kernel refused: Operation not permitted.";
    EXPECT_EQ(report, std::string(*before ? "On" : "Off") + "\n" + rights + "\n" + rights);
    EXPECT_EQ(velnet::test::ioctlGro(net_.interfaceA), before);
}

TEST_F(RealNicTest, SelfTestsCheckDriverLinkAndCounters)
{
    EXPECT_EQ(libraries_.names("TestName"),
              (std::vector<std::string>{"Driver Response Test", "Link Test", "Counter Test"}));
    const auto runTest = libraries_.card<RunTestFn>("RunTest");
    EXPECT_EQ(runTest(0), 0);
    EXPECT_EQ(runTest(1), 0);
    EXPECT_EQ(runTest(2), 0);
    EXPECT_EQ(libraries_.string(runTest(3)), "There is no such test for this NIC.");

    // The other end switched off: no carrier here.
    ASSERT_EQ(velnet::test::ChildProcess::run(
                  {"ip", "-n", net_.namespaceB, "link", "set", net_.interfaceB, "down"}),
              0);
    const std::int32_t failure = runTest(1);
    velnet::test::ChildProcess::run(
        {"ip", "-n", net_.namespaceB, "link", "set", net_.interfaceB, "up"});
    EXPECT_EQ(libraries_.string(failure),
              "The link of " + net_.interfaceA +
                  " is down: there is no carrier (no cable, or the other end is off).");
}

TEST_F(RealNicTest, VethHasNoDriverSelfTestsAndSaysSo)
{
    velnet::linuxnic::Ethtool ethtool(net_.interfaceA);
    EXPECT_EQ(ethtool.stringCount(ETH_SS_TEST), std::nullopt);
    EXPECT_EQ(ethtool.error(), EOPNOTSUPP);
    EXPECT_EQ(ethtool.selfTest(false), std::nullopt);
    EXPECT_EQ(ethtool.error(), EOPNOTSUPP);
    const auto info = ethtool.driverInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->testCount, 0u);
}

TEST_F(RealNicTest, TheDriverIsNeverTakenOffLineAndThePictureIsAPng)
{
    EXPECT_EQ(libraries_.card<DisableDriverFn>("DisableDriver")(0), VELNET_DRIVER_NO_ENABLE);
    EXPECT_EQ(libraries_.card<EnableDriverFn>("EnableDriver")(0), 0);
    const auto picture = libraries_.card<PictureFn>("Picture")();
    ASSERT_NE(picture, nullptr);
    const unsigned char* bytes = nullptr;
    std::uint32_t size = 0;
    ASSERT_NE(libraries_.card<ResourceBitmapFn>("ResourceBitmap")(picture, &bytes, &size), 0);
    ASSERT_GT(size, 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes) + 1, 3), "PNG");
    const std::int32_t refused = libraries_.card<SelectCardFn>("SelectCard")(5, 0);
    EXPECT_LT(refused, 0);
    EXPECT_EQ(libraries_.string(refused & 0xFFF),
              "The selected NIC was not found on this computer.");
    // The NIC selected before stays selected.
    EXPECT_EQ(libraries_.valueOf("CardSummaryName", "CardSummaryValue", "Interface"),
              net_.interfaceA);
}

TEST_F(RealNicTest, EchoesWithAnotherComputerThroughTheLibrary)
{
    velnet::test::EchoPartner partner;
    ASSERT_TRUE(partner.start(net_, CARDCHECK_ECHO_RESPONDER));
    ASSERT_EQ(libraries_.card<ClearStatsFn>("ClearStats")(), 0);
    const auto echoTest = libraries_.card<EchoTestFn>("EchoTest");
    const auto received = libraries_.card<EchoCountFn>("NumberEchosReceived");
    const auto sent = libraries_.card<EchoCountFn>("NumberEchosSent");
    const auto state = libraries_.card<EchoStateFn>("EchoState");

    // Continuous: runs until Stop, which ends it at once.
    auto run = std::async(std::launch::async, [&] { return echoTest(VELNET_ECHO_SEND, 1); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (received() < 20 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(state(), VELNET_ECHO_SEND);
    char name[VELNET_ECHO_NAME_SIZE] = {};
    libraries_.card<EchoNameFn>("LastEchoResponder")(name);
    EXPECT_STREQ(name, velnet::test::EchoPartner::kName);
    ASSERT_EQ(echoTest(VELNET_ECHO_STOP, 0), 0);
    ASSERT_EQ(run.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(run.get(), 0);
    EXPECT_EQ(state(), VELNET_ECHO_IDLE);
    EXPECT_GE(received(), 20u);
    EXPECT_GE(sent(), received());

    // The statistics rows carry the same figures, and sane round-trip times.
    EXPECT_EQ(statistic("Echoes Received"), received());
    EXPECT_EQ(statistic("Echoes Sent"), sent());
    const std::uint64_t minimum = statistic("Echo RTT Minimum (us)");
    const std::uint64_t average = statistic("Echo RTT Average (us)");
    const std::uint64_t maximum = statistic("Echo RTT Maximum (us)");
    EXPECT_GT(minimum, 0u);
    EXPECT_LE(minimum, average);
    EXPECT_LE(average, maximum);
    EXPECT_LT(maximum, 1000000u);

    // One burst without Continuous ends by itself.
    const std::uint32_t before = received();
    auto burst = std::async(std::launch::async, [&] { return echoTest(VELNET_ECHO_SEND, 0); });
    ASSERT_EQ(burst.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(burst.get(), 0);
    EXPECT_GT(received(), before);

    EXPECT_GT(partner.stop(), 20);
}

} // namespace

int main(int argc, char** argv)
{
    return velnet::test::runInsideNetns(argc, argv, [](int count, char** arguments) {
        ::testing::InitGoogleTest(&count, arguments);
        return RUN_ALL_TESTS();
    });
}
