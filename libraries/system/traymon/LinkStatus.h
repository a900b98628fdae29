// SPDX-License-Identifier: MIT
#pragma once

#include "common/base/Result.h"

#include <string>
#include <vector>

namespace velnet::traymon {

// The NICs of the simulated hardware and whether each has a link: from the
// scenario file that NICPORT_SCENARIO names, or the two server NICs that
// the simulation has when none is named.
struct NicLink
{
    std::string name;
    bool linkUp = true;
};

class LinkStatus
{
public:
    // NICPORT_SCENARIO's NICs, or the reason the file cannot be used.
    static Result<std::vector<NicLink>> load();
    // The NICs of a scenario's JSON text. A NIC's "link" (true/false or
    // "up"/"down") tells its link state; without one the link is up.
    static Result<std::vector<NicLink>> parse(const std::string& jsonText);
    // One line per NIC: "name: Connected" or "name: Cable unplugged".
    static std::string summary(const std::vector<NicLink>& nics);
};

} // namespace velnet::traymon
