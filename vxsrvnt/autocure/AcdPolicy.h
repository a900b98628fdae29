// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/config/DriverConfig.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::vxsrvnt::autocure {

enum class SelfCheckLevel
{
    Off,      // the NIC is not watched
    Basic,    // counters and link, every window
    Enhanced, // also the driver's online self test, once a window
};

// The five ACD values of one NIC as the monitor acts on them. Words are
// matched as nicsetup's choice editor matches them: without regard to case,
// the first of the words in alphabetical order that begins with the stored
// text. Anything else gives one warning and the default below.
struct AcdPolicy
{
    // Defaults, also what `install` writes into a new instance key.
    static constexpr const char* kDefaultLevel = "Basic";
    static constexpr std::uint32_t kDefaultWindowSeconds = 10;
    static constexpr std::uint32_t kDefaultRatioPercent = 5;
    static constexpr const char* kDefaultTolerance = "Medium";
    static constexpr std::uint32_t kDefaultAlertMask = 7;

    static constexpr std::uint32_t kMaxWindowSeconds = 65536;
    // Fewer packets than this (good and bad together) in a window make it
    // idle: neither good nor bad. A lost link or a failed self test still
    // makes it bad.
    static constexpr std::uint64_t kPacketFloor = 100;
    // Bad windows in a row before the monitor cures.
    static constexpr int kLowTolerance = 1;
    static constexpr int kMediumTolerance = 3;
    static constexpr int kHighTolerance = 5;

    SelfCheckLevel level = SelfCheckLevel::Basic;
    std::uint32_t windowSeconds = kDefaultWindowSeconds; // 0: not watched
    std::uint32_t ratioPercent = kDefaultRatioPercent;   // 0..100
    int toleranceWindows = kMediumTolerance;
    std::uint32_t alertMask = kDefaultAlertMask; // AlertKind bits

    bool watched() const { return level != SelfCheckLevel::Off && windowSeconds != 0; }
    // A window with `packets` good and `bad` bad packets: bad when it has
    // any bad packet and their share reaches the ratio.
    bool badShare(std::uint64_t packets, std::uint64_t bad) const;

    // Reads the stored values; each one that is unknown or out of range adds
    // a warning to `warnings` and takes its default.
    static AcdPolicy fromSettings(const AcdSettings& settings, std::vector<std::string>& warnings);

    bool operator==(const AcdPolicy&) const = default;
};

const char* levelName(SelfCheckLevel level);
const char* toleranceName(int toleranceWindows);

} // namespace velnet::vxsrvnt::autocure
