// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/AdapterPicture.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/ui/PictureWindow.h"

#include <QPointer>

namespace velnet::cardcheck {

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

QImage AdapterPicture::bitmapOf(AdapterLibrary& library)
{
    const auto bytes = library.picture();
    return bytes ? decode(*bytes) : QImage();
}

PictureWindow* AdapterPicture::create(AdapterLibrary& library)
{
    if (current)
        return update(library);
    const QImage bitmap = bitmapOf(library);
    if (!bitmap.isNull())
        current = PictureWindow::fromImage(bitmap);
    return current.data();
}

PictureWindow* AdapterPicture::update(AdapterLibrary& library)
{
    if (!current)
        return create(library);
    current->replaceBitmap(bitmapOf(library));
    return current.data();
}

} // namespace velnet::cardcheck
