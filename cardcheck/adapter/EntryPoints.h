#pragma once

#include "AdapterContract.h"

namespace velnet::platform {
class DynamicLibrary;
}

namespace cardcheck {

// The 31 entry-point slots of a card-type library, in resolving order. An
// export the library lacks leaves its slot empty (nullptr).
struct EntryPoints
{
    CardNameFn CardName = nullptr;
    CardHelpFn CardHelp = nullptr;
    SelectCardFn SelectCard = nullptr;
    PictureFn Picture = nullptr;
    ItemNameFn CardSummaryName = nullptr;
    ItemValueFn CardSummaryValue = nullptr;
    ItemHelpFn CardSummaryHelp = nullptr;
    ItemNameFn CardDetailsName = nullptr;
    ItemValueFn CardDetailsValue = nullptr;
    ItemHelpFn CardDetailsHelp = nullptr;
    ConfigNameFn ConfigName = nullptr;
    ConfigOptionFn ConfigOption = nullptr;
    ItemValueFn ConfigValue = nullptr;
    AutoConfigFn AutoConfig = nullptr;
    ChangeConfigValueFn ChangeConfigValue = nullptr;
    ItemHelpFn ConfigHelp = nullptr;
    ItemNameFn StatisticsName = nullptr;
    ItemValueFn StatisticsValue = nullptr;
    ItemHelpFn StatisticsHelp = nullptr;
    ItemNameFn TestName = nullptr;
    RunTestFn RunTest = nullptr;
    ItemHelpFn TestHelp = nullptr;
    EchoTestFn EchoTest = nullptr;
    ClearStatsFn ClearStats = nullptr;
    EchoStateFn EchoState = nullptr;
    EchoNameFn LastEchoResponder = nullptr;
    EchoNameFn LastEchoSender = nullptr;
    EchoCountFn NumberEchosSent = nullptr;
    EchoCountFn NumberEchosReceived = nullptr;
    DisableDriverFn DisableDriver = nullptr;
    EnableDriverFn EnableDriver = nullptr;

    static constexpr int count = 31;

    // Fills every slot from `library` (empty slots for missing exports).
    void resolve(const velnet::platform::DynamicLibrary& library);
    // Empties every slot.
    void clear() { *this = EntryPoints{}; }
    // How many slots are filled.
    int filled() const;
};

} // namespace cardcheck
