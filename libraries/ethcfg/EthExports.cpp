// The exports of ETHCFG, the card-type library of the machine's Ethernet NICs.

#include "AdapterContract.h"
#include "EthCardLibrary.h"

using velnet::ethcfg::library;

#define ETHCFG_EXPORT(Result, Name, Params, Args)                                                  \
    extern "C" VELNET_EXPORT Result VELNET_CALL Name Params                                        \
    {                                                                                              \
        return library().Name Args;                                                                \
    }

ETHCFG_EXPORT(int32_t, CardName, (int32_t card, char* name), (card, name))
ETHCFG_EXPORT(int32_t, CardHelp, (int32_t card), (card))
ETHCFG_EXPORT(int32_t, SelectCard, (int32_t card, int16_t flag), (card, flag))
ETHCFG_EXPORT(const char*, Picture, (void), ())
ETHCFG_EXPORT(int32_t, CardSummaryName, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, CardSummaryValue, (int32_t item, char* value), (item, value))
ETHCFG_EXPORT(int32_t, CardSummaryHelp, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, CardDetailsName, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, CardDetailsValue, (int32_t item, char* value), (item, value))
ETHCFG_EXPORT(int32_t, CardDetailsHelp, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, ConfigName, (int32_t item, int16_t* advanced), (item, advanced))
ETHCFG_EXPORT(int32_t, ConfigOption, (int32_t item, int32_t option, char* text),
              (item, option, text))
ETHCFG_EXPORT(int32_t, ConfigValue, (int32_t item, char* value), (item, value))
ETHCFG_EXPORT(int32_t, AutoConfig, (void), ())
ETHCFG_EXPORT(int32_t, ChangeConfigValue, (int32_t item, int32_t option), (item, option))
ETHCFG_EXPORT(int32_t, ConfigHelp, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, StatisticsName, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, StatisticsValue, (int32_t item, char* value), (item, value))
ETHCFG_EXPORT(int32_t, StatisticsHelp, (int32_t item), (item))
ETHCFG_EXPORT(int32_t, TestName, (int32_t test), (test))
ETHCFG_EXPORT(int32_t, RunTest, (int32_t test), (test))
ETHCFG_EXPORT(int32_t, TestHelp, (int32_t test), (test))
ETHCFG_EXPORT(int32_t, EchoTest, (uint8_t role, int32_t continuous), (role, continuous))
ETHCFG_EXPORT(int32_t, ClearStats, (void), ())
ETHCFG_EXPORT(uint8_t, EchoState, (void), ())
ETHCFG_EXPORT(int32_t, LastEchoResponder, (char* name), (name))
ETHCFG_EXPORT(int32_t, LastEchoSender, (char* name), (name))
ETHCFG_EXPORT(uint32_t, NumberEchosSent, (void), ())
ETHCFG_EXPORT(uint32_t, NumberEchosReceived, (void), ())
ETHCFG_EXPORT(int32_t, DisableDriver, (int32_t position), (position))
ETHCFG_EXPORT(int32_t, EnableDriver, (int32_t position), (position))
ETHCFG_EXPORT(int32_t, ResourceString, (uint32_t id, char* buffer, int32_t size),
              (id, buffer, size))
ETHCFG_EXPORT(int32_t, ResourceBitmap,
              (const char* name, const unsigned char** bytes, uint32_t* size), (name, bytes, size))
