// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

namespace velnet::nicsim {

// A small RGB picture, encoded as PNG for a library's bitmap resource.
class PngImage
{
public:
    PngImage(int width, int height, std::uint32_t background);

    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t pixel(int x, int y) const;
    // 0xRRGGBB; pixels outside the picture are ignored.
    void fill(int x, int y, int w, int h, std::uint32_t rgb);

    std::vector<unsigned char> encode() const;

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

} // namespace velnet::nicsim
