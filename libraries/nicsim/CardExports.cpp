// The exports of a simulated card-type library, compiled into each one.
//
// Every export is an indirect function: the loader's symbol look-up asks its
// resolver for the address, and the resolver answers nothing when the
// scenario takes that export away. So a scenario can make any entry point
// missing without a library build of its own.

#include "AdapterContract.h"
#include "CardTypeLibrary.h"

using nicsim::library;

namespace {

// Reads the scenario when the library is loaded, so that a trace shows
// every load and unload.
[[gnu::constructor]] void onLoad()
{
    library();
}

} // namespace

#define NICSIM_EXPORT(Result, Name, Params, Args)                                                  \
    static Result VELNET_CALL Name##Implementation Params                                          \
    {                                                                                              \
        return library().Name Args;                                                                \
    }                                                                                              \
    using Name##Pointer = Result(VELNET_CALL*) Params;                                             \
    extern "C" {                                                                                   \
    static Name##Pointer Name##Resolver()                                                          \
    {                                                                                              \
        return library().exports(#Name) ? &Name##Implementation : nullptr;                         \
    }                                                                                              \
    Result VELNET_CALL Name Params __attribute__((ifunc(#Name "Resolver")));                       \
    }

NICSIM_EXPORT(int32_t, CardName, (int32_t card, char* name), (card, name))
NICSIM_EXPORT(int32_t, CardHelp, (int32_t card), (card))
NICSIM_EXPORT(int32_t, SelectCard, (int32_t card, int16_t flag), (card, flag))
NICSIM_EXPORT(const char*, Picture, (void), ())
NICSIM_EXPORT(int32_t, CardSummaryName, (int32_t item), (item))
NICSIM_EXPORT(int32_t, CardSummaryValue, (int32_t item, char* value), (item, value))
NICSIM_EXPORT(int32_t, CardSummaryHelp, (int32_t item), (item))
NICSIM_EXPORT(int32_t, CardDetailsName, (int32_t item), (item))
NICSIM_EXPORT(int32_t, CardDetailsValue, (int32_t item, char* value), (item, value))
NICSIM_EXPORT(int32_t, CardDetailsHelp, (int32_t item), (item))
NICSIM_EXPORT(int32_t, ConfigName, (int32_t item, int16_t* advanced), (item, advanced))
NICSIM_EXPORT(int32_t, ConfigOption, (int32_t item, int32_t option, char* text),
              (item, option, text))
NICSIM_EXPORT(int32_t, ConfigValue, (int32_t item, char* value), (item, value))
NICSIM_EXPORT(int32_t, AutoConfig, (void), ())
NICSIM_EXPORT(int32_t, ChangeConfigValue, (int32_t item, int32_t option), (item, option))
NICSIM_EXPORT(int32_t, ConfigHelp, (int32_t item), (item))
NICSIM_EXPORT(int32_t, StatisticsName, (int32_t item), (item))
NICSIM_EXPORT(int32_t, StatisticsValue, (int32_t item, char* value), (item, value))
NICSIM_EXPORT(int32_t, StatisticsHelp, (int32_t item), (item))
NICSIM_EXPORT(int32_t, TestName, (int32_t test), (test))
NICSIM_EXPORT(int32_t, RunTest, (int32_t test), (test))
NICSIM_EXPORT(int32_t, TestHelp, (int32_t test), (test))
NICSIM_EXPORT(int32_t, EchoTest, (uint8_t role, int32_t continuous), (role, continuous))
NICSIM_EXPORT(int32_t, ClearStats, (void), ())
NICSIM_EXPORT(uint8_t, EchoState, (void), ())
NICSIM_EXPORT(int32_t, LastEchoResponder, (char* name), (name))
NICSIM_EXPORT(int32_t, LastEchoSender, (char* name), (name))
NICSIM_EXPORT(uint32_t, NumberEchosSent, (void), ())
NICSIM_EXPORT(uint32_t, NumberEchosReceived, (void), ())
NICSIM_EXPORT(int32_t, DisableDriver, (int32_t position), (position))
NICSIM_EXPORT(int32_t, EnableDriver, (int32_t position), (position))
NICSIM_EXPORT(int32_t, ResourceString, (uint32_t id, char* buffer, int32_t size),
              (id, buffer, size))
NICSIM_EXPORT(int32_t, ResourceBitmap,
              (const char* name, const unsigned char** bytes, uint32_t* size), (name, bytes, size))
