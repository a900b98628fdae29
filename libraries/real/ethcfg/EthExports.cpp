// SPDX-License-Identifier: MIT
// The exports of ETHCFG, the card-type library of the machine's Ethernet NICs:
// the contract's list of entry points, each forwarded to the member of the
// same name.

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/real/ethcfg/EthCardLibrary.h"

#include <type_traits>

using velnet::ethcfg::EthCardLibrary;
using velnet::ethcfg::library;

namespace {

// The export's parameters come from its pointer type in the contract, so a
// member whose signature differs from the contract does not compile.
template <class Pointer> struct Forward;
template <class Result, class... Args> struct Forward<Result(VELNET_CALL*)(Args...)>
{
    template <Result (EthCardLibrary::*member)(Args...)>
    static Result VELNET_CALL call(Args... args)
    {
        return (library().*member)(args...);
    }
};

} // namespace

// An indirect function whose resolver always answers the forwarder: the
// only way to define a function from a pointer type alone.
#define ETHCFG_EXPORT(Name, Pointer, Display)                                                      \
    extern "C" {                                                                                   \
    static Pointer Name##Resolver()                                                                \
    {                                                                                              \
        return &Forward<Pointer>::call<&EthCardLibrary::Name>;                                     \
    }                                                                                              \
    std::remove_pointer_t<Pointer> Name __attribute__((ifunc(#Name "Resolver")));                  \
    }

VELNET_CARD_ENTRY_POINTS(ETHCFG_EXPORT)
ETHCFG_EXPORT(ResourceString, ResourceStringFn, "")
ETHCFG_EXPORT(ResourceBitmap, ResourceBitmapFn, "")
