// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/EntryPoints.h"

#include "common/platform/DynamicLibrary.h"

namespace velnet::cardcheck {

std::string_view EntryPoints::displayName(Entry entry)
{
    static constexpr std::string_view names[] = {
#define VELNET_ENTRY_DISPLAY(name, type, display) display,
        VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_DISPLAY)
#undef VELNET_ENTRY_DISPLAY
    };
    return names[static_cast<int>(entry)];
}

void EntryPoints::resolve(const velnet::platform::DynamicLibrary& library)
{
#define VELNET_ENTRY_RESOLVE(name, type, display) name = library.resolve<type>(#name);
    VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_RESOLVE)
#undef VELNET_ENTRY_RESOLVE
}

void EntryPoints::clear()
{
    *this = EntryPoints{};
}

int EntryPoints::filled() const
{
    int n = 0;
#define VELNET_ENTRY_COUNT(name, type, display) n += name != nullptr;
    VELNET_CARD_ENTRY_POINTS(VELNET_ENTRY_COUNT)
#undef VELNET_ENTRY_COUNT
    return n;
}

} // namespace velnet::cardcheck
