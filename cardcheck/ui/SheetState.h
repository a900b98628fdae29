// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>

namespace velnet::cardcheck {

// The program-wide flags of the property sheet and its pages.
struct SheetState
{
    enum Page
    {
        General = 0,
        Properties = 1,
        Diagnostics = 2,
        Support = 3
    };

    int advancedMode = 0;     // started with "-a": advanced configuration items shown
    int welcomeMode = 0;      // started with "-inf": the welcome dialog, SelectCard gets 1
    int rebootAtExit = 0;     // the user accepted a restart
    int helpFromKeyboard = 0; // F1 went down; help handlers read and clear it
    std::array<int, 4> refresh{};
    // What the library said when the selected NIC was last selected.
    std::string selectionMessage;

    // A NIC was selected: every page rebuilds when next shown.
    void setAllRefreshFlags() { refresh.fill(1); }
    // The page's refresh flag, cleared.
    bool testRefresh(Page page)
    {
        const bool set = refresh[page] != 0;
        refresh[page] = 0;
        return set;
    }
};

} // namespace velnet::cardcheck
