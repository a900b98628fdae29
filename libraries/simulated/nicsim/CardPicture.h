// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

namespace velnet::nicsim {

struct PictureStyle
{
    std::uint32_t board; // colour of the circuit board
    int controllers;     // large chips on the board
    bool serverBracket;  // the taller bracket with two link lights
};

// A PNG picture of a PCI network card in the given style, on a light grey
// background (the top-left pixel: transparent when shown).
std::vector<unsigned char> cardPicture(const PictureStyle& style);

} // namespace velnet::nicsim
