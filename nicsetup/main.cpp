// SPDX-License-Identifier: MIT
#include "common/platform/DisplayCheck.h"
#include "common/platform/QtHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "common/ui/QtMessagePresenter.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/Servcfg.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const velnet::platform::DisplayCheck display(argc, argv, velnet::nicsetup::PROGRAM_NAME);
    if (!display.available())
        return 1;
    QApplication app(argc, argv);
    // The name, not a display name: the platform would add a display name
    // to every caption, which must stay as designed.
    QApplication::setApplicationName(velnet::nicsetup::PROGRAM_NAME);
    // The menu entry's desktop id (the Wayland app id), so that a desktop
    // shows the windows under the entry that started them.
    QGuiApplication::setDesktopFileName(QStringLiteral("velnet-nicsetup"));

    velnet::ui::QtMessagePresenter presenter;
    velnet::ui::setMessagePresenter(&presenter);
    velnet::registry::FileRegistry registry(velnet::registry::FileRegistry::defaultPath());
    velnet::platform::QtHelpViewer help;

    using velnet::nicsetup::theApp;
    theApp.setRegistry(&registry);
    theApp.setHelpViewer(&help);
    const int status = theApp.InitInstance();
    velnet::ui::setMessagePresenter(nullptr);
    return status;
}
