// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/real/ethcfg/ConfigItem.h"
#include "libraries/real/ethcfg/EthNic.h"
#include "libraries/real/ethcfg/EthStringTable.h"
#include "libraries/real/ethcfg/SelfTests.h"
#include "linux/cfm/CfmEcho.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
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

    // The entry points of the contract, with the types the contract gives them.
#define ETHCFG_ENTRY_MEMBER(Name, Pointer, Display) std::remove_pointer_t<Pointer> Name;
    VELNET_CARD_ENTRY_POINTS(ETHCFG_ENTRY_MEMBER)
#undef ETHCFG_ENTRY_MEMBER
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

    std::int32_t text(const std::string& value)
    {
        return strings_.id(value);
    }
    std::int32_t writeText(char* buffer, std::size_t size, const std::string& value) const;
    const EthNic* selectedNic() const;
    std::int32_t rowName(std::vector<Row> Selection::*rows, std::int32_t item);
    std::int32_t rowValue(std::vector<Row> Selection::*rows, std::int32_t item, char* value);
    std::optional<std::string> statisticValue(std::size_t item);
    std::optional<std::string> echoStatistic(std::size_t index) const;
    std::optional<std::string> driverStatistic(std::size_t index);
    void rememberCounters();

    EthStringTable strings_;
    std::vector<EthNic> nics_;
    std::atomic<std::int32_t> selected_{-1};
    mutable std::mutex mutex_; // guards selection_
    Selection selection_;
    cfmecho::EchoSession echo_;
    bool offlineTests_ = false;
};

EthCardLibrary& library();

} // namespace velnet::ethcfg
