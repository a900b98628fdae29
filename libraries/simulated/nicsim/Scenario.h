// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velnet::nicsim {

// What the simulated hardware looks like: read from the JSON file that
// NICPORT_SCENARIO names, or the built-in default (two server NICs of type
// VX410). examples/scenarios/README.md describes every key.
struct Scenario
{
    struct Nicport
    {
        std::int32_t init = 0;                       // NicportInit result
        std::optional<std::uint32_t> count;          // DiscoverCards; default: number of NICs
        std::optional<std::int32_t> cardTypeFailsAt; // CardType returns 0 from this NIC on
        std::set<std::string> missing;               // exports taken away
        bool unterminated = false;                   // CardType fills its buffer without NUL
    };
    struct Type
    {
        std::set<std::string> missing;
        bool unterminated = false;                   // text entries fill the whole buffer, no NUL
        std::map<std::int32_t, std::string> strings; // texts at ids of the scenario's choice
    };
    struct Echo
    {
        // The responder listens on 127.0.0.1 at this UDP port; the sender
        // sends from a port of its own to the peer. The defaults let two
        // programs on this computer test with each other.
        std::uint16_t port = 47010;
        std::string peerHost = "127.0.0.1";
        std::uint16_t peerPort = 47010;
        std::int32_t burst = 10; // echoes of a sender run that is not continuous
        std::int32_t intervalMs = 100;
        std::int32_t replyTimeoutMs = 1000;
        nlohmann::json startError; // EchoTest fails at once with this text
        nlohmann::json stopError;  // EchoTest(2, 0) answers with this text
    };

    std::string computerName;
    Nicport nicport;
    std::vector<nlohmann::json> nics; // one object per NIC, as the file gives it
    std::map<std::string, Type> types;
    Echo echo;
    // Why the file could not be used; the scenario is then empty and
    // NicportInit fails.
    std::string error;

    // NICPORT_SCENARIO's file, or the default.
    static Scenario load();
    static Scenario parse(const std::string& jsonText);
    static const char* defaultText();

    const Type& type(const std::string& name) const;
    std::string nicType(std::size_t nic) const;
    // NICs that the card-type library of `type` lists, in card-number order.
    std::vector<std::size_t> cardsOfType(const std::string& type) const;
    // The NIC at each position of cardcheck's card list: types in the order
    // nicport reports them first, cards of a type by card number.
    std::vector<std::size_t> cardListOrder() const;
    // How many NICs DiscoverCards reports.
    std::uint32_t discoveredCount() const;
};

} // namespace velnet::nicsim
