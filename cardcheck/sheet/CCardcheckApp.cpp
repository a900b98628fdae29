// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CCardcheckApp.h"

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/CSplashDlg.h"
#include "cardcheck/sheet/CWarningDlg.h"
#include "cardcheck/sheet/CWelcomeDlg.h"
#include "cardcheck/sheet/StartupSwitches.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/Restart.h"

#include <QApplication>
#include <QWidget>

namespace velnet::cardcheck {

CCardcheckApp::CCardcheckApp(SheetContext& context, QObject* parent)
    : QObject(parent), context_(context), instance_(QString::fromLatin1(kInstanceName)),
      title_(QString::fromStdString(StringTable::load(ids::Title)))
{
    connect(&instance_, &velnet::platform::SingleInstance::raiseRequested, this,
            &CCardcheckApp::OnRaiseRequested);
}

bool CCardcheckApp::raiseWindowTitled(const QString& title)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->isVisible() && window->windowTitle() == title) {
            if (window->isMinimized())
                window->showNormal();
            window->raise();
            window->activateWindow();
            return true;
        }
    }
    return false;
}

void CCardcheckApp::OnRaiseRequested()
{
    emit raiseRequestHandled(raiseWindowTitled(title_));
}

bool CCardcheckApp::onlyCopy()
{
    // Copies started by different users (through pkexec or su) share no
    // runtime folder, but they share the display.
    display_ = velnet::platform::DisplayInstance::open(QString::fromLatin1(kDisplaySelection));
    if (display_)
        return display_->start(title_) == velnet::platform::DisplayInstance::Start::First;
    return instance_.start();
}

bool CCardcheckApp::InitInstance(const QStringList& arguments)
{
    // A copy already runs: its window has been brought to the front.
    if (!onlyCopy())
        return false;

    SheetState& state = sheetState();
    const StartupSwitches switches =
        StartupSwitches::parse(StartupSwitches::commandLine(arguments));
    if (switches.advanced)
        state.advancedMode = 1;
    if (switches.welcome) {
        state.welcomeMode = 1;
        CWelcomeDlg welcome(context_);
        if (welcome.exec() != QDialog::Accepted)
            return false;
    } else {
        CWarningDlg warning(context_);
        if (warning.exec() != QDialog::Accepted)
            return false;
    }

    {
        CSplashDlg splash(state.welcomeMode != 0);
        if (splash.runModal() != QDialog::Accepted)
            return false;
    }

    CMainDlg sheet(context_);
    sheet.exec();
    ExitInstance(sheet);
    return false;
}

void CCardcheckApp::ExitInstance(CMainDlg& sheet)
{
    ProgramState& program = ProgramState::current();
    sheet.diagnosticsPage()->waitForTest();
    if (AdapterLibrary* library = program.library()) {
        library->putDriversBack();
        program.destroyLibrary();
    }
    if (program.sheet.rebootAtExit == 1)
        program.restart().reboot();
}

} // namespace velnet::cardcheck
