// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/SelfTests.h"

#include "libraries/real/ethcfg/Messages.h"
#include "linux/nic/Rtnetlink.h"

#include <cerrno>
#include <chrono>
#include <net/if.h>
#include <thread>

namespace velnet::ethcfg {

using linuxnic::Ethtool;

namespace {

constexpr const char* kOwnNames[SelfTests::kOwnTests] = {"Driver Response Test", "Link Test",
                                                         "Counter Test"};

} // namespace

DriverSuite DriverSuite::of(const std::string& interfaceName)
{
    DriverSuite suite;
    Ethtool ethtool(interfaceName);
    if (const auto names = ethtool.strings(ETH_SS_TEST))
        suite.names = *names;
    suite.run = [interfaceName](bool offline, int& error) {
        Ethtool ethtool(interfaceName);
        auto result = ethtool.selfTest(offline);
        error = ethtool.error();
        return result;
    };
    return suite;
}

SelfTests::SelfTests(const EthNic& nic, bool offline, DriverSuite suite)
    : nic_(nic), offline_(offline), suite_(std::move(suite))
{
}

std::string SelfTests::name(std::size_t test) const
{
    if (test < kOwnTests)
        return kOwnNames[test];
    return "Driver Test: " + suite_.names.at(test - kOwnTests);
}

std::optional<std::string> SelfTests::run(std::size_t test)
{
    switch (test) {
    case 0:
        return driverAnswers();
    case 1:
        return linkIsUp();
    case 2:
        return countersReadable();
    default:
        return driverTest(test - kOwnTests);
    }
}

std::optional<std::string> SelfTests::driverAnswers() const
{
    Ethtool ethtool(nic_.interfaceName());
    if (!ethtool.driverInfo())
        return "The driver of " + nic_.interfaceName() +
               " did not answer the request for its name and version: " +
               Messages::reason(ethtool.error());
    return std::nullopt;
}

std::optional<std::string> SelfTests::linkIsUp() const
{
    linuxnic::Rtnetlink netlink;
    const auto link = netlink.link(nic_.ifindex());
    const std::string& name = nic_.interfaceName();
    if (!link)
        return "The state of " + name + " could not be read: " + Messages::reason(netlink.error());
    if (!(link->flags & IFF_UP))
        return name + " is switched off (administratively down); \"ip link set " + name +
               " up\" switches it on.";
    if (link->carrier.value_or((link->flags & IFF_RUNNING) ? 1 : 0) == 0)
        return "The link of " + name +
               " is down: there is no carrier (no cable, or the other end is off).";
    return std::nullopt;
}

std::optional<std::string> SelfTests::countersReadable() const
{
    std::vector<std::uint64_t> first;
    for (std::size_t i = 0; i < EthNic::uniformCounterCount(); ++i) {
        const auto value = nic_.uniformCounter(i);
        if (!value)
            return std::string("The counter \"") + EthNic::uniformCounterName(i) + "\" of " +
                   nic_.interfaceName() + " could not be read.";
        first.push_back(*value);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (std::size_t i = 0; i < first.size(); ++i) {
        const auto value = nic_.uniformCounter(i);
        if (value && *value < first[i])
            return std::string("The counter \"") + EthNic::uniformCounterName(i) + "\" of " +
                   nic_.interfaceName() + " went backwards, from " + std::to_string(first[i]) +
                   " to " + std::to_string(*value) + ".";
    }
    return std::nullopt;
}

std::optional<std::string> SelfTests::driverTest(std::size_t index)
{
    if (index >= suite_.names.size())
        return Messages::kNoSuchTest;
    const std::string& name = nic_.interfaceName();
    std::lock_guard lock(mutex_);
    // The kernel runs the whole suite in one call: the first row of a pass
    // runs it, the later rows of that pass report from its result. A row at
    // or before the last one served starts a new pass.
    if (index == 0 || index <= lastDriverRow_ || (!result_ && !suiteError_)) {
        result_.reset();
        suiteError_.reset();
        int error = 0;
        result_ = suite_.run ? suite_.run(offline_, error) : std::nullopt;
        if (!result_) {
            if (error == EOPNOTSUPP)
                suiteError_ = "The driver of " + name +
                              " does not run self tests (ETHTOOL_TEST is not supported).";
            else if (error == EPERM || error == EACCES)
                suiteError_ = std::string(Messages::kRights) + " " + Messages::reason(error);
            else
                suiteError_ = "The driver of " + name +
                              " could not run its self tests: " + Messages::reason(error);
        }
    }
    lastDriverRow_ = index;
    if (suiteError_)
        return suiteError_;
    const std::string& test = suite_.names[index];
    if (index >= result_->results.size())
        return "The driver of " + name + " gave no result for \"" + test + "\".";
    if (result_->results[index] != 0)
        return "The driver's test \"" + test + "\" of " + name + " failed with result " +
               std::to_string(result_->results[index]) +
               (offline_ ? "." : " (online run; offline tests run only in advanced mode).");
    return std::nullopt;
}

} // namespace velnet::ethcfg
