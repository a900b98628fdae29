#include "EntryPoints.h"

#include "platform/DynamicLibrary.h"

namespace cardcheck {

void EntryPoints::resolve(const velnet::platform::DynamicLibrary& library)
{
#define VELNET_RESOLVE(slot) slot = library.resolve<decltype(slot)>(#slot)
    VELNET_RESOLVE(CardName);
    VELNET_RESOLVE(CardHelp);
    VELNET_RESOLVE(SelectCard);
    VELNET_RESOLVE(Picture);
    VELNET_RESOLVE(CardSummaryName);
    VELNET_RESOLVE(CardSummaryValue);
    VELNET_RESOLVE(CardSummaryHelp);
    VELNET_RESOLVE(CardDetailsName);
    VELNET_RESOLVE(CardDetailsValue);
    VELNET_RESOLVE(CardDetailsHelp);
    VELNET_RESOLVE(ConfigName);
    VELNET_RESOLVE(ConfigOption);
    VELNET_RESOLVE(ConfigValue);
    VELNET_RESOLVE(AutoConfig);
    VELNET_RESOLVE(ChangeConfigValue);
    VELNET_RESOLVE(ConfigHelp);
    VELNET_RESOLVE(StatisticsName);
    VELNET_RESOLVE(StatisticsValue);
    VELNET_RESOLVE(StatisticsHelp);
    VELNET_RESOLVE(TestName);
    VELNET_RESOLVE(RunTest);
    VELNET_RESOLVE(TestHelp);
    VELNET_RESOLVE(EchoTest);
    VELNET_RESOLVE(ClearStats);
    VELNET_RESOLVE(EchoState);
    VELNET_RESOLVE(LastEchoResponder);
    VELNET_RESOLVE(LastEchoSender);
    VELNET_RESOLVE(NumberEchosSent);
    VELNET_RESOLVE(NumberEchosReceived);
    VELNET_RESOLVE(DisableDriver);
    VELNET_RESOLVE(EnableDriver);
#undef VELNET_RESOLVE
}

int EntryPoints::filled() const
{
    const void* const slots[] = {
        reinterpret_cast<const void*>(CardName),
        reinterpret_cast<const void*>(CardHelp),
        reinterpret_cast<const void*>(SelectCard),
        reinterpret_cast<const void*>(Picture),
        reinterpret_cast<const void*>(CardSummaryName),
        reinterpret_cast<const void*>(CardSummaryValue),
        reinterpret_cast<const void*>(CardSummaryHelp),
        reinterpret_cast<const void*>(CardDetailsName),
        reinterpret_cast<const void*>(CardDetailsValue),
        reinterpret_cast<const void*>(CardDetailsHelp),
        reinterpret_cast<const void*>(ConfigName),
        reinterpret_cast<const void*>(ConfigOption),
        reinterpret_cast<const void*>(ConfigValue),
        reinterpret_cast<const void*>(AutoConfig),
        reinterpret_cast<const void*>(ChangeConfigValue),
        reinterpret_cast<const void*>(ConfigHelp),
        reinterpret_cast<const void*>(StatisticsName),
        reinterpret_cast<const void*>(StatisticsValue),
        reinterpret_cast<const void*>(StatisticsHelp),
        reinterpret_cast<const void*>(TestName),
        reinterpret_cast<const void*>(RunTest),
        reinterpret_cast<const void*>(TestHelp),
        reinterpret_cast<const void*>(EchoTest),
        reinterpret_cast<const void*>(ClearStats),
        reinterpret_cast<const void*>(EchoState),
        reinterpret_cast<const void*>(LastEchoResponder),
        reinterpret_cast<const void*>(LastEchoSender),
        reinterpret_cast<const void*>(NumberEchosSent),
        reinterpret_cast<const void*>(NumberEchosReceived),
        reinterpret_cast<const void*>(DisableDriver),
        reinterpret_cast<const void*>(EnableDriver),
    };
    static_assert(sizeof(slots) / sizeof(slots[0]) == count);
    int n = 0;
    for (const void* slot : slots)
        n += slot != nullptr;
    return n;
}

} // namespace cardcheck
