// SPDX-License-Identifier: MIT
#include "common/platform/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
    const std::string beside =
        helpFilePathFor(QCoreApplication::applicationFilePath().toStdString());
    if (QFileInfo::exists(QString::fromStdString(beside)))
        return beside;
    // Installed, help files are data: ../share/velnet/<program>.hlp.
    const QFileInfo file(QString::fromStdString(beside));
    const QString shared = QDir::cleanPath(file.absolutePath() +
                                           QStringLiteral("/../share/velnet/") + file.fileName());
    return QFileInfo::exists(shared) ? shared.toStdString() : beside;
}

} // namespace velnet::platform
