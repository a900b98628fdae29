// SPDX-License-Identifier: MIT
#include "libraries/real/ethcfg/EthCardLibrary.h"

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/real/ethcfg/EthSettings.h"
#include "libraries/real/ethcfg/Messages.h"
#include "libraries/real/ethcfg/NicPicture.h"
#include "linux/nic/Ethtool.h"
#include "linux/nic/InterfaceDiscovery.h"

#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace velnet::ethcfg {

namespace {

constexpr const char* kPictureName = "ETHNIC";

constexpr const char* kEchoRows[] = {
    "Echoes Sent",           "Echoes Received",       "Echoes Lost",
    "Echo RTT Minimum (us)", "Echo RTT Average (us)", "Echo RTT Maximum (us)",
};
constexpr std::size_t kEchoRowCount = std::size(kEchoRows);

std::string computerName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return name;
}

// cardcheck runs the offline tests (which take the link down for a moment)
// only when started with "-a", as it lists the advanced settings only then.
bool startedInAdvancedMode()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = all.find('\0');
    while (start != std::string::npos && start + 1 < all.size()) {
        const std::size_t end = all.find('\0', start + 1);
        const std::string argument = all.substr(start + 1, end - start - 1);
        if (argument.find("-a") != std::string::npos && argument.find("-inf") == std::string::npos)
            return true;
        start = end;
    }
    return false;
}

template <typename List> bool inRange(const List& list, std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

} // namespace

EthCardLibrary::EthCardLibrary() : offlineTests_(startedInAdvancedMode())
{
    const linuxnic::Sysfs sysfs;
    for (auto& interface : linuxnic::discoverInterfaces(sysfs, linuxnic::namedInEnvironment()))
        nics_.emplace_back(std::move(interface), sysfs);
    echo_.setComputerName(computerName().substr(0, VELNET_ECHO_NAME_SIZE - 1));
}

std::int32_t EthCardLibrary::writeText(char* buffer, std::size_t size,
                                       const std::string& value) const
{
    if (!buffer || size == 0)
        return 0;
    const std::size_t n = std::min(size - 1, value.size());
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return 1;
}

const EthNic* EthCardLibrary::selectedNic() const
{
    const std::int32_t card = selected_.load();
    return inRange(nics_, card) ? &nics_[static_cast<std::size_t>(card)] : nullptr;
}

// ---- the NICs --------------------------------------------------------------

std::int32_t EthCardLibrary::CardName(std::int32_t card, char* name)
{
    if (!inRange(nics_, card))
        return 0;
    return writeText(name, VELNET_TEXT_SIZE,
                     nics_[static_cast<std::size_t>(card)].cardName(VELNET_TEXT_SIZE - 1));
}

std::int32_t EthCardLibrary::CardHelp(std::int32_t)
{
    return kHelpBase;
}

std::int32_t EthCardLibrary::SelectCard(std::int32_t card, std::int16_t)
{
    if (!inRange(nics_, card))
        return static_cast<std::int32_t>(INT32_MIN | (text(Messages::kNoSuchNic) & 0xFFF));
    const EthNic& nic = nics_[static_cast<std::size_t>(card)];
    Selection selection;
    selection.summary = nic.summary();
    selection.details = nic.details();
    selection.settings = buildSettings(nic.interfaceName(), nic.ifindex());
    selection.tests =
        std::make_unique<SelfTests>(nic, offlineTests_, DriverSuite::of(nic.interfaceName()));
    {
        std::lock_guard lock(mutex_);
        selection_ = std::move(selection);
        selected_ = card;
    }
    echo_.setInterface(nic.interfaceName());
    return 0;
}

const char* EthCardLibrary::Picture()
{
    return kPictureName;
}

// ---- summary and details --------------------------------------------------

std::int32_t EthCardLibrary::rowName(std::vector<Row> Selection::*rows, std::int32_t item)
{
    std::lock_guard lock(mutex_);
    const auto& list = selection_.*rows;
    return inRange(list, item) ? text(list[static_cast<std::size_t>(item)].name) : 0;
}

std::int32_t EthCardLibrary::rowValue(std::vector<Row> Selection::*rows, std::int32_t item,
                                      char* value)
{
    std::lock_guard lock(mutex_);
    const auto& list = selection_.*rows;
    if (!inRange(list, item))
        return 0;
    return writeText(value, VELNET_TEXT_SIZE, list[static_cast<std::size_t>(item)].value());
}

std::int32_t EthCardLibrary::CardSummaryName(std::int32_t item)
{
    return rowName(&Selection::summary, item);
}

std::int32_t EthCardLibrary::CardSummaryValue(std::int32_t item, char* value)
{
    return rowValue(&Selection::summary, item, value);
}

std::int32_t EthCardLibrary::CardSummaryHelp(std::int32_t item)
{
    return kHelpBase + 0x100 + item;
}

std::int32_t EthCardLibrary::CardDetailsName(std::int32_t item)
{
    return rowName(&Selection::details, item);
}

std::int32_t EthCardLibrary::CardDetailsValue(std::int32_t item, char* value)
{
    return rowValue(&Selection::details, item, value);
}

