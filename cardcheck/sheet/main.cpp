// SPDX-License-Identifier: MIT
#include "platform/DisplayCheck.h"
#include "platform/OsVersion.h"
#include "platform/QtHelpViewer.h"
#include "platform/Restart.h"
#include "registry/FileRegistry.h"
#include "sheet/CCardcheckApp.h"
#include "ui/HelpKeyWatcher.h"
#include "ui/ProgramState.h"
#include "ui/QtMessagePresenter.h"
#include "ui/SheetContext.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const velnet::platform::DisplayCheck display(argc, argv, "cardcheck");
    if (!display.available())
        return 1;
    QApplication app(argc, argv);

    velnet::ui::QtMessagePresenter presenter;
    velnet::ui::setMessagePresenter(&presenter);
    velnet::platform::QtHelpViewer help;
    velnet::registry::FileRegistry registry(velnet::registry::FileRegistry::defaultPath());
    velnet::platform::SystemRestart restart;
    velnet::platform::SystemOsVersion os;
    velnet::cardcheck::ProgramState state(restart, os);
    velnet::cardcheck::SheetContext context{registry, help, state};
    velnet::cardcheck::HelpKeyWatcher helpKey;

    velnet::cardcheck::CCardcheckApp program(context);
    program.InitInstance(QApplication::arguments());
    velnet::ui::setMessagePresenter(nullptr);
    return 0;
}
