// SPDX-License-Identifier: MIT
#include "nicsetup/ParameterRows.h"

#include "nicsetup/AlertBits.h"
#include "nicsetup/Tables.h"

namespace velnet::nicsetup {

const char* ParameterRows::label(unsigned row)
{
    static const char* const kLabels[Count] = {"Self Check Level", "Sampling Window",
                                               "Sampling Ratio ", "Error Tolerance", "Alert Type"};
    return row < Count ? kLabels[row] : "";
}

std::string ParameterRows::value(const CARD_INFO& card, unsigned row)
{
    switch (row) {
    case SelfCheckLevel:
        return std::string(textOf(card.SelfCheckLevel));
    case SamplingWindow:
        return std::to_string(card.SamplingWindow);
    case SamplingRatio:
        return std::to_string(card.SamplingRatio);
    case ErrorTolerance:
        return std::string(textOf(card.ErrorTolerance));
    case AlertType:
        return AlertBits::text(card.AlertType);
    default:
        return {};
    }
}

std::string ParameterRows::nicLabel(const CARD_INFO& card, std::uint32_t adapterIndex)
{
    const std::string_view mac = textOf(card.Base_Mac_Address);
    return std::to_string(adapterIndex + 1) + ". Fast Velnet Server NIC [" +
           (mac.empty() ? std::string("Run vxtest") : std::string(mac)) + "]  Slot " +
           std::to_string(card.SlotNumber) + "  Bus " + std::to_string(card.BusNumber);
}

std::vector<std::string> ParameterRows::choices(unsigned row)
{
    switch (row) {
    case SelfCheckLevel:
        return {"Off", "Basic", "Enhanced"};
    case ErrorTolerance:
        return {"Low", "Medium", "High"};
    default:
        return {};
    }
}

} // namespace velnet::nicsetup
