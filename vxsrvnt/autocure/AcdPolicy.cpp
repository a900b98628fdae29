// SPDX-License-Identifier: MIT
#include "vxsrvnt/autocure/AcdPolicy.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

namespace velnet::vxsrvnt::autocure {

namespace {

bool beginsWithIgnoringCase(std::string_view word, std::string_view prefix)
{
    if (prefix.size() > word.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), word.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

// nicsetup's choice editor shows its words sorted and selects the first one
// that begins with the stored text; an empty text is no choice at all.
template <typename Value, std::size_t N>
std::optional<Value> choose(const std::string& stored,
                            const std::array<std::pair<std::string_view, Value>, N>& sortedWords)
{
    if (stored.empty())
        return std::nullopt;
    for (const auto& [word, value] : sortedWords)
        if (beginsWithIgnoringCase(word, stored))
            return value;
    return std::nullopt;
}

constexpr std::array<std::pair<std::string_view, SelfCheckLevel>, 3> kLevels{{
    {"Basic", SelfCheckLevel::Basic},
    {"Enhanced", SelfCheckLevel::Enhanced},
    {"Off", SelfCheckLevel::Off},
}};

constexpr std::array<std::pair<std::string_view, int>, 3> kTolerances{{
    {"High", AcdPolicy::kHighTolerance},
    {"Low", AcdPolicy::kLowTolerance},
    {"Medium", AcdPolicy::kMediumTolerance},
}};

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

bool AcdPolicy::badShare(std::uint64_t packets, std::uint64_t bad) const
{
    if (bad == 0)
        return false;
    // bad / (packets + bad) >= ratio / 100, in integers (no overflow: the
    // counts of one window stay far below 2^57).
    return bad * 100 >= static_cast<std::uint64_t>(ratioPercent) * (packets + bad);
}

AcdPolicy AcdPolicy::fromSettings(const AcdSettings& settings, std::vector<std::string>& warnings)
{
    AcdPolicy policy;
    if (auto level = choose(settings.selfCheckLevel, kLevels))
        policy.level = *level;
    else
        warnings.push_back("SelfCheckLevel " + quoted(settings.selfCheckLevel) +
                           " is not Off, Basic or Enhanced; using " + kDefaultLevel);

    if (settings.samplingWindow <= kMaxWindowSeconds)
        policy.windowSeconds = settings.samplingWindow;
    else
        warnings.push_back("SamplingWindow " + std::to_string(settings.samplingWindow) +
                           " is above " + std::to_string(kMaxWindowSeconds) + " seconds; using " +
                           std::to_string(kDefaultWindowSeconds));

    if (settings.samplingRatio <= 100)
        policy.ratioPercent = settings.samplingRatio;
    else
        warnings.push_back("SamplingRatio " + std::to_string(settings.samplingRatio) +
                           " is above 100 %; using " + std::to_string(kDefaultRatioPercent));

    if (auto tolerance = choose(settings.errorTolerance, kTolerances))
        policy.toleranceWindows = *tolerance;
    else
        warnings.push_back("ErrorTolerance " + quoted(settings.errorTolerance) +
                           " is not Low, Medium or High; using " + kDefaultTolerance);

    if (settings.alertType <= 7)
        policy.alertMask = settings.alertType;
    else
        warnings.push_back("AlertType " + std::to_string(settings.alertType) +
                           " has bits beyond Information (1), Warning (2) and Error (4); using " +
                           std::to_string(kDefaultAlertMask));
    return policy;
}

const char* levelName(SelfCheckLevel level)
{
    switch (level) {
    case SelfCheckLevel::Off:
        return "Off";
    case SelfCheckLevel::Basic:
        return "Basic";
    case SelfCheckLevel::Enhanced:
        return "Enhanced";
    }
    return "?";
}

const char* toleranceName(int toleranceWindows)
{
    switch (toleranceWindows) {
    case AcdPolicy::kLowTolerance:
        return "Low";
    case AcdPolicy::kMediumTolerance:
        return "Medium";
    case AcdPolicy::kHighTolerance:
        return "High";
    }
    return "?";
}

} // namespace velnet::vxsrvnt::autocure
