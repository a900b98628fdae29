// SPDX-License-Identifier: MIT
#include "linux/nic/Ethtool.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnet::linuxnic {

namespace {

std::string fixedText(const char* text, std::size_t size)
{
    return std::string(text, strnlen(text, size));
}

} // namespace

bool LinkSettings::test(const std::vector<std::uint32_t>& mask, int bit)
{
    const auto word = static_cast<std::size_t>(bit / 32);
    return word < mask.size() && (mask[word] >> (bit % 32)) & 1U;
}

void LinkSettings::set(std::vector<std::uint32_t>& mask, int bit, bool on)
{
    const auto word = static_cast<std::size_t>(bit / 32);
    if (word >= mask.size())
        return;
    if (on)
        mask[word] |= 1U << (bit % 32);
    else
        mask[word] &= ~(1U << (bit % 32));
}

Ethtool::Ethtool(std::string interfaceName) : name_(std::move(interfaceName))
{
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        error_ = errno;
}

Ethtool::~Ethtool()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool Ethtool::call(void* data)
{
    if (fd_ < 0 || name_.size() >= IFNAMSIZ) {
        error_ = fd_ < 0 ? error_ : ENODEV;
        return false;
    }
    ifreq request{};
    std::memcpy(request.ifr_name, name_.c_str(), name_.size() + 1);
    request.ifr_data = static_cast<char*>(data);
    if (::ioctl(fd_, SIOCETHTOOL, &request) < 0) {
        error_ = errno;
        return false;
    }
    error_ = 0;
    return true;
}

std::size_t Ethtool::withMargin(std::uint32_t count)
{
    return static_cast<std::size_t>(count) * 2 + 64;
}

std::optional<DriverInfo> Ethtool::driverInfo()
{
    ethtool_drvinfo info{};
    info.cmd = ETHTOOL_GDRVINFO;
    if (!call(&info))
        return std::nullopt;
    DriverInfo result;
    result.driver = fixedText(info.driver, sizeof info.driver);
    result.version = fixedText(info.version, sizeof info.version);
    result.firmware = fixedText(info.fw_version, sizeof info.fw_version);
    result.busInfo = fixedText(info.bus_info, sizeof info.bus_info);
    result.statisticsCount = info.n_stats;
    result.testCount = info.testinfo_len;
    return result;
}

std::optional<std::array<std::uint8_t, 6>> Ethtool::permanentAddress()
{
    alignas(ethtool_perm_addr) std::uint8_t bytes[sizeof(ethtool_perm_addr) + 32] = {};
    auto* request = reinterpret_cast<ethtool_perm_addr*>(bytes);
    request->cmd = ETHTOOL_GPERMADDR;
    request->size = 32;
    if (!call(request))
        return std::nullopt;
    if (request->size != 6)
        return std::nullopt;
    std::array<std::uint8_t, 6> address{};
    std::memcpy(address.data(), bytes + sizeof(ethtool_perm_addr), 6);
    bool allZero = true;
    for (const auto byte : address)
        allZero = allZero && byte == 0;
    if (allZero)
        return std::nullopt;
    return address;
}

namespace {

// ETHTOOL_[GS]LINKSETTINGS: the structure and room for its three bitmaps of
// at most 127 words each.
struct LinkRequest
{
    alignas(ethtool_link_settings) std::uint8_t bytes[sizeof(ethtool_link_settings) + 3 * 127 * 4];

    ethtool_link_settings* settings() { return reinterpret_cast<ethtool_link_settings*>(bytes); }
    std::uint32_t* masks()
    {
        return reinterpret_cast<std::uint32_t*>(bytes + sizeof(ethtool_link_settings));
    }
};

} // namespace

std::optional<LinkSettings> Ethtool::linkSettings()
{
    // The kernel first tells how many words each bitmap has (as a negative
    // count), then fills them.
    LinkRequest request{};
    request.settings()->cmd = ETHTOOL_GLINKSETTINGS;
    if (!call(request.bytes))
        return std::nullopt;
    if (request.settings()->link_mode_masks_nwords >= 0 ||
        request.settings()->cmd != ETHTOOL_GLINKSETTINGS)
        return std::nullopt;
    const int words = -request.settings()->link_mode_masks_nwords;
    if (words > 127)
        return std::nullopt;
    request = LinkRequest{};
    request.settings()->cmd = ETHTOOL_GLINKSETTINGS;
    request.settings()->link_mode_masks_nwords = static_cast<std::int8_t>(words);
    if (!call(request.bytes))
        return std::nullopt;
    LinkSettings settings;
    std::memcpy(settings.header.data(), request.bytes, sizeof(ethtool_link_settings));
    const auto n = static_cast<std::size_t>(words);
    const std::uint32_t* masks = request.masks();
    settings.supported.assign(masks, masks + n);
    settings.advertising.assign(masks + n, masks + 2 * n);
    settings.lpAdvertising.assign(masks + 2 * n, masks + 3 * n);
    return settings;
}

bool Ethtool::setLinkSettings(const LinkSettings& settings)
{
    LinkRequest request{};
    const std::size_t n = settings.supported.size();
    if (n > 127 || settings.advertising.size() != n || settings.lpAdvertising.size() != n)
        return false;
    std::memcpy(request.bytes, settings.header.data(), sizeof(ethtool_link_settings));
    request.settings()->cmd = ETHTOOL_SLINKSETTINGS;
    request.settings()->link_mode_masks_nwords = static_cast<std::int8_t>(n);
    std::uint32_t* masks = request.masks();
    std::memcpy(masks, settings.supported.data(), n * 4);
    std::memcpy(masks + n, settings.advertising.data(), n * 4);
    std::memcpy(masks + 2 * n, settings.lpAdvertising.data(), n * 4);
    return call(request.bytes);
}

