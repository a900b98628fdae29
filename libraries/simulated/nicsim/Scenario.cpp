// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/Scenario.h"

#include "libraries/simulated/nicsim/ScenarioSchema.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace velnet::nicsim {

using nlohmann::json;

namespace {

std::set<std::string> stringSet(const json& j, const char* key)
{
    std::set<std::string> result;
    if (j.contains(key))
        for (const auto& name : j.at(key))
            result.insert(name.get<std::string>());
    return result;
}

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "LOCALHOST";
    return name;
}

Outcome parseEcho(const json& j, Scenario::Echo& echo)
{
    echo.port = j.value("port", echo.port);
    if (j.contains("peer")) {
        const auto peer = j.at("peer").get<std::string>();
        const auto colon = peer.rfind(':');
        const std::string port = colon == std::string::npos ? "" : peer.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != port.npos ||
            std::stoi(port) > 65535)
            return fail("echo.peer must be host:port");
        echo.peerHost = peer.substr(0, colon);
        echo.peerPort = static_cast<std::uint16_t>(std::stoi(port));
    }
    echo.burst = j.value("burst", echo.burst);
    echo.intervalMs = j.value("intervalMs", echo.intervalMs);
    echo.replyTimeoutMs = j.value("replyTimeoutMs", echo.replyTimeoutMs);
    echo.startError = j.value("startError", json());
    echo.stopError = j.value("stopError", json());
    return {};
}

// A scenario that makes the libraries fail: nicport's NicportInit answers 1.
Scenario refused(std::string reason)
{
    Scenario broken;
    broken.error = std::move(reason);
    broken.nicport.init = 1;
    return broken;
}

} // namespace

const char* Scenario::defaultText()
{
    return R"({
  "nics": [
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
      "address": "00-A0-CC-4E-1F-02", "slot": 3, "irq": 11, "ioBase": "0xE800" },
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
      "address": "00-A0-CC-4E-1F-03", "slot": 4, "irq": 10, "ioBase": "0xE400" }
  ]
})";
}

Scenario Scenario::load()
{
    const char* path = std::getenv("NICPORT_SCENARIO");
    if (!path || !*path)
        return parse(defaultText());
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return refused(std::string("cannot read the scenario ") + path);
    std::ostringstream text;
    text << in.rdbuf();
    Scenario scenario = parse(text.str());
    if (!scenario.error.empty())
        scenario.error = std::string(path) + ": " + scenario.error;
    return scenario;
}

Scenario Scenario::parse(const std::string& jsonText)
{
    Scenario s;
    // The JSON library throws on malformed text; the schema has checked every
    // value's kind before it is read, so nothing below it throws.
    try {
        const json j = json::parse(jsonText);
        if (const Outcome checked = ScenarioSchema::check(j); !checked)
            return refused(checked.error());
        s.computerName = j.value("computerName", hostName());
        if (j.contains("nicport")) {
            const json& n = j.at("nicport");
            s.nicport.init = n.value("init", 0);
            if (n.contains("count"))
                s.nicport.count = n.at("count").get<std::uint32_t>();
            if (n.contains("cardTypeFailsAt"))
                s.nicport.cardTypeFailsAt = n.at("cardTypeFailsAt").get<std::int32_t>();
            s.nicport.missing = stringSet(n, "missing");
            s.nicport.unterminated = n.value("unterminated", false);
        }
        for (const auto& nic : j.value("nics", json::array())) {
            s.nics.push_back(nic);
        }
        const json types = j.value("types", json::object());
        for (auto t = types.begin(); t != types.end(); ++t) {
            Type type;
            type.missing = stringSet(t.value(), "missing");
            type.unterminated = t.value().value("unterminated", false);
            const json strings = t.value().value("strings", json::object());
            for (auto text = strings.begin(); text != strings.end(); ++text)
                type.strings[std::stoi(text.key())] = text.value().get<std::string>();
            s.types[t.key()] = std::move(type);
        }
        if (j.contains("echo"))
            if (const Outcome echo = parseEcho(j.at("echo"), s.echo); !echo)
                return refused(echo.error());
    } catch (const std::exception& e) {
        return refused(e.what());
    }
    return s;
}

const Scenario::Type& Scenario::type(const std::string& name) const
{
    static const Type none;
    const auto it = types.find(name);
    return it == types.end() ? none : it->second;
}

std::string Scenario::nicType(std::size_t nic) const
{
    return nics.at(nic).at("type").get<std::string>();
}

std::vector<std::size_t> Scenario::cardsOfType(const std::string& wanted) const
{
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < nics.size(); ++i)
        if (nicType(i) == wanted && nics[i].value("listed", true))
            result.push_back(i);
    return result;
}

std::uint32_t Scenario::discoveredCount() const
{
    return nicport.count.value_or(static_cast<std::uint32_t>(nics.size()));
}

std::vector<std::size_t> Scenario::cardListOrder() const
{
    std::vector<std::string> typesSeen;
    std::size_t reported = std::min<std::size_t>(discoveredCount(), nics.size());
    if (nicport.cardTypeFailsAt)
        reported = std::min<std::size_t>(
            reported, static_cast<std::size_t>(std::max(0, *nicport.cardTypeFailsAt)));
    for (std::size_t i = 0; i < reported; ++i)
        if (std::find(typesSeen.begin(), typesSeen.end(), nicType(i)) == typesSeen.end())
            typesSeen.push_back(nicType(i));
    std::vector<std::size_t> order;
    for (const auto& t : typesSeen)
        for (const std::size_t nic : cardsOfType(t))
            order.push_back(nic);
    return order;
}

} // namespace velnet::nicsim
