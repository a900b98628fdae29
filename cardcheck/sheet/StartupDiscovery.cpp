// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/StartupDiscovery.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/adapter/Discovery.h"
#include "cardcheck/ui/ProgramState.h"

namespace velnet::cardcheck {

std::int32_t StartupDiscovery::run(std::string& errorText, bool welcomeMode)
{
    Discovery discovery;
    std::int32_t n = discovery.Discover(errorText);
    if (n <= 0)
        return n;
    AdapterLibrary& library = createAdapterLibrary(std::move(discovery));
    library.setWelcomeMode(welcomeMode);
    std::string& message = sheetState().selectionMessage;
    for (std::int32_t i = 0; i < n; ++i) {
        message.clear();
        if (library.select(i, message))
            break;
        errorText = message;
        if (i == n - 1)
            n = 0;
    }
    return n;
}

} // namespace velnet::cardcheck
