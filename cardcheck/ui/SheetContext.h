// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/ProgramState.h"

namespace velnet::registry {
class Registry;
}
namespace velnet::platform {
class HelpViewer;
}

namespace velnet::cardcheck {

// What the sheet and its pages are given from outside: the registry store
// and the help viewer (the real ones in the program, fakes in tests), and the
// program-wide state with the services it asks of the system.
struct SheetContext
{
    velnet::registry::Registry& registry;
    velnet::platform::HelpViewer& help;
    ProgramState& program = ProgramState::current();
};

} // namespace velnet::cardcheck
