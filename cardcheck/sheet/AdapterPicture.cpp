#include "AdapterPicture.h"

#include "adapter/AdapterLibrary.h"
#include "ui/PictureWindow.h"

#include <QPointer>

namespace cardcheck {

namespace {
// Lives with the page that holds it; the pointer clears itself then.
QPointer<PictureWindow> current;
} // namespace

QImage AdapterPicture::decode(const std::vector<unsigned char>& bytes)
{
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
    return image;
}

PictureWindow* AdapterPicture::window()
{
    return current.data();
}

PictureWindow* AdapterPicture::Picture(AdapterLibrary& library)
{
    const auto bytes = library.picture();
    const QImage bitmap = bytes ? decode(*bytes) : QImage();
    if (!current) {
        if (bitmap.isNull())
            return nullptr;
        current = PictureWindow::fromImage(bitmap);
        return current.data();
    }
    // A library without a picture leaves the window empty rather than
    // showing another NIC's picture.
    current->replaceBitmap(bitmap);
    return current.data();
}

} // namespace cardcheck
