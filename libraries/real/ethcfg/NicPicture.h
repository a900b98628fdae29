// SPDX-License-Identifier: MIT
#pragma once

#include <span>

namespace velnet::ethcfg {

// The PNG of picture/ethnic.png, compiled in: the bitmap "ETHNIC".
std::span<const unsigned char> nicPicture();

} // namespace velnet::ethcfg
