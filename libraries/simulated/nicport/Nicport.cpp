// SPDX-License-Identifier: MIT
// nicport.dll: finds the simulated NICs and names their types, as the
// scenario describes them.

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/simulated/nicsim/Scenario.h"
#include "libraries/simulated/nicsim/Trace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

class Nicport
{
public:
    Nicport() : scenario_(velnet::nicsim::Scenario::load())
    {
        velnet::nicsim::trace("load nicport");
        if (!scenario_.error.empty())
            std::fprintf(stderr, "nicport: %s\n", scenario_.error.c_str());
    }
    ~Nicport() { velnet::nicsim::trace("unload nicport"); }

    bool exports(const char* name) const { return scenario_.nicport.missing.count(name) == 0; }

    int32_t init()
    {
        velnet::nicsim::trace("NicportInit");
        return scenario_.nicport.init;
    }
    uint32_t discoverCards() { return scenario_.discoveredCount(); }
    int32_t cardType(int32_t nic, char* type)
    {
        const auto& failsAt = scenario_.nicport.cardTypeFailsAt;
        if (!type || nic < 0 || static_cast<std::size_t>(nic) >= scenario_.nics.size() ||
            (failsAt && nic >= *failsAt))
            return 0;
        const std::string name = scenario_.nicType(static_cast<std::size_t>(nic));
        if (scenario_.nicport.unterminated) {
            std::memset(type, ' ', VELNET_CARD_TYPE_SIZE);
            std::memcpy(type, name.data(),
                        std::min<std::size_t>(name.size(), VELNET_CARD_TYPE_SIZE));
        } else {
            const std::size_t n = std::min<std::size_t>(name.size(), VELNET_CARD_TYPE_SIZE - 1);
            std::memcpy(type, name.data(), n);
            type[n] = '\0';
        }
        return 1;
    }
    int32_t exit()
    {
        velnet::nicsim::trace("NicportExit");
        return 0;
    }

private:
    velnet::nicsim::Scenario scenario_;
};

Nicport& nicport()
{
    static Nicport instance;
    return instance;
}

[[gnu::constructor]] void onLoad()
{
    nicport();
}

} // namespace

// Indirect functions, so that a scenario can take any export away (see
// CardExports.cpp of nicsim).
#define NICPORT_EXPORT(Result, Name, Method, Params, Args)                                         \
    static Result VELNET_CALL Name##Implementation Params                                          \
    {                                                                                              \
        return nicport().Method Args;                                                              \
    }                                                                                              \
    using Name##Pointer = Result(VELNET_CALL*) Params;                                             \
    extern "C" {                                                                                   \
    static Name##Pointer Name##Resolver()                                                          \
    {                                                                                              \
        return nicport().exports(#Name) ? &Name##Implementation : nullptr;                         \
    }                                                                                              \
    Result VELNET_CALL Name Params __attribute__((ifunc(#Name "Resolver")));                       \
    }

NICPORT_EXPORT(int32_t, NicportInit, init, (void), ())
NICPORT_EXPORT(uint32_t, DiscoverCards, discoverCards, (void), ())
NICPORT_EXPORT(int32_t, CardType, cardType, (int32_t nic, char* type), (nic, type))
NICPORT_EXPORT(int32_t, NicportExit, exit, (void), ())
