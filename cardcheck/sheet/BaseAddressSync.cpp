// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/BaseAddressSync.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/registry/Registry.h"

#include <cstdio>

namespace velnet::cardcheck {

using velnet::registry::Access;
using velnet::registry::Root;
using velnet::registry::Status;

bool BaseAddressSync::qualifies(std::string_view cardName)
{
    return cardName.starts_with("Corvane Fast Velnet XL") ||
           cardName.starts_with("Corvane Fast Velnet Server XL");
}

std::string BaseAddressSync::instanceKeyPath(int instance)
{
    char path[80];
    std::snprintf(path, sizeof path, "SYSTEM\\CurrentControlSet\\Services\\Vxsrvnt%x\\Parameters",
                  static_cast<unsigned>(instance));
    return path;
}

int BaseAddressSync::run()
{
    int written = 0;
    std::uint32_t ordinal = 0;
    const CardList& cards = library_.cards();
    for (std::int32_t i = 0; i < cards.size(); ++i) {
        if (!qualifies(cards.at(i)->name))
            continue;
        std::string& message = sheetState().selectionMessage;
        message.clear();
        library_.select(i, message);
        const std::optional<std::string> address = library_.CardSummaryValue(0);
        ++ordinal;
        written += writeAddress(ordinal, address ? &*address : nullptr);
    }
    return written;
}

int BaseAddressSync::writeAddress(std::uint32_t ordinal, const std::string* address)
{
    int written = 0;
    for (int n = 0; n < kInstanceKeys; ++n) {
        auto key = registry_.open(Root::LocalMachine, instanceKeyPath(n), Access::Full);
        if (!key)
            continue;
        const std::optional<std::uint32_t> sequence = key.queryDword("AdapterSeq");
        if (!sequence) {
            appMessageBox(kCorruptedText);
            continue;
        }
        // A NIC whose library gave no address has nothing to write.
        if (*sequence == ordinal && address &&
            key.setString("Base_Mac_Address", *address) == Status::Success)
            ++written;
    }
    return written;
}

} // namespace velnet::cardcheck
