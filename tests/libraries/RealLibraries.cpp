// SPDX-License-Identifier: MIT
#include "tests/libraries/RealLibraries.h"

#include "tests/support/ChildProcess.h"

#include <cstring>
#include <fstream>
#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::test {

namespace {

bool ethtoolCall(const std::string& interfaceName, void* data)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ifreq request{};
    std::strncpy(request.ifr_name, interfaceName.c_str(), IFNAMSIZ - 1);
    request.ifr_data = static_cast<char*>(data);
    const bool ok = ::ioctl(fd, SIOCETHTOOL, &request) == 0;
    ::close(fd);
    return ok;
}

} // namespace

RealLibraries::RealLibraries()
{
    // A library that does not load is reported through error(); the tests
    // check loaded() first.
    error_ = nicport_.load("nicport.dll").error() + ethcfg_.load("ETHCFG").error();
}

std::string RealLibraries::string(std::int32_t id) const
{
    return ethcfg_.loadString(static_cast<std::uint32_t>(id), VELNET_STRING_SIZE).value_or("");
}

std::vector<std::string> RealLibraries::names(const char* nameExport) const
{
    const auto name = card<ItemNameFn>(nameExport);
    std::vector<std::string> out;
    for (std::int32_t item = 0; name && item < 1000; ++item) {
        const std::int32_t id = name(item);
        if (id == 0)
            break;
        out.push_back(string(id));
    }
    return out;
}

std::optional<std::string> RealLibraries::value(const char* valueExport, std::int32_t item) const
{
    const auto value = card<ItemValueFn>(valueExport);
    char buffer[VELNET_TEXT_SIZE];
    if (!value || !value(item, buffer))
        return std::nullopt;
    buffer[VELNET_TEXT_SIZE - 1] = '\0';
    return std::string(buffer);
}

std::optional<std::string> RealLibraries::valueOf(const char* nameExport, const char* valueExport,
                                                  const std::string& name) const
{
    const auto list = names(nameExport);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == name)
            return value(valueExport, static_cast<std::int32_t>(i));
    }
    return std::nullopt;
}

std::int32_t RealLibraries::setting(const std::string& name) const
{
    const auto configName = card<ConfigNameFn>("ConfigName");
    for (std::int32_t item = 0; configName && item < 1000; ++item) {
        std::int16_t advanced = 0;
        const std::int32_t id = configName(item, &advanced);
        if (id == 0)
            break;
        if (string(id) == name)
            return item;
    }
    return -1;
}

std::vector<std::string> RealLibraries::options(std::int32_t setting) const
{
    const auto option = card<ConfigOptionFn>("ConfigOption");
    std::vector<std::string> out;
    char buffer[VELNET_TEXT_SIZE];
    for (std::int32_t i = 0; option && option(setting, i, buffer); ++i) {
        buffer[VELNET_TEXT_SIZE - 1] = '\0';
        out.emplace_back(buffer);
    }
    return out;
}

std::string RealLibraries::configValue(std::int32_t setting) const
{
    return value("ConfigValue", setting).value_or("(none)");
}

std::string RealLibraries::change(std::int32_t setting, const std::string& option) const
{
    const auto list = options(setting);
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == option) {
            const std::int32_t result = card<ChangeConfigValueFn>("ChangeConfigValue")(
                setting, static_cast<std::int32_t>(i));
            return result == 0 ? "" : string(result);
        }
    }
    return "no option " + option;
}

std::string kernelAttribute(const std::string& interfaceName, const std::string& attribute)
{
    std::ifstream in("/sys/class/net/" + interfaceName + "/" + attribute);
    std::string value;
    std::getline(in, value);
    return value;
}

std::string ipLinkJson(const std::string& interfaceName)
{
    std::string output;
    ChildProcess::run({"ip", "-j", "link", "show", "dev", interfaceName}, &output);
    return output;
}

std::string ioctlDriver(const std::string& interfaceName)
{
    ethtool_drvinfo info{};
    info.cmd = ETHTOOL_GDRVINFO;
    if (!ethtoolCall(interfaceName, &info))
        return "";
    return std::string(info.driver, strnlen(info.driver, sizeof info.driver));
}

std::optional<std::uint32_t> ioctlSpeed(const std::string& interfaceName)
{
    ethtool_cmd command{};
    command.cmd = ETHTOOL_GSET;
    if (!ethtoolCall(interfaceName, &command))
        return std::nullopt;
    return ethtool_cmd_speed(&command);
}

std::optional<bool> ioctlGro(const std::string& interfaceName)
{
    ethtool_value value{};
    value.cmd = ETHTOOL_GGRO;
    if (!ethtoolCall(interfaceName, &value))
        return std::nullopt;
    return value.data != 0;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>>
ioctlRxChannels(const std::string& interfaceName)
{
    ethtool_channels channels{};
    channels.cmd = ETHTOOL_GCHANNELS;
    if (!ethtoolCall(interfaceName, &channels))
        return std::nullopt;
    return std::pair{channels.rx_count, channels.max_rx};
}

} // namespace velnet::test
