// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

namespace velnet::test {

// The bytes a program holds through operator new, for checks of what an
// operation costs in memory. A program that links AllocationMeter.cpp has
// its operator new and delete counted.
class AllocationMeter
{
public:
    // Starts a new measurement from what is held now.
    static void reset();
    // The most held at any time since reset(), beyond what was held then.
    static std::size_t peak();
};

} // namespace velnet::test