std::int32_t EthCardLibrary::CardDetailsHelp(std::int32_t)
{
    return kHelpBase + 0x200;
}

// ---- settings ---------------------------------------------------------------

std::int32_t EthCardLibrary::ConfigName(std::int32_t item, std::int16_t* advanced)
{
    std::lock_guard lock(mutex_);
    if (!inRange(selection_.settings, item))
        return 0;
    const auto& setting = selection_.settings[static_cast<std::size_t>(item)];
    if (advanced)
        *advanced = setting.advanced ? 1 : 0;
    return text(setting.name);
}

std::int32_t EthCardLibrary::ConfigOption(std::int32_t item, std::int32_t option, char* text)
{
    std::lock_guard lock(mutex_);
    if (!inRange(selection_.settings, item))
        return 0;
    const auto& options = selection_.settings[static_cast<std::size_t>(item)].options;
    if (!inRange(options, option))
        return 0;
    return writeText(text, VELNET_TEXT_SIZE, options[static_cast<std::size_t>(option)]);
}

std::int32_t EthCardLibrary::ConfigValue(std::int32_t item, char* value)
{
    std::lock_guard lock(mutex_);
    if (!inRange(selection_.settings, item))
        return 0;
    return writeText(value, VELNET_TEXT_SIZE,
                     selection_.settings[static_cast<std::size_t>(item)].valueText());
}

std::int32_t EthCardLibrary::AutoConfig()
{
    std::lock_guard lock(mutex_);
    const EthNic* nic = selectedNic();
    if (!nic)
        return text(Messages::kNoSuchNic);
    std::string failures;
    for (const auto& setting : selection_.settings) {
        if (!setting.optimal || setting.current() == setting.optimal)
            continue;
        const auto refusal = setting.apply(*setting.optimal);
        if (!refusal)
            continue;
        // Without rights nothing else will pass either.
        if (refusal->rfind(Messages::kRights, 0) == 0)
            return text(*refusal);
        failures += "\n" + setting.name + ": " + *refusal;
    }
    if (failures.empty())
        return 0;
    return text("Every other setting of " + nic->interfaceName() +
                " was set to its optimal value, except:" + failures);
}

std::int32_t EthCardLibrary::ChangeConfigValue(std::int32_t item, std::int32_t option)
{
    std::lock_guard lock(mutex_);
    if (!inRange(selection_.settings, item))
        return text(Messages::kNoSuchSetting);
    const auto& setting = selection_.settings[static_cast<std::size_t>(item)];
    if (!inRange(setting.options, option))
        return text(Messages::kNoSuchSetting);
    const auto refusal = setting.apply(static_cast<std::size_t>(option));
    return refusal ? text(*refusal) : 0;
}

std::int32_t EthCardLibrary::ConfigHelp(std::int32_t)
{
    return kHelpBase + 0x300;
}

// ---- statistics -------------------------------------------------------------

std::int32_t EthCardLibrary::StatisticsName(std::int32_t item)
{
    if (item < 0 || !selectedNic())
        return 0;
    auto index = static_cast<std::size_t>(item);
    if (index < EthNic::uniformCounterCount())
        return text(EthNic::uniformCounterName(index));
    index -= EthNic::uniformCounterCount();
    if (index < kEchoRowCount)
        return text(kEchoRows[index]);
    index -= kEchoRowCount;
    // The driver's own counters: their number may change between calls.
    linuxnic::Ethtool ethtool(selectedNic()->interfaceName());
    const auto names = ethtool.strings(ETH_SS_STATS);
    if (!names || index >= names->size())
        return 0;
    return text((*names)[index]);
}

std::optional<std::string> EthCardLibrary::echoStatistic(std::size_t index) const
{
    const auto figures = echo_.figures();
    switch (index) {
    case 0:
        return std::to_string(figures.sent);
    case 1:
        return std::to_string(figures.received);
    case 2:
        return std::to_string(figures.lost);
    case 3:
        return figures.rttSamples ? std::to_string(figures.rttMinUs) : "None";
    case 4:
        return figures.rttSamples ? std::to_string(figures.rttSumUs / figures.rttSamples) : "None";
    case 5:
        return figures.rttSamples ? std::to_string(figures.rttMaxUs) : "None";
    default:
        return std::nullopt;
    }
}

std::optional<std::string> EthCardLibrary::driverStatistic(std::size_t index)
{
    linuxnic::Ethtool ethtool(selectedNic()->interfaceName());
    const auto values = ethtool.statistics();
    if (!values || index >= values->size())
        return std::nullopt;
    // Shown as the driver counts them: some are no counters but states
    // (a queue's length, the peer's index), which ClearStats cannot zero.
    return std::to_string((*values)[index]);
}

std::optional<std::string> EthCardLibrary::statisticValue(std::size_t index)
{
    if (index < EthNic::uniformCounterCount()) {
        auto value = selectedNic()->uniformCounter(index);
        if (!value)
            return "Unknown";
        std::lock_guard lock(mutex_);
        const auto& base = selection_.clearedAt;
        // A counter below its value at ClearStats was reset by the driver.
        if (index < base.size() && base[index] && *base[index] <= *value)
            *value -= *base[index];
        return std::to_string(*value);
    }
    index -= EthNic::uniformCounterCount();
    if (index < kEchoRowCount)
        return echoStatistic(index);
    return driverStatistic(index - kEchoRowCount);
}

