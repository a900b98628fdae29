// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace velnet::registry {
class Registry;
}

namespace velnet::cardcheck {

// Whether the tray status monitor starts with the system: the text of the
// value TRAYMONEXE in the Run key, "traymon.exe -on" or "traymon.exe -off".
class TraySetting
{
public:
    static constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const char* kValueName = "TRAYMONEXE";
    static constexpr const char* kOn = "traymon.exe -on";
    static constexpr const char* kOff = "traymon.exe -off";
    static constexpr std::size_t kReadLimit = 1024;

    explicit TraySetting(velnet::registry::Registry& registry) : registry_(registry) {}

    // True exactly when the value reads "traymon.exe -on"; a missing or
    // unreadable value reads as off.
    bool enabled() const;
    // Stores the setting text, without a terminating NUL. False when the
    // store could not be written.
    bool write(bool on);

private:
    velnet::registry::Registry& registry_;
};

} // namespace velnet::cardcheck
