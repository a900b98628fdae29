// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"
#include "common/platform/DisplayInstance.h"
#include "common/platform/SingleInstance.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace velnet::cardcheck {

class CMainDlg;

// The life of the program: one running copy, the start-up switches, the
// opening dialog, the splash while the NICs are found, then the property
// sheet until the user closes it.
class CCardcheckApp : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* kInstanceName = "cardcheck";
    // The X selection every copy on one display looks for.
    static constexpr const char* kDisplaySelection = "_VELNET_CARDCK";

    explicit CCardcheckApp(SheetContext& context, QObject* parent = nullptr);

    // Runs the program to its end. Returns false in every case: there is
    // nothing left to run afterwards.
    bool InitInstance(const QStringList& arguments);

    // The end of the run after `sheet` closed, in this order: a running self
    // test finishes, the drivers this run took off line go back on line, the
    // libraries are released, and the computer restarts if the user agreed.
    static void ExitInstance(CMainDlg& sheet);

    // Raises the top-level window that carries `title`; false when none does.
    static bool raiseWindowTitled(const QString& title);

signals:
    // A later start asked for the window; `raised`: one carried the title.
    void raiseRequestHandled(bool raised);

private:
    void OnRaiseRequested();
    // True when this is the one copy: on an X display, the only one there.
    bool onlyCopy();

    SheetContext& context_;
    velnet::platform::SingleInstance instance_;
    std::unique_ptr<velnet::platform::DisplayInstance> display_;
    QString title_;
};

} // namespace velnet::cardcheck
