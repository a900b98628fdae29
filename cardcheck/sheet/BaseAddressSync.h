// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velnet::registry {
class Registry;
}

namespace velnet::cardcheck {

class AdapterLibrary;

// Copies the permanent network address of each server NIC into its driver
// instance keys, so that the server driver's configuration carries it. The
// n-th server NIC in card list order (counting from 1) goes to every
// instance key "SYSTEM\CurrentControlSet\Services\Vxsrvnt%x\Parameters"
// (0x0 to 0x63) whose AdapterSeq is n, as Base_Mac_Address. An instance key
// without a readable AdapterSeq is reported.
class BaseAddressSync
{
public:
    static constexpr int kInstanceKeys = 100;
    static constexpr const char* kCorruptedText = "R E G I S T R Y  C O R R U P T E D";

    BaseAddressSync(AdapterLibrary& library, velnet::registry::Registry& registry)
        : library_(library), registry_(registry)
    {
    }

    // Selects each server NIC in turn (the caller selects the NIC it wants
    // afterwards) and returns how many values were written.
    int run();

    // A server NIC: the name begins with "Corvane Fast Velnet XL" or
    // "Corvane Fast Velnet Server XL" (exact case).
    static bool qualifies(std::string_view cardName);
    // "SYSTEM\CurrentControlSet\Services\Vxsrvnt1f\Parameters" for 31.
    static std::string instanceKeyPath(int instance);

private:
    int writeAddress(std::uint32_t ordinal, const std::string* address);

    AdapterLibrary& library_;
    velnet::registry::Registry& registry_;
};

} // namespace velnet::cardcheck
