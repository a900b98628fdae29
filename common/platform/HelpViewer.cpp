// SPDX-License-Identifier: MIT
#include "common/platform/HelpViewer.h"

#include <QCoreApplication>

namespace velnet::platform {

std::string helpFilePathFor(std::string_view programPath)
{
    const auto slash = programPath.find_last_of("/\\");
    const auto dot = programPath.rfind('.');
    std::string_view stem = programPath;
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash + 1))
        stem = programPath.substr(0, dot);
    return std::string(stem) + ".hlp";
}

std::string helpFilePath()
{
    return helpFilePathFor(QCoreApplication::applicationFilePath().toStdString());
}

} // namespace velnet::platform
