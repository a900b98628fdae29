// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterLibrary.h"

#include "cardcheck/resources/StringTable.h"

#include <array>
#include <memory>

namespace velnet::cardcheck {

using velnet::ui::Buttons;
using velnet::ui::Icon;

namespace {

template <std::size_t N> std::string bufferText(std::array<char, N>& buffer)
{
    buffer[N - 1] = '\0';
    return std::string(buffer.data());
}

} // namespace

AdapterLibrary::AdapterLibrary(Discovery&& discovery, BindingState& state)
    : state_(state), cards_(std::move(discovery.cards_)), cardCount_(discovery.cardCount_),
      hardware_(std::move(discovery.hardware_))
{
    if (discovery.typeCount() == 1 && discovery.kept_.isLoaded()) {
        library_ = std::move(discovery.kept_);
        currentLibraryName_ = discovery.keptName_;
        entries_.resolve(library_);
    }
}

AdapterLibrary::~AdapterLibrary()
{
    freeLibrary();
    if (hardware_.isLoaded()) {
        if (const auto exit = hardware_.resolve<NicportExitFn>("NicportExit"))
            exit();
        hardware_.free();
    }
    cards_.clear();
}

std::optional<std::string> AdapterLibrary::cardName(std::int32_t position) const
{
    if (const CardRecord* record = cards_.at(position))
        return record->name;
    return std::nullopt;
}

// ---- loading ---------------------------------------------------------------

bool AdapterLibrary::loadLibrary(const std::string& name)
{
    freeLibrary();
    if (!library_.load(name))
        return false;
    entries_.resolve(library_);
    return true;
}

void AdapterLibrary::freeLibrary()
{
    // Slots and handle go together: no entry point outlives its library.
    entries_.clear();
    library_.free();
}

// ---- selection ---------------------------------------------------------------

std::int32_t AdapterLibrary::select(std::int32_t index, std::string& message)
{
    CardRecord* record = cards_.at(index);
    if (!record || index >= cardCount_)
        return 0;
    if (library_.isLoaded() && record->libraryName == currentLibraryName_) {
        if (!driverStep(index, message))
            return 0;
        state_.selectedIndex = index;
        selectedCardNumber_ = record->cardNumber;
    } else {
        state_.selectedIndex = index;
        currentLibraryName_ = record->libraryName;
        if (!loadLibrary(record->libraryName))
            return 0;
        selectedCardNumber_ = record->cardNumber;
        if (!driverStep(index, message))
            return 0;
    }
    if (!entries_.SelectCard)
        return 1;
    const std::int32_t r = entries_.SelectCard(selectedCardNumber_, welcomeMode_ ? 1 : 0);
    if (r < 0) {
        loadMessage(r & 0xFFF, message);
        return 0;
    }
    if (r > 0)
        loadMessage(r, message);
    return 1;
}

bool AdapterLibrary::driverStep(std::int32_t index, std::string& message)
{
    CardRecord* record = cards_.at(index);
    if (record->driverState != CardRecord::Untouched)
        return true;
    switch (DisableDriver(index)) {
    case VELNET_DRIVER_OFFLINE:
        record->driverState = CardRecord::PutBackAtExit;
        return true;
    case VELNET_DRIVER_OFFLINE_RESTART:
        state_.restartNeeded = 1;
        record->driverState = CardRecord::Handled;
        return true;
    case VELNET_DRIVER_NO_ENABLE:
        record->driverState = CardRecord::Handled;
        return true;
    case VELNET_DRIVER_FAILED:
        message = StringTable::load(ids::DriverNotDisabled);
        return false;
    default:
        // Unknown answer: leave the record untouched and ask again next time.
        return true;
    }
}

void AdapterLibrary::loadMessage(std::int32_t id, std::string& message)
{
    if (id == 0)
        return;
    if (auto text = library_.loadString(static_cast<std::uint32_t>(id), VELNET_STRING_SIZE))
        message = std::move(*text);
    else
        message = StringTable::format(ids::ErrorLoadingString,
                                      {"SetAdapter()", currentLibraryName_, std::to_string(id)});
}

// ---- strings ---------------------------------------------------------------------

std::optional<std::string> AdapterLibrary::loadString(std::int32_t id, std::string_view displayName)
{
    if (id == 0 || id == kMissingEntry)
        return std::nullopt;
    if (auto text = library_.loadString(static_cast<std::uint32_t>(id), VELNET_STRING_SIZE))
        return text;
    appMessageBox(
        StringTable::format(ids::ErrorLoadingString,
                            {std::string(displayName), currentLibraryName_, std::to_string(id)}));
    return std::nullopt;
}

void AdapterLibrary::showMessage(std::int32_t id, std::string_view displayName)
{
    if (id == 0)
        return;
    if (const auto text = loadString(id, displayName))
        appMessageBox(*text);
}

// ---- wrappers ----------------------------------------------------------------------

std::optional<std::string> AdapterLibrary::nameWrapper(ItemNameFn entry, std::int32_t item,
                                                       std::string_view displayName)
{
    if (!entry)
        return std::nullopt;
    return loadString(entry(item), displayName);
}

std::optional<std::string> AdapterLibrary::valueWrapper(ItemValueFn entry, std::int32_t item)
{
    if (!entry)
        return std::nullopt;
    std::array<char, VELNET_TEXT_SIZE> buffer{};
    if (!entry(item, buffer.data()))
        return std::nullopt;
    return bufferText(buffer);
}

std::optional<std::string> AdapterLibrary::CardSummaryName(std::int32_t item)
{
    return nameWrapper(entries_.CardSummaryName, item,
                       EntryPoints::displayName(Entry::CardSummaryName));
}

std::optional<std::string> AdapterLibrary::CardDetailsName(std::int32_t item)
{
    return nameWrapper(entries_.CardDetailsName, item,
                       EntryPoints::displayName(Entry::CardDetailsName));
}

std::optional<std::string> AdapterLibrary::ConfigName(std::int32_t item, std::int32_t& advanced)
{
    advanced = 0;
    if (!entries_.ConfigName)
        return std::nullopt;
    std::int16_t flag = 0;
    const std::int32_t id = entries_.ConfigName(item, &flag);
    auto text = loadString(id, EntryPoints::displayName(Entry::ConfigName));
    if (text)
        advanced = flag;
    return text;
}

std::optional<std::string> AdapterLibrary::StatisticsName(std::int32_t item)
{
    return nameWrapper(entries_.StatisticsName, item,
                       EntryPoints::displayName(Entry::StatisticsName));
}

std::optional<std::string> AdapterLibrary::TestName(std::int32_t test)
{
    return nameWrapper(entries_.TestName, test, EntryPoints::displayName(Entry::TestName));
}

std::optional<std::string> AdapterLibrary::CardSummaryValue(std::int32_t item)
{
    return valueWrapper(entries_.CardSummaryValue, item);
}

std::optional<std::string> AdapterLibrary::CardDetailsValue(std::int32_t item)
{
    return valueWrapper(entries_.CardDetailsValue, item);
}

std::optional<std::string> AdapterLibrary::ConfigValue(std::int32_t item)
{
    return valueWrapper(entries_.ConfigValue, item);
}

std::optional<std::string> AdapterLibrary::ConfigOption(std::int32_t item, std::int32_t option)
{
    if (!entries_.ConfigOption)
        return std::nullopt;
    std::array<char, VELNET_TEXT_SIZE> buffer{};
    if (!entries_.ConfigOption(item, option, buffer.data()))
        return std::nullopt;
    return bufferText(buffer);
}

std::optional<std::string> AdapterLibrary::StatisticsValue(std::int32_t item)
{
    return valueWrapper(entries_.StatisticsValue, item);
}

std::int32_t AdapterLibrary::CardSummaryHelp(std::int32_t item)
{
    return entries_.CardSummaryHelp ? entries_.CardSummaryHelp(item) : 0;
}

std::int32_t AdapterLibrary::CardDetailsHelp(std::int32_t item)
{
    return entries_.CardDetailsHelp ? entries_.CardDetailsHelp(item) : 0;
}

std::int32_t AdapterLibrary::ConfigHelp(std::int32_t item)
{
    return entries_.ConfigHelp ? entries_.ConfigHelp(item) : 0;
}

std::int32_t AdapterLibrary::StatisticsHelp(std::int32_t item)
{
    return entries_.StatisticsHelp ? entries_.StatisticsHelp(item) : 0;
}

std::int32_t AdapterLibrary::TestHelp(std::int32_t test)
{
    return entries_.TestHelp ? entries_.TestHelp(test) : 0;
}

std::int32_t AdapterLibrary::RunTest(std::int32_t test)
{
    return entries_.RunTest ? entries_.RunTest(test) : kMissingEntry;
}

std::int32_t AdapterLibrary::EchoTest(std::uint8_t role, std::int32_t continuous)
{
    return entries_.EchoTest ? entries_.EchoTest(role, continuous) : kMissingEntry;
}

std::uint8_t AdapterLibrary::EchoState()
{
    return entries_.EchoState ? entries_.EchoState() : std::uint8_t{VELNET_ECHO_IDLE};
}

std::int32_t AdapterLibrary::ClearStats()
{
    return entries_.ClearStats ? entries_.ClearStats() : 0;
}

std::int32_t AdapterLibrary::DisableDriver(std::int32_t position)
{
    return entries_.DisableDriver ? entries_.DisableDriver(position) : VELNET_DRIVER_NO_ENABLE;
}

std::int32_t AdapterLibrary::EnableDriver(std::int32_t position)
{
    return entries_.EnableDriver ? entries_.EnableDriver(position) : 0;
}

std::string AdapterLibrary::LastEchoResponder()
{
    std::array<char, VELNET_ECHO_NAME_SIZE> buffer{};
    if (entries_.LastEchoResponder)
        entries_.LastEchoResponder(buffer.data());
    return bufferText(buffer);
}

std::string AdapterLibrary::LastEchoSender()
{
    std::array<char, VELNET_ECHO_NAME_SIZE> buffer{};
    if (entries_.LastEchoSender)
        entries_.LastEchoSender(buffer.data());
    return bufferText(buffer);
}

std::string AdapterLibrary::NumberEchosSent()
{
    return std::to_string(entries_.NumberEchosSent ? entries_.NumberEchosSent() : 0u);
}

std::string AdapterLibrary::NumberEchosReceived()
{
    return std::to_string(entries_.NumberEchosReceived ? entries_.NumberEchosReceived() : 0u);
}

// ---- operations of the pages ---------------------------------------------------

void AdapterLibrary::autoConfigure()
{
    if (!entries_.AutoConfig)
        return;
    const std::int32_t r = entries_.AutoConfig();
    if (r == 0)
        appMessageBox(StringTable::load(ids::AutoConfigured), Buttons::Ok, Icon::Information);
    else
        showMessage(r, EntryPoints::displayName(Entry::AutoConfig));
    state_.configurationChanged = 1;
}

void AdapterLibrary::changeValue(std::int32_t item, std::int32_t option)
{
    if (!entries_.ChangeConfigValue)
        return;
    const std::int32_t r = entries_.ChangeConfigValue(item, option);
    state_.configurationChanged = 1;
    showMessage(r, EntryPoints::displayName(Entry::ChangeConfigValue));
}

std::optional<std::vector<unsigned char>> AdapterLibrary::picture()
{
    pictureBitmap_.clear();
    if (!entries_.Picture)
        return std::nullopt;
    auto bytes = library_.loadBitmap(entries_.Picture());
    if (!bytes)
        return std::nullopt;
    pictureBitmap_ = *bytes;
    return bytes;
}

void AdapterLibrary::putDriversBack()
{
    for (std::int32_t position = 0; position < cards_.size(); ++position) {
        const CardRecord* record = cards_.at(position);
        if (record->driverState != CardRecord::PutBackAtExit)
            continue;
        if (!library_.isLoaded() || record->libraryName != currentLibraryName_) {
            currentLibraryName_ = record->libraryName;
            if (!loadLibrary(record->libraryName))
                continue;
        }
        if (EnableDriver(position) == 1)
            state_.restartNeeded = 1;
    }
}

} // namespace velnet::cardcheck
