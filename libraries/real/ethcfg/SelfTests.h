// SPDX-License-Identifier: MIT
#pragma once

#include "libraries/real/ethcfg/EthNic.h"
#include "linux/nic/Ethtool.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ethcfg {

// The driver's own test suite (ETHTOOL_TEST): its test names and a call that
// runs all of them, answering the kernel's errno on failure.
struct DriverSuite
{
    std::vector<std::string> names;
    std::function<std::optional<linuxnic::SelfTestResult>(bool offline, int& error)> run;

    static DriverSuite of(const std::string& interfaceName);
};

// The self tests of one NIC: three of the library's own (the driver
// answers, the link is up, the counters can be read and never go back),
// then one row per test of the driver's ETHTOOL_TEST suite. The kernel runs
// the whole suite in one call, so the first of its rows runs it and every
// row of that pass reports from the same result.
class SelfTests
{
public:
    static constexpr std::size_t kOwnTests = 3;

    SelfTests(const EthNic& nic, bool offline, DriverSuite suite);

    std::size_t count() const { return kOwnTests + suite_.names.size(); }
    std::string name(std::size_t test) const;
    // Nothing when the test passed, else what failed and why.
    std::optional<std::string> run(std::size_t test);

private:
    std::optional<std::string> driverAnswers() const;
    std::optional<std::string> linkIsUp() const;
    std::optional<std::string> countersReadable() const;
    std::optional<std::string> driverTest(std::size_t index);

    const EthNic& nic_;
    bool offline_;
    DriverSuite suite_;
    std::mutex mutex_;
    std::optional<linuxnic::SelfTestResult> result_;
    std::optional<std::string> suiteError_;
    std::size_t lastDriverRow_ = 0;
};

} // namespace velnet::ethcfg
