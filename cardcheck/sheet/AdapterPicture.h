// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <cstddef>
#include <vector>

namespace velnet::cardcheck {

class AdapterLibrary;
class PictureWindow;

// The picture of the selected NIC: one picture window, made from the bitmap
// that the loaded card-type library names, and given the new library's
// bitmap after every selection.
class AdapterPicture
{
public:
    // Makes the picture window from the loaded library's picture (or, when
    // one exists already, updates it). nullptr when there is no window.
    static PictureWindow* create(AdapterLibrary& library);
    // After a selection: the window shows the newly loaded library's
    // picture, empty when it has none (never another NIC's); made now if the
    // earlier library had no picture. nullptr when there is no window.
    static PictureWindow* update(AdapterLibrary& library);
    // The current picture window, if one was made and still exists.
    static PictureWindow* window();

    // An encoded image (PNG) as a bitmap; null when it does not decode.
    static QImage decode(const std::vector<unsigned char>& bytes);

private:
    static QImage bitmapOf(AdapterLibrary& library);
};

} // namespace velnet::cardcheck
