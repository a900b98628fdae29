// SPDX-License-Identifier: MIT
// The exports of a simulated card-type library, compiled into each one.
//
// Every export is an indirect function: the loader's symbol look-up asks its
// resolver for the address, and the resolver answers nothing when the
// scenario takes that export away. So a scenario can make any entry point
// missing without a library build of its own.

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/simulated/nicsim/CardTypeLibrary.h"

#include <type_traits>

using velnet::nicsim::library;

namespace {

// Reads the scenario when the library is loaded, so that a trace shows
// every load and unload.
[[gnu::constructor]] void onLoad()
{
    library();
}

} // namespace

// Forwards an export's call to the member of the same name. The export's
// parameters come from its pointer type in the contract, so a member whose
// signature differs from the contract does not compile.
template <class Pointer> struct Forward;
template <class Result, class... Args> struct Forward<Result(VELNET_CALL*)(Args...)>
{
    template <Result (velnet::nicsim::CardTypeLibrary::*member)(Args...)>
    static Result VELNET_CALL call(Args... args)
    {
        return (library().*member)(args...);
    }
};

#define NICSIM_EXPORT(Name, Pointer, Display)                                                      \
    extern "C" {                                                                                   \
    static Pointer Name##Resolver()                                                                \
    {                                                                                              \
        return library().exports(#Name)                                                            \
                   ? &Forward<Pointer>::call<&velnet::nicsim::CardTypeLibrary::Name>               \
                   : nullptr;                                                                      \
    }                                                                                              \
    std::remove_pointer_t<Pointer> Name __attribute__((ifunc(#Name "Resolver")));                  \
    }

VELNET_CARD_ENTRY_POINTS(NICSIM_EXPORT)
NICSIM_EXPORT(ResourceString, ResourceStringFn, "")
NICSIM_EXPORT(ResourceBitmap, ResourceBitmapFn, "")
