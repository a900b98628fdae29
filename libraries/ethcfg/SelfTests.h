#pragma once

#include "EthNic.h"
#include "Ethtool.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ethcfg {

// The self tests of one NIC: three of the library's own (the driver
// answers, the link is up, the counters can be read and never go back),
// then one row per test of the driver's ETHTOOL_TEST suite. The kernel runs
// the whole suite in one call, so the first of its rows runs it and every
// row of that pass reports from the same result.
class SelfTests
{
public:
    static constexpr std::size_t kOwnTests = 3;

    SelfTests(const EthNic& nic, bool offline);

    std::size_t count() const { return kOwnTests + driverTests_.size(); }
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
    std::vector<std::string> driverTests_;
    std::mutex mutex_;
    std::optional<linuxnic::SelfTestResult> suite_;
    std::optional<std::string> suiteError_;
    std::size_t lastDriverRow_ = 0;
};

} // namespace velnet::ethcfg
