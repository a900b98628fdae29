// SPDX-License-Identifier: MIT
#pragma once

#include "CfmEcho.h"
#include "ConfigItem.h"
#include "EthNic.h"
#include "SelfTests.h"
#include "StringTable.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velnet::ethcfg {

// The behaviour behind ETHCFG's exports: the machine's Ethernet NICs as the
// kernel reports them. One object per loaded library (library()); the
// exports are thin calls into it.
class EthCardLibrary
{
public:
    EthCardLibrary();
    EthCardLibrary(const EthCardLibrary&) = delete;
    EthCardLibrary& operator=(const EthCardLibrary&) = delete;

    std::int32_t CardName(std::int32_t card, char* name);
    std::int32_t CardHelp(std::int32_t card);
    std::int32_t SelectCard(std::int32_t card, std::int16_t flag);
    const char* Picture();
    std::int32_t CardSummaryName(std::int32_t item);
    std::int32_t CardSummaryValue(std::int32_t item, char* value);
    std::int32_t CardSummaryHelp(std::int32_t item);
    std::int32_t CardDetailsName(std::int32_t item);
    std::int32_t CardDetailsValue(std::int32_t item, char* value);
    std::int32_t CardDetailsHelp(std::int32_t item);
    std::int32_t ConfigName(std::int32_t item, std::int16_t* advanced);
    std::int32_t ConfigOption(std::int32_t item, std::int32_t option, char* text);
    std::int32_t ConfigValue(std::int32_t item, char* value);
    std::int32_t AutoConfig();
    std::int32_t ChangeConfigValue(std::int32_t item, std::int32_t option);
    std::int32_t ConfigHelp(std::int32_t item);
    std::int32_t StatisticsName(std::int32_t item);
    std::int32_t StatisticsValue(std::int32_t item, char* value);
    std::int32_t StatisticsHelp(std::int32_t item);
    std::int32_t TestName(std::int32_t test);
    std::int32_t RunTest(std::int32_t test);
    std::int32_t TestHelp(std::int32_t test);
    std::int32_t EchoTest(std::uint8_t role, std::int32_t continuous);
    std::int32_t ClearStats();
    std::uint8_t EchoState();
    std::int32_t LastEchoResponder(char* name);
    std::int32_t LastEchoSender(char* name);
    std::uint32_t NumberEchosSent();
    std::uint32_t NumberEchosReceived();
    std::int32_t DisableDriver(std::int32_t position);
    std::int32_t EnableDriver(std::int32_t position);
    std::int32_t ResourceString(std::uint32_t id, char* buffer, std::int32_t size);
    std::int32_t ResourceBitmap(const char* name, const unsigned char** bytes, std::uint32_t* size);

    // Help ids: the program's help file has a topic for each group.
    static constexpr std::int32_t kHelpBase = 0x26000;

private:
    // What the selected NIC offers, fixed when it is selected.
    struct Selection
    {
        std::vector<Row> summary;
        std::vector<Row> details;
        std::vector<ConfigItem> settings;
        std::unique_ptr<SelfTests> tests;
        std::vector<std::optional<std::uint64_t>> clearedAt; // uniform counters at ClearStats
    };

    std::int32_t text(const std::string& value) { return strings_.id(value); }
    std::int32_t writeText(char* buffer, std::size_t size, const std::string& value) const;
    const EthNic* selectedNic() const;
    std::int32_t rowName(std::vector<Row> Selection::*rows, std::int32_t item);
    std::int32_t rowValue(std::vector<Row> Selection::*rows, std::int32_t item, char* value);
    std::optional<std::string> statisticValue(std::size_t item);
    std::optional<std::string> echoStatistic(std::size_t index) const;
    std::optional<std::string> driverStatistic(std::size_t index);
    void rememberCounters();

    StringTable strings_;
    std::vector<EthNic> nics_;
    std::atomic<std::int32_t> selected_{-1};
    mutable std::mutex mutex_; // guards selection_
    Selection selection_;
    cfmecho::EchoSession echo_;
    bool offlineTests_ = false;
};

EthCardLibrary& library();

} // namespace velnet::ethcfg
