// SPDX-License-Identifier: MIT
#include "vxsrvnt/service/HealthFile.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velnet::vxsrvnt {

using nlohmann::json;

namespace {

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

json windowJson(const autocure::WindowFigures& w)
{
    return {{"packets", w.packets},
            {"badPackets", w.badPackets},
            {"badPercent", w.badPercent},
            {"linkLost", w.linkLost},
            {"selfTestFailed", w.selfTestFailed},
            {"verdict", autocure::verdictName(w.verdict)}};
}

std::string fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string autocureText(const json& h)
{
    if (h.value("state", "") != "watching")
        return h.value("level", "") + ", " + h.value("state", "");
    std::string line = h.value("level", "") + ", window " +
                       std::to_string(h.value("windowSeconds", 0)) + " s (" +
                       fixed(h.value("windowElapsedSeconds", 0.0), 0) + " s in)";
    if (const json& w = h["lastWindow"]; w.is_object())
        line += ", last window " + w.value("verdict", "") + ": " +
                std::to_string(w.value("packets", 0ull)) + " packets, " +
                std::to_string(w.value("badPackets", 0ull)) + " bad (" +
                fixed(w.value("badPercent", 0.0), 1) + "%)";
    line += ", bad in a row " + std::to_string(h.value("badWindowsInARow", 0)) + ", cures " +
            std::to_string(h.value("cures", 0));
    if (const json& a = h["lastAlert"]; a.is_object())
        line += ", last alert " + a.value("kind", "") + " " + fixed(a.value("secondsAgo", 0.0), 0) +
                " s ago: " + a.value("message", "");
    return line;
}

std::string probesText(const json& p)
{
    if (!p.is_object())
        return "";
    const int missed = p.value("missedInARow", 0);
    return "; diagnostic packets from adapter " + std::to_string(p.value("partner", 0)) + ": " +
           (p.value("deaf", false) ? "not heard (" + std::to_string(missed) + " missed in a row)"
            : missed > 0           ? std::to_string(missed) + " missed in a row"
                                   : std::string("heard"));
}

} // namespace

json HealthFile::toJson(const autocure::NicHealth& h)
{
    json entry = {
        {"adapter", h.adapterNumber},
        {"interface", h.ifname},
        {"state", autocure::stateName(h.state)},
        {"level", autocure::levelName(h.policy.level)},
        {"windowSeconds", h.policy.windowSeconds},
        {"ratioPercent", h.policy.ratioPercent},
        {"tolerance", autocure::toleranceName(h.policy.toleranceWindows)},
        {"alertType", h.policy.alertMask},
        {"windowElapsedSeconds", h.windowElapsedSeconds},
        {"lastWindow", h.lastWindow ? windowJson(*h.lastWindow) : json(nullptr)},
        {"badWindowsInARow", h.badWindowsInARow},
        {"cures", h.cures},
        {"lastAlert", nullptr},
    };
    if (h.lastAlert)
        entry["lastAlert"] = {{"kind", autocure::alertKindName(h.lastAlert->kind)},
                              {"event", h.lastAlert->event},
                              {"message", h.lastAlert->message},
                              {"secondsAgo", h.lastAlertSecondsAgo}};
    return entry;
}

void HealthFile::write(const std::vector<autocure::NicHealth>& snapshot,
                       const std::vector<failover::ProbeHealth>& probes) const
{
    json adapters = json::object();
    for (const autocure::NicHealth& h : snapshot)
        adapters[std::to_string(h.adapterNumber)] = toJson(h);
    for (const failover::ProbeHealth& p : probes)
        adapters[std::to_string(p.adapterNumber)]["probes"] = {
            {"partner", p.partner}, {"missedInARow", p.missedInARow}, {"deaf", p.deaf}};
    const json whole = {{"written", wallSeconds()}, {"adapters", adapters}};
    const std::string temporary = path_ + ".new";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << whole.dump() << '\n';
        if (!file)
            return; // status then shows no health: nothing else depends on it
    }
    if (std::rename(temporary.c_str(), path_.c_str()) != 0)
        ::unlink(temporary.c_str());
}

std::optional<json> HealthFile::read(double maxAgeSeconds) const
{
    std::ifstream file(path_);
    if (!file)
        return std::nullopt;
    std::stringstream bytes;
    bytes << file.rdbuf();
    const json whole = json::parse(bytes.str(), nullptr, false);
    if (whole.is_discarded() || !whole.contains("written") || !whole.contains("adapters"))
        return std::nullopt;
    if (wallSeconds() - whole["written"].get<double>() > maxAgeSeconds)
        return std::nullopt;
    return whole["adapters"];
}

std::string HealthFile::text(const json& h)
{
    return autocureText(h) + probesText(h.contains("probes") ? h["probes"] : json());
}

} // namespace velnet::vxsrvnt
