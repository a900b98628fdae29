// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

namespace velnet::nicsim {

// What one card-type library knows of its own product before any scenario
// says otherwise. Each card-type library defines thisProduct().
struct Product
{
    const char* type;         // the type nicport reports, e.g. "VX410"
    const char* cardDefaults; // JSON object: a NIC's items as the library ships them
    const char* pictureName;  // the bitmap resource Picture() names
    std::int32_t helpBase;    // first help id of the product's help topics
};

const Product& thisProduct();
// The PNG of the product's picture, the bitmap `pictureName`: the file in the
// library's picture/ folder, compiled in (velnet_embed_png).
std::span<const unsigned char> productPicture();

} // namespace velnet::nicsim
