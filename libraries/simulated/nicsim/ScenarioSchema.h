// SPDX-License-Identifier: MIT
#pragma once

#include <nlohmann/json.hpp>

namespace velnet::nicsim {

// The kinds of value each key of a scenario takes. A library reads its
// scenario while it is being loaded, where an exception would end the program
// that loads it; so every value is checked here first, and a value of the
// wrong kind refuses the whole file with a message that says where it is.
class ScenarioSchema
{
public:
    // Throws std::runtime_error naming the first value of the wrong kind,
    // e.g. "nics[0].config[1].options[2] must be a text or a string id".
    static void check(const nlohmann::json& scenario);

private:
    static void checkNicport(const nlohmann::json& nicport);
    static void checkNic(const nlohmann::json& nic, const std::string& where);
    static void checkType(const nlohmann::json& type, const std::string& where);
    static void checkEcho(const nlohmann::json& echo);
};

} // namespace velnet::nicsim
