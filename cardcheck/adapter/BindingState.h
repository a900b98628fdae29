// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace velnet::cardcheck {

// The program-wide values of the library binding. The program keeps its one
// object in ProgramState (ui/ProgramState.h); a test may give an
// AdapterLibrary its own.
struct BindingState
{
    // Position in the CardList of the selected NIC.
    std::int32_t selectedIndex = 0;
    // 1 once a driver was taken off line in a way that needs a restart, or
    // EnableDriver asked for one. Read when the sheet closes.
    std::int32_t restartNeeded = 0;
    // 1 once a configuration value was changed or set automatically.
    std::int32_t configurationChanged = 0;
};

} // namespace velnet::cardcheck
