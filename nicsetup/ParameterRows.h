// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::nicsetup {

struct CARD_INFO;

// What the main dialog shows of a record: its label in the NIC list and the
// five ACD parameter rows.
class ParameterRows
{
public:
    enum Row : unsigned
    {
        SelfCheckLevel = 0,
        SamplingWindow = 1,
        SamplingRatio = 2,
        ErrorTolerance = 3,
        AlertType = 4,
        Count = 5
    };

    // "Self Check Level", ..., "Sampling Ratio " (with its trailing blank), ...
    static const char* label(unsigned row);
    static std::string value(const CARD_INFO& card, unsigned row);

    // "1. Fast Velnet Server NIC [00:a0:...]  Slot 3  Bus 0", or with
    // "[Run vxtest]" when the MAC address is empty.
    static std::string nicLabel(const CARD_INFO& card, std::uint32_t adapterIndex);

    // The words the choice editor offers for SelfCheckLevel and ErrorTolerance.
    static std::vector<std::string> choices(unsigned row);
};

} // namespace velnet::nicsetup
