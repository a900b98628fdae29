// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

namespace velnet::nicsetup {

// The program's pictures, compiled in, each at normal and double resolution.
class Images
{
public:
    static constexpr int IDR_MAINFRAME = 128;  // the program's icon
    static constexpr int IDB_DECORATION = 158; // the picture in the main dialog

    static QIcon icon();
    static QIcon decoration();
};

} // namespace velnet::nicsetup
