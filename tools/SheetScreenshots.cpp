// SPDX-License-Identifier: MIT
// Grabs the property sheet's General page, as the program shows it on the
// simulated NICs, into a PNG file, and optionally the opening warning:
//   cardcheck_screenshots GENERAL.png [WARNING.png]
// Run through `tools/screenshots.sh cardcheck` (offscreen, demo registry).

#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/CWarningDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "common/ui/ScriptedResponder.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s GENERAL.png [WARNING.png]\n", argv[0]);
        return 2;
    }
    // Any message box would mean the picture is not the normal one.
    int failures = 0;
    velnet::ui::ScriptedResponder quiet([&failures](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
        ++failures;
    });

    velnet::registry::FileRegistry registry(velnet::registry::FileRegistry::defaultPath());
    velnet::platform::FakeHelpViewer help;
    velnet::cardcheck::SheetContext context{registry, help};
    std::string error;
    if (velnet::cardcheck::StartupDiscovery::run(error, false) <= 0) {
        std::fprintf(stderr, "no NIC: %s\n", error.c_str());
        return 1;
    }
    bool saved = true;
    if (argc == 3) {
        velnet::cardcheck::CWarningDlg warning(context);
        warning.show();
        QApplication::processEvents();
        saved = warning.grab().save(QString::fromLocal8Bit(argv[2]));
        warning.hide();
    }
    {
        velnet::cardcheck::CMainDlg sheet(context);
        sheet.show();
        QApplication::processEvents();
        saved = sheet.grab().save(QString::fromLocal8Bit(argv[1])) && saved;
        sheet.hide();
    }
    if (!saved)
        std::fprintf(stderr, "cannot write the pictures\n");
    return saved && failures == 0 ? 0 : 1;
}
