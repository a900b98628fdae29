// SPDX-License-Identifier: MIT
#pragma once

#include "vxsrvnt/autocure/NicHealth.h"
#include "vxsrvnt/failover/ProbeHealth.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace velnet::vxsrvnt {

// The monitor's health as the running service leaves it for `status`, which
// runs in another process: JSON, replaced whole (temporary file and rename)
// at every tick, with the time it was written.
class HealthFile
{
public:
    explicit HealthFile(std::string path) : path_(std::move(path)) {}

    // The monitor's entries, each with its member's diagnostic packets
    // ("probes") when its pair sends them.
    void write(const std::vector<autocure::NicHealth>& snapshot,
               const std::vector<failover::ProbeHealth>& probes = {}) const;
    // The adapters' entries by adapter number; nothing when there is no file
    // or it is older than `maxAgeSeconds` (the service is not running).
    std::optional<nlohmann::json> read(double maxAgeSeconds) const;

    static nlohmann::json toJson(const autocure::NicHealth& health);
    // "Basic, window 10 s (4 s in), last: 1200 packets, 3 bad (0.2%), good; ...",
    // then "; diagnostic packets from adapter 2: heard" when the pair sends them.
    static std::string text(const nlohmann::json& health);

private:
    std::string path_;
};

} // namespace velnet::vxsrvnt
