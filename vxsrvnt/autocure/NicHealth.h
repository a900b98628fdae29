// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/AcdPolicy.h"
#include "vxsrvnt/autocure/Alert.h"

#include <cstdint>
#include <optional>
#include <string>

namespace velnet::vxsrvnt::autocure {

enum class WindowVerdict
{
    Good,
    Bad,
    Idle, // fewer packets than the floor, link and self test fine
};

const char* verdictName(WindowVerdict verdict);

// The figures of one closed window.
struct WindowFigures
{
    std::uint64_t packets = 0;    // good packets, received and sent
    std::uint64_t badPackets = 0; // errors and drops, received and sent
    double badPercent = 0;        // of packets + badPackets
    bool linkLost = false;        // no carrier at some tick of the window
    bool selfTestFailed = false;
    WindowVerdict verdict = WindowVerdict::Idle;
};

enum class NicState
{
    Off, // SelfCheckLevel Off or SamplingWindow 0
    Watching,
    Gone,      // the interface is not there
    AdminDown, // the administrator took the link down: not judged
};

const char* stateName(NicState state);

// What `vxsrvnt status` shows of one NIC's health.
struct NicHealth
{
    int adapterNumber = 0;
    std::string ifname;
    AcdPolicy policy;
    NicState state = NicState::Off;
    double windowElapsedSeconds = 0; // of the window in progress
    std::optional<WindowFigures> lastWindow;
    int badWindowsInARow = 0;
    int cures = 0;
    std::optional<Alert> lastAlert; // also those the AlertType bits kept quiet
    double lastAlertSecondsAgo = 0;
};

} // namespace velnet::vxsrvnt::autocure
