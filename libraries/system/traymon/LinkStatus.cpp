// SPDX-License-Identifier: MIT
#include "libraries/system/traymon/LinkStatus.h"

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace velnet::traymon {

namespace {

const char* const kDefaultScenario = R"({
  "nics": [
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC" },
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC" }
  ]
})";

bool linkOf(const nlohmann::json& nic)
{
    if (!nic.contains("link"))
        return true;
    const auto& link = nic.at("link");
    if (link.is_boolean())
        return link.get<bool>();
    if (link.is_string())
        return link.get<std::string>() != "down";
    return true;
}

} // namespace

Result<std::vector<NicLink>> LinkStatus::parse(const std::string& jsonText)
{
    std::vector<NicLink> nics;
    // The JSON library reports malformed text and wrongly typed members by
    // throwing; its message is the reason.
    try {
        const auto scenario = nlohmann::json::parse(jsonText);
        for (const auto& nic : scenario.value("nics", nlohmann::json::array())) {
            if (!nic.is_object())
                continue;
            nics.push_back({nic.value("name", nic.value("type", std::string("NIC"))), linkOf(nic)});
        }
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return nics;
}

Result<std::vector<NicLink>> LinkStatus::load()
{
    const char* path = std::getenv("NICPORT_SCENARIO");
    if (!path || !*path)
        return parse(kDefaultScenario);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail(std::string("cannot read ") + path);
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

std::string LinkStatus::summary(const std::vector<NicLink>& nics)
{
    if (nics.empty())
        return "No network interface cards found";
    std::string text;
    for (const NicLink& nic : nics) {
        if (!text.empty())
            text += '\n';
        text += nic.name + (nic.linkUp ? ": Connected" : ": Cable unplugged");
    }
    return text;
}

} // namespace velnet::traymon
