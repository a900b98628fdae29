// SPDX-License-Identifier: MIT
#include "nicsetup/AlertBits.h"

namespace velnet::nicsetup {

unsigned e1 = 0;
unsigned e2 = 0;
unsigned e3 = 0;

void AlertBits::refresh(std::uint32_t alertType)
{
    e1 = alertType & 1;
    e2 = alertType & 2;
    e3 = alertType & 4;
}

std::uint32_t AlertBits::toggle(std::uint32_t alertType, unsigned row)
{
    switch (row) {
    case Information:
        return e1 ? (alertType & 6) : (alertType | 1);
    case Warning:
        return e2 ? (alertType & 5) : (alertType | 2);
    case Error:
        return e3 ? (alertType & 3) : (alertType | 4);
    default:
        return alertType;
    }
}

const char* AlertBits::text(std::uint32_t alertType)
{
    static const char* const kTexts[] = {
        "Off",   "Information",       "Warning",       "Information/Warning",
        "Error", "Information/Error", "Warning/Error", "Information/Warning/Error"};
    return alertType < 8 ? kTexts[alertType] : "";
}

} // namespace velnet::nicsetup
