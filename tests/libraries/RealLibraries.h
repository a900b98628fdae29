// SPDX-License-Identifier: MIT
#pragma once

// The real NIC libraries (lib/velnet/nicport.so and ethcfg.so), loaded with
// dlopen as the program loads them, and small readers of what the kernel
// says through other ways than theirs.
#include "cardcheck/adapter/AdapterContract.h"
#include "common/platform/DynamicLibrary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velnet::test {

class RealLibraries
{
public:
    RealLibraries();

    bool loaded() const { return nicport_.isLoaded() && ethcfg_.isLoaded(); }
    const std::string& error() const { return error_; }

    template <typename Function> Function nicport(const char* name) const
    {
        return nicport_.resolve<Function>(name);
    }
    template <typename Function> Function card(const char* name) const
    {
        return ethcfg_.resolve<Function>(name);
    }
    std::string string(std::int32_t id) const;

    // Names (through their string ids) and values of a list.
    std::vector<std::string> names(const char* nameExport) const;
    std::optional<std::string> value(const char* valueExport, std::int32_t item) const;
    // The row named `name` of a name/value list; nothing when absent.
    std::optional<std::string> valueOf(const char* nameExport, const char* valueExport,
                                       const std::string& name) const;
    // The index of the setting named `name`; -1 when absent.
    std::int32_t setting(const std::string& name) const;
    std::vector<std::string> options(std::int32_t setting) const;
    std::string configValue(std::int32_t setting) const;
    // ChangeConfigValue to the option with text `option`; the message text
    // or "" for success.
    std::string change(std::int32_t setting, const std::string& option) const;

private:
    platform::DynamicLibrary nicport_;
    platform::DynamicLibrary ethcfg_;
    std::string error_;
};

// Independent readers of the kernel, for comparison.
std::string kernelAttribute(const std::string& interfaceName, const std::string& attribute);
std::string ipLinkJson(const std::string& interfaceName);
// ETHTOOL_GDRVINFO, ETHTOOL_GSET, ETHTOOL_GGRO through the ioctl directly.
std::string ioctlDriver(const std::string& interfaceName);
std::optional<std::uint32_t> ioctlSpeed(const std::string& interfaceName);
std::optional<bool> ioctlGro(const std::string& interfaceName);
// ETHTOOL_GCHANNELS: the receive channels in use and their maximum.
std::optional<std::pair<std::uint32_t, std::uint32_t>>
ioctlRxChannels(const std::string& interfaceName);

} // namespace velnet::test
