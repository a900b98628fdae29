// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/CardPicture.h"

#include "libraries/simulated/nicsim/PngImage.h"

namespace velnet::nicsim {

std::vector<unsigned char> cardPicture(const PictureStyle& style)
{
    constexpr std::uint32_t background = 0xC0C0C0;
    constexpr std::uint32_t metal = 0x9CA3AB;
    constexpr std::uint32_t metalEdge = 0x6B7178;
    constexpr std::uint32_t gold = 0xD4A017;
    constexpr std::uint32_t chip = 0x26282B;
    constexpr std::uint32_t trace = 0x7FB069;

    PngImage image(96, 64, background);
    // Board, with a darker edge and a few traces.
    image.fill(14, 8, 78, 42, style.board);
    image.fill(14, 48, 78, 2, trace);
    for (int y = 14; y < 46; y += 8)
        image.fill(22, y, 18, 1, trace);
    // Edge connector.
    for (int x = 30; x < 82; x += 3)
        image.fill(x, 50, 2, 6, gold);
    // Controller chips and a small EEPROM.
    for (int i = 0; i < style.controllers; ++i)
        image.fill(46 + i * 22, 16, 18, 18, chip);
    image.fill(26, 36, 8, 6, chip);
    // Mounting bracket with the RJ-45 socket and link lights.
    const int bracketTop = style.serverBracket ? 2 : 6;
    image.fill(4, bracketTop, 8, 60 - bracketTop, metal);
    image.fill(11, bracketTop, 1, 60 - bracketTop, metalEdge);
    image.fill(2, 20, 12, 12, 0x303030);
    image.fill(5, 23, 6, 6, 0x101010);
    image.fill(6, 12, 3, 3, 0x3CC43C);
    if (style.serverBracket)
        image.fill(6, 36, 3, 3, 0xF0C419);
    return image.encode();
}

} // namespace velnet::nicsim