std::optional<std::uint32_t> Ethtool::stringCount(ethtool_stringset set)
{
    alignas(ethtool_sset_info) std::uint8_t bytes[sizeof(ethtool_sset_info) + 4] = {};
    auto* request = reinterpret_cast<ethtool_sset_info*>(bytes);
    request->cmd = ETHTOOL_GSSET_INFO;
    request->sset_mask = 1ULL << set;
    if (!call(request))
        return std::nullopt;
    if (!(request->sset_mask & (1ULL << set))) {
        error_ = EOPNOTSUPP;
        return std::nullopt;
    }
    std::uint32_t count = 0;
    std::memcpy(&count, bytes + sizeof(ethtool_sset_info), 4);
    return count;
}

std::optional<std::vector<std::string>> Ethtool::strings(ethtool_stringset set)
{
    const auto count = stringCount(set);
    if (!count)
        return std::nullopt;
    std::vector<std::uint8_t> buffer(sizeof(ethtool_gstrings) +
                                     withMargin(*count) * ETH_GSTRING_LEN);
    auto* request = reinterpret_cast<ethtool_gstrings*>(buffer.data());
    request->cmd = ETHTOOL_GSTRINGS;
    request->string_set = set;
    request->len = *count;
    if (!call(request))
        return std::nullopt;
    const std::size_t len = std::min<std::size_t>(request->len, withMargin(*count));
    std::vector<std::string> names;
    for (std::size_t i = 0; i < len; ++i)
        names.push_back(fixedText(
            reinterpret_cast<const char*>(request->data + i * ETH_GSTRING_LEN), ETH_GSTRING_LEN));
    return names;
}

std::optional<std::vector<std::uint64_t>> Ethtool::statistics()
{
    const auto count = stringCount(ETH_SS_STATS);
    if (!count)
        return std::nullopt;
    std::vector<std::uint64_t> buffer(1 + withMargin(*count));
    auto* request = reinterpret_cast<ethtool_stats*>(buffer.data());
    request->cmd = ETHTOOL_GSTATS;
    request->n_stats = *count;
    if (!call(request))
        return std::nullopt;
    const std::size_t n = std::min<std::size_t>(request->n_stats, withMargin(*count));
    return std::vector<std::uint64_t>(request->data, request->data + n);
}

std::optional<std::vector<Feature>> Ethtool::features()
{
    const auto names = strings(ETH_SS_FEATURES);
    if (!names)
        return std::nullopt;
    const std::size_t blocks = (names->size() + 31) / 32;
    std::vector<std::uint8_t> buffer(sizeof(ethtool_gfeatures) +
                                     blocks * sizeof(ethtool_get_features_block));
    auto* request = reinterpret_cast<ethtool_gfeatures*>(buffer.data());
    request->cmd = ETHTOOL_GFEATURES;
    request->size = static_cast<std::uint32_t>(blocks);
    if (!call(request))
        return std::nullopt;
    std::vector<Feature> features;
    for (std::size_t i = 0; i < names->size(); ++i) {
        const auto& block = request->features[i / 32];
        const std::uint32_t bit = 1U << (i % 32);
        Feature feature;
        feature.name = (*names)[i];
        feature.available = block.available & bit;
        feature.requested = block.requested & bit;
        feature.active = block.active & bit;
        feature.neverChanged = block.never_changed & bit;
        features.push_back(std::move(feature));
    }
    return features;
}

bool Ethtool::requestFeature(std::size_t index, bool on)
{
    // The kernel wants a block for every word of its feature set.
    const auto count = stringCount(ETH_SS_FEATURES);
    if (!count)
        return false;
    if (index >= *count) {
        error_ = EINVAL;
        return false;
    }
    const std::size_t blocks = (*count + 31) / 32;
    std::vector<std::uint8_t> buffer(sizeof(ethtool_sfeatures) +
                                     blocks * sizeof(ethtool_set_features_block));
    auto* request = reinterpret_cast<ethtool_sfeatures*>(buffer.data());
    request->cmd = ETHTOOL_SFEATURES;
    request->size = static_cast<std::uint32_t>(blocks);
    auto& block = request->features[index / 32];
    block.valid = 1U << (index % 32);
    block.requested = on ? block.valid : 0;
    return call(request);
}

std::optional<SelfTestResult> Ethtool::selfTest(bool offline)
{
    const auto count = stringCount(ETH_SS_TEST);
    if (!count)
        return std::nullopt;
    std::vector<std::uint64_t> buffer(sizeof(ethtool_test) / 8 + 1 + withMargin(*count));
    auto* request = reinterpret_cast<ethtool_test*>(buffer.data());
    request->cmd = ETHTOOL_TEST;
    request->flags = offline ? ETH_TEST_FL_OFFLINE : 0;
    request->len = *count;
    if (!call(request))
        return std::nullopt;
    SelfTestResult result;
    result.failed = request->flags & ETH_TEST_FL_FAILED;
    const std::size_t n = std::min<std::size_t>(request->len, withMargin(*count));
    result.results.assign(request->data, request->data + n);
    return result;
}

std::optional<std::uint32_t> Ethtool::reset(std::uint32_t flags)
{
    ethtool_value request{ETHTOOL_RESET, flags};
    if (!call(&request))
        return std::nullopt;
    return request.data;
}

} // namespace velnet::linuxnic
