// SPDX-License-Identifier: MIT
#include "tools/PictureFile.h"

#include <cstdio>

namespace velnet::tools {

bool writePicture(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace velnet::tools
