// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <nlohmann/json.hpp>
#include <string>

namespace velnet::nicsim {

// The kinds of value each key of a scenario takes. A library reads its
// scenario while it is being loaded, where an exception would end the program
// that loads it; so every value is checked here first, and a value of the
// wrong kind refuses the whole file with a message that says where it is.
class ScenarioSchema
{
public:
    // Fails naming the first value of the wrong kind, e.g.
    // "nics[0].config[1].options[2] must be a text or a string id".
    static Outcome check(const nlohmann::json& scenario);

private:
    static Outcome checkNicport(const nlohmann::json& nicport);
    static Outcome checkNic(const nlohmann::json& nic, const std::string& where);
    static Outcome checkType(const nlohmann::json& type, const std::string& where);
    static Outcome checkEcho(const nlohmann::json& echo);
};

} // namespace velnet::nicsim
