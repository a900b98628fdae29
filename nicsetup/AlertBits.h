// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace velnet::nicsetup {

// The alert kinds of AlertType as the alert editor last showed them:
// e1 = AlertType & 1 (Information), e2 = AlertType & 2 (Warning),
// e3 = AlertType & 4 (Error). Program-wide; refreshed whenever the editor
// fills its list.
extern unsigned e1;
extern unsigned e2;
extern unsigned e3;

class AlertBits
{
public:
    // Rows of the alert editor's list.
    enum Row : unsigned
    {
        Information = 0,
        Warning = 1,
        Error = 2
    };

    static void refresh(std::uint32_t alertType);

    // The new AlertType after a double-click on `row`, decided by the row's
    // flag as last shown. Turning a kind off keeps only the other two kinds'
    // bits; turning it on keeps every other bit. Other rows change nothing.
    static std::uint32_t toggle(std::uint32_t alertType, unsigned row);

    // The value column of the main dialog's "Alert Type" row; empty for a
    // value above 7.
    static const char* text(std::uint32_t alertType);
};

} // namespace velnet::nicsetup
