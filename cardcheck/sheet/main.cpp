// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CCardcheckApp.h"
#include "cardcheck/ui/HelpKeyWatcher.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/SheetContext.h"
#include "common/platform/DisplayCheck.h"
#include "common/platform/OsVersion.h"
#include "common/platform/QtHelpViewer.h"
#include "common/platform/Restart.h"
#include "common/registry/FileRegistry.h"
#include "common/ui/QtMessagePresenter.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    const velnet::platform::DisplayCheck display(argc, argv, "cardcheck");
    if (!display.available())
        return 1;
    QApplication app(argc, argv);
    // The menu entry's icon on every window, and its desktop id, so that a
    // desktop shows the windows under the menu entry that started them.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/cardcheck/images/program-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("velnet-cardcheck"));

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
