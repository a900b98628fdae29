// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <linux/ethtool.h>
#include <optional>
#include <string>
#include <vector>

namespace velnet::linuxnic {

struct DriverInfo
{
    std::string driver;
    std::string version;
    std::string firmware;
    std::string busInfo;
    std::uint32_t statisticsCount = 0;
    std::uint32_t testCount = 0;
};

// ETHTOOL_GLINKSETTINGS with its three link-mode bitmaps. The kernel's
// structure ends in a flexible array, so it is kept as bytes here.
struct LinkSettings
{
    alignas(ethtool_link_settings) std::array<std::uint8_t, sizeof(ethtool_link_settings)> header{};
    std::vector<std::uint32_t> supported;
    std::vector<std::uint32_t> advertising;
    std::vector<std::uint32_t> lpAdvertising;

    ethtool_link_settings& base()
    {
        return *reinterpret_cast<ethtool_link_settings*>(header.data());
    }
    const ethtool_link_settings& base() const
    {
        return *reinterpret_cast<const ethtool_link_settings*>(header.data());
    }

    static bool test(const std::vector<std::uint32_t>& mask, int bit);
    static void set(std::vector<std::uint32_t>& mask, int bit, bool on);
};

struct Feature
{
    std::string name;
    bool available = false; // the driver lets it be changed
    bool requested = false;
    bool active = false;
    bool neverChanged = false;

    bool changeable() const { return available && !neverChanged; }
};

struct SelfTestResult
{
    bool failed = false;
    std::vector<std::uint64_t> results; // one per ETH_SS_TEST string; nonzero = failed
};

// The ethtool ioctl (SIOCETHTOOL) on one interface of this process's network
// namespace. Each call answers nothing on failure and keeps the kernel's
// errno in error().
class Ethtool
{
public:
    explicit Ethtool(std::string interfaceName);
    ~Ethtool();
    Ethtool(const Ethtool&) = delete;
    Ethtool& operator=(const Ethtool&) = delete;

    int error() const { return error_; }
    const std::string& interfaceName() const { return name_; }

    std::optional<DriverInfo> driverInfo();
    // ETHTOOL_GPERMADDR; nothing when the driver keeps none (all zeros).
    std::optional<std::array<std::uint8_t, 6>> permanentAddress();
    std::optional<LinkSettings> linkSettings();
    bool setLinkSettings(const LinkSettings& settings);
    std::optional<std::vector<Feature>> features();
    // Asks for feature `index` (ETH_SS_FEATURES order) on or off; the
    // caller reads back what the kernel did.
    bool requestFeature(std::size_t index, bool on);
    std::optional<std::vector<std::string>> strings(ethtool_stringset set);
    std::optional<std::uint32_t> stringCount(ethtool_stringset set);
    // The driver's own counters, as many as the driver has now.
    std::optional<std::vector<std::uint64_t>> statistics();
    std::optional<SelfTestResult> selfTest(bool offline);
    // ETHTOOL_TEST without the offline flag: the tests that keep the link.
    std::optional<SelfTestResult> onlineSelfTest() { return selfTest(false); }
    // ETHTOOL_RESET of the components in `flags` (ETH_RESET_*): answers the
    // flags of those the driver did not reset.
    std::optional<std::uint32_t> reset(std::uint32_t flags);

    // The plain get/set commands whose argument is one fixed structure:
    // GPAUSEPARAM, GWOL, GRINGPARAM, GCOALESCE, GCHANNELS and their setters.
    template <typename Value> std::optional<Value> get(std::uint32_t command)
    {
        Value value{};
        value.cmd = command;
        if (!call(&value))
            return std::nullopt;
        return value;
    }
    template <typename Value> bool set(std::uint32_t command, Value value)
    {
        value.cmd = command;
        return call(&value);
    }

private:
    bool call(void* data);
    // A buffer of `count` 64-bit words behind a header, with room to spare:
    // the kernel writes as many as the driver has at the moment of the call,
    // which may be more than a moment before.
    static std::size_t withMargin(std::uint32_t count);

    std::string name_;
    int fd_ = -1;
    int error_ = 0;
};

} // namespace velnet::linuxnic
