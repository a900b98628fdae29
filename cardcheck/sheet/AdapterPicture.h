#pragma once

#include <QImage>
#include <cstddef>
#include <vector>

namespace cardcheck {

class AdapterLibrary;
class PictureWindow;

// The picture of the selected NIC: one picture window, made from the bitmap
// that the loaded card-type library names, and given the new library's
// bitmap after every selection.
class AdapterPicture
{
public:
    // The picture window, created on the first call when the library has a
    // picture, its bitmap replaced on later calls. nullptr when there is
    // none (then nothing changed).
    static PictureWindow* Picture(AdapterLibrary& library);
    // The current picture window, if one was made and still exists.
    static PictureWindow* window();

    // An encoded image (PNG) as a bitmap; null when it does not decode.
    static QImage decode(const std::vector<unsigned char>& bytes);
};

} // namespace cardcheck
