// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace velnet::registry {
class Registry;
}
namespace velnet::platform {
class HelpViewer;
}

namespace velnet::nicsetup {

// The application: loads the configuration, runs the main dialog, and opens
// the help file for the dialogs. main() hands it the store and the help
// viewer; tests hand it their own.
class CServcfgApp
{
public:
    // Help contexts of dialogs are this base plus the dialog's template number.
    static constexpr std::uint32_t HID_BASE_RESOURCE = 0x20000;

    void setRegistry(registry::Registry* registry) { registry_ = registry; }
    registry::Registry& registry() const { return *registry_; }
    void setHelpViewer(platform::HelpViewer* viewer) { helpViewer_ = viewer; }
    // The help file; the program's path with .hlp unless set.
    void setHelpFile(std::string path) { helpFile_ = std::move(path); }
    std::string helpFile() const;

    // Loads the configuration before any window exists, then runs the main
    // dialog modally. Returns the program's exit status: 0 once the dialog
    // has closed, 1 when there is no driver service key (its message has
    // been shown and no window was opened).
    int InitInstance();

    // Opens the help file at a help context.
    void WinHelp(std::uint32_t context);

private:
    registry::Registry* registry_ = nullptr;
    platform::HelpViewer* helpViewer_ = nullptr;
    std::string helpFile_;
};

extern CServcfgApp theApp;

} // namespace velnet::nicsetup
