// SPDX-License-Identifier: MIT
#include "ProgramName.h"
#include "Servcfg.h"
#include "platform/DisplayCheck.h"
#include "platform/QtHelpViewer.h"
#include "registry/FileRegistry.h"
#include "ui/QtMessagePresenter.h"

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
