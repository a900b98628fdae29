#pragma once

namespace velnet::registry {
class Registry;
}
namespace velnet::platform {
class HelpViewer;
}

namespace cardcheck {

// What the sheet and its pages are given from outside: the registry store
// and the help viewer (the real ones in the program, fakes in tests).
struct SheetContext
{
    velnet::registry::Registry& registry;
    velnet::platform::HelpViewer& help;
};

} // namespace cardcheck
