// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace velnet::cardcheck {

// One NIC found by discovery. Owned by the CardList.
struct CardRecord
{
    enum DriverState : std::int32_t
    {
        Untouched = 0,     // DisableDriver not yet done (or it failed)
        PutBackAtExit = 1, // taken off line by us; EnableDriver at exit
        Handled = 2,       // done; nothing to put back
    };

    std::int32_t driverState = Untouched;
    // The item number under which the card-type library's CardName listed it.
    std::int32_t cardNumber = 0;
    // The text CardType gave, e.g. "VX410".
    std::string type;
    // The text CardName gave.
    std::string name;
    // The card-type library: type followed by "CFG", e.g. "VX410CFG".
    std::string libraryName;
};

} // namespace velnet::cardcheck
