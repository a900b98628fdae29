// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace velnet::cardcheck {

// The work of start-up, a plain call that the splash runs on its worker
// thread: discovers the NICs, creates the program's AdapterLibrary and
// selects the first NIC, in card list order, that can be selected. Returns the number of NICs, or 0
// when none was found or none could be selected; `errorText` then holds the last failure.
class StartupDiscovery
{
public:
    static std::int32_t run(std::string& errorText, bool welcomeMode);
};

} // namespace velnet::cardcheck
