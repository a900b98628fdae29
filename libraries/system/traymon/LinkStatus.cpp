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

std::vector<NicLink> LinkStatus::parse(const std::string& jsonText, std::string* error)
{
    std::vector<NicLink> nics;
    try {
        const auto scenario = nlohmann::json::parse(jsonText);
        for (const auto& nic : scenario.value("nics", nlohmann::json::array())) {
            if (!nic.is_object())
                continue;
            nics.push_back({nic.value("name", nic.value("type", std::string("NIC"))), linkOf(nic)});
        }
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        nics.clear();
    }
    return nics;
}

std::vector<NicLink> LinkStatus::load(std::string* error)
{
    const char* path = std::getenv("NICPORT_SCENARIO");
    if (!path || !*path)
        return parse(kDefaultScenario, error);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = std::string("cannot read ") + path;
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), error);
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
