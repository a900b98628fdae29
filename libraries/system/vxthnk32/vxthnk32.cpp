// SPDX-License-Identifier: MIT
#include "libraries/system/vxthnk32/vxthnk32.h"

#include "common/registry/FileRegistry.h"

#include <cstdio>

using namespace velnet::registry;

namespace {

constexpr uint32_t kNone = 0xFFFF;
constexpr uint32_t kLastInterruptSlot = 6;
constexpr uint32_t kStatus = 255;
constexpr uint32_t kProblem = 511;

uint32_t answer(Key& node, uint32_t selector)
{
    if (selector <= kLastInterruptSlot) {
        const auto interrupts = node.query("Interrupts", 64);
        if (!interrupts || selector >= interrupts->data.size())
            return kNone;
        return interrupts->data[selector];
    }
    if (selector == kStatus)
        return node.queryDword("Status").value_or(0);
    if (selector == kProblem)
        return node.queryDword("Problem").value_or(0);
    return kNone;
}

} // namespace

extern "C" uint32_t MyThunk(uint32_t deviceNode, uint32_t selector)
{
    try {
        char name[16];
        std::snprintf(name, sizeof name, "%X", deviceNode);
        FileRegistry registry(FileRegistry::defaultPath());
        Key node = registry.open(Root::DynData, std::string("Config Manager\\Enum\\") + name,
                                 Access::Read);
        if (!node)
            return kNone;
        return answer(node, selector);
    } catch (...) {
        // Nothing may leave a C entry point.
        return kNone;
    }
}
