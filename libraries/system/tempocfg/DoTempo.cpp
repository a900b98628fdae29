// SPDX-License-Identifier: MIT
// The applet's one entry point. It runs inside the program that loaded it,
// on that program's UI thread, and borrows its QApplication; a host without
// one (a plain command-line loader) gets a private one for the call.
#include "libraries/system/tempocfg/TempoDialog.h"

#include <QApplication>
#include <memory>

extern "C" __attribute__((visibility("default"))) int DoTEMPO(void)
{
    std::unique_ptr<QApplication> own;
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "tempocfg";
        static char* argv[] = {name, nullptr};
        own = std::make_unique<QApplication>(argc, argv);
    }
    TempoDialog dialog(QApplication::activeModalWidget());
    return dialog.exec();
}