std::int32_t EthCardLibrary::StatisticsValue(std::int32_t item, char* value)
{
    if (item < 0 || !selectedNic())
        return 0;
    const auto text = statisticValue(static_cast<std::size_t>(item));
    return text ? writeText(value, VELNET_TEXT_SIZE, *text) : 0;
}

std::int32_t EthCardLibrary::StatisticsHelp(std::int32_t)
{
    return kHelpBase + 0x400;
}

void EthCardLibrary::rememberCounters()
{
    const EthNic* nic = selectedNic();
    if (!nic)
        return;
    std::vector<std::optional<std::uint64_t>> uniform;
    for (std::size_t i = 0; i < EthNic::uniformCounterCount(); ++i)
        uniform.push_back(nic->uniformCounter(i));
    std::lock_guard lock(mutex_);
    selection_.clearedAt = std::move(uniform);
}

// ---- self tests -------------------------------------------------------------

std::int32_t EthCardLibrary::TestName(std::int32_t test)
{
    std::lock_guard lock(mutex_);
    if (!selection_.tests || test < 0 ||
        static_cast<std::size_t>(test) >= selection_.tests->count())
        return 0;
    return text(selection_.tests->name(static_cast<std::size_t>(test)));
}

std::int32_t EthCardLibrary::RunTest(std::int32_t test)
{
    SelfTests* tests = nullptr;
    {
        std::lock_guard lock(mutex_);
        tests = selection_.tests.get();
    }
    if (!tests || test < 0 || static_cast<std::size_t>(test) >= tests->count())
        return text(Messages::kNoSuchTest);
    const auto failure = tests->run(static_cast<std::size_t>(test));
    return failure ? text(*failure) : 0;
}

std::int32_t EthCardLibrary::TestHelp(std::int32_t)
{
    return kHelpBase + 0x500;
}

// ---- echo test ----------------------------------------------------------------

std::int32_t EthCardLibrary::EchoTest(std::uint8_t role, std::int32_t continuous)
{
    if (role == VELNET_ECHO_STOP) {
        echo_.stop();
        return 0;
    }
    if (role != VELNET_ECHO_SEND && role != VELNET_ECHO_RESPOND)
        return text(Messages::kBadRole);
    const auto error = echo_.run(role == VELNET_ECHO_SEND ? cfmecho::EchoSession::Role::Send
                                                          : cfmecho::EchoSession::Role::Respond,
                                 continuous != 0);
    return error ? text(*error) : 0;
}

std::int32_t EthCardLibrary::ClearStats()
{
    echo_.clear();
    rememberCounters();
    return 0;
}

std::uint8_t EthCardLibrary::EchoState()
{
    return static_cast<std::uint8_t>(echo_.state());
}

std::int32_t EthCardLibrary::LastEchoResponder(char* name)
{
    return writeText(name, VELNET_ECHO_NAME_SIZE, echo_.lastResponder());
}

std::int32_t EthCardLibrary::LastEchoSender(char* name)
{
    return writeText(name, VELNET_ECHO_NAME_SIZE, echo_.lastSender());
}

std::uint32_t EthCardLibrary::NumberEchosSent()
{
    return echo_.figures().sent;
}

std::uint32_t EthCardLibrary::NumberEchosReceived()
{
    return echo_.figures().received;
}

// ---- driver on and off line ---------------------------------------------------

// Taking a real NIC down could leave it down if the program died before
// putting it back, so nothing is taken off line and nothing needs putting back.
std::int32_t EthCardLibrary::DisableDriver(std::int32_t)
{
    return VELNET_DRIVER_NO_ENABLE;
}

std::int32_t EthCardLibrary::EnableDriver(std::int32_t)
{
    return 0;
}

// ---- resources ----------------------------------------------------------------

std::int32_t EthCardLibrary::ResourceString(std::uint32_t id, char* buffer, std::int32_t size)
{
    if (!buffer || size <= 0 || id > INT32_MAX)
        return 0;
    const auto found = strings_.find(static_cast<std::int32_t>(id));
    if (!found)
        return 0;
    const std::size_t n = std::min(static_cast<std::size_t>(size) - 1, found->size());
    std::memcpy(buffer, found->data(), n);
    buffer[n] = '\0';
    return static_cast<std::int32_t>(n);
}

std::int32_t EthCardLibrary::ResourceBitmap(const char* name, const unsigned char** bytes,
                                            std::uint32_t* size)
{
    if (!name || !bytes || !size || std::strcmp(name, kPictureName) != 0)
        return 0;
    const auto picture = nicPicture();
    *bytes = picture.data();
    *size = static_cast<std::uint32_t>(picture.size());
    return 1;
}

EthCardLibrary& library()
{
    static EthCardLibrary instance;
    return instance;
}

} // namespace velnet::ethcfg
