// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/AdapterContract.h"

#include <string_view>

namespace velnet::platform {
class DynamicLibrary;
}

namespace velnet::cardcheck {

// Names one entry point, in resolving order.
enum class Entry
{
#define VELNET_ENTRY_ENUMERATOR(name, type, display) name,
    VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_ENUMERATOR)
#undef VELNET_ENTRY_ENUMERATOR
};

// The 31 entry-point slots of a card-type library, in resolving order. An
// export the library lacks leaves its slot empty (nullptr).
struct EntryPoints
{
#define VELNET_ENTRY_SLOT(name, type, display) type name = nullptr;
    VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_SLOT)
#undef VELNET_ENTRY_SLOT

#define VELNET_ENTRY_ONE(name, type, display) +1
    static constexpr int count = 0 VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_ONE);
#undef VELNET_ENTRY_ONE

    // The name cardcheck's messages give `entry` ("CardSummaryName()").
    static std::string_view displayName(Entry entry);

    // Fills every slot from `library` (empty slots for missing exports).
    void resolve(const velnet::platform::DynamicLibrary& library);
    // Empties every slot.
    void clear();
    // How many slots are filled.
    int filled() const;
};

static_assert(EntryPoints::count == 31, "a card-type library has 31 entry points");

} // namespace velnet::cardcheck
