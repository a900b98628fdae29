// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QString>

namespace velnet::tools {

// Writes `image` as the PNG file `path`; says on stderr when it cannot.
bool writePicture(const QImage& image, const QString& path);

} // namespace velnet::tools
