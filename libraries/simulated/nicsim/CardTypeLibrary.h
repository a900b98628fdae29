// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/simulated/nicsim/EchoEngine.h"
#include "libraries/simulated/nicsim/Product.h"
#include "libraries/simulated/nicsim/Scenario.h"
#include "libraries/simulated/nicsim/StringPool.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace velnet::nicsim {

// The behaviour behind a simulated card-type library's exports: the NICs of
// its type in the scenario, each with its summary, details, configuration,
// statistics and self tests, plus the echo test. One object per loaded
// library (library()); the exports are thin calls into it.
class CardTypeLibrary
{
public:
    explicit CardTypeLibrary(const Product& product);
    ~CardTypeLibrary();
    CardTypeLibrary(const CardTypeLibrary&) = delete;
    CardTypeLibrary& operator=(const CardTypeLibrary&) = delete;

    // Whether the scenario leaves export `name` in place.
    bool exports(const char* name) const;

    // The entry points of the contract, with the types the contract gives them.
#define NICSIM_ENTRY_MEMBER(Name, Pointer, Display) std::remove_pointer_t<Pointer> Name;
    VELNET_CARD_ENTRY_POINTS(NICSIM_ENTRY_MEMBER)
#undef NICSIM_ENTRY_MEMBER
    std::int32_t ResourceString(std::uint32_t id, char* buffer, std::int32_t size);
    std::int32_t ResourceBitmap(const char* name, const unsigned char** bytes, std::uint32_t* size);

private:
    struct Item
    {
        std::int32_t nameId = 0;
        std::optional<std::string> value;
        std::int32_t help = 0;
    };
    struct ConfigItem
    {
        std::int32_t nameId = 0;
        bool advanced = false;
        std::vector<std::string> options;
        std::string value;
        std::size_t optimal = 0;
        std::int32_t changeResult = 0;
        std::int32_t help = 0;
    };
    struct Statistic
    {
        std::int32_t nameId = 0;
        std::string source; // "counter", "echoSent", "echoReceived"
        double base = 0;
        double rate = 0;
        std::int32_t help = 0;
    };
    struct SelfTest
    {
        std::int32_t nameId = 0;
        std::int32_t result = 0;
        std::int32_t durationMs = 0;
        std::int32_t help = 0;
        // Runs that still fail before the test passes; -1: every run fails.
        // Only RunTest touches it, and one test runs at a time.
        std::int32_t failuresLeft = -1;
    };
    struct Card
    {
        std::size_t nic = 0;
        std::string name;
        std::vector<Item> summary;
        std::vector<Item> details;
        std::vector<ConfigItem> config;
        std::vector<Statistic> statistics;
        std::vector<SelfTest> tests;
        std::int32_t selectResult = 0;
        std::int32_t autoConfigResult = 0;
        std::optional<std::string> picture;
    };

    Card buildCard(std::size_t nic);
    std::vector<Item> buildItems(const nlohmann::json& list, const nlohmann::json& nic,
                                 std::int32_t helpBase);
    std::int32_t textId(const nlohmann::json& value);
    // The text a scenario value stands for: itself, or the string of the id
    // it names (none: empty).
    std::string text(const nlohmann::json& value) const;
    std::int32_t selectResult(const nlohmann::json& value);
    std::int32_t writeText(char* buffer, std::size_t size, const std::string& text) const;
    Card* selected();
    const nlohmann::json* nicAtPosition(std::int32_t position) const;
    std::int32_t echoError(EchoEngine::Result result);
    double secondsSinceClear() const;

    const Product& product_;
    Scenario scenario_;
    const Scenario::Type& type_;
    StringPool strings_;
    std::vector<Card> cards_;
    std::atomic<std::int32_t> selected_{0};
    std::atomic<std::int64_t> clearedAt_;
    EchoEngine echo_;
    std::span<const unsigned char> picture_;
    struct Messages
    {
        std::int32_t noSuchNic = 0;
        std::int32_t noSuchTest = 0;
        std::int32_t noReplies = 0;
        std::int32_t peerNotLocal = 0;
        std::int32_t alreadyRunning = 0;
        std::int32_t network = 0;
        std::int32_t badRole = 0;
        std::int32_t echoStart = 0;
        std::int32_t echoStop = 0;
    } messages_;
    std::string libraryName_;
};

CardTypeLibrary& library();

} // namespace velnet::nicsim
