// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/Discovery.h"

#include "cardcheck/adapter/AdapterContract.h"
#include "cardcheck/resources/StringTable.h"

#include <algorithm>
#include <array>

namespace velnet::cardcheck {

namespace {

constexpr const char* kHardwareLibrary = "nicport.dll";
constexpr const char* kHardwareDisplayName = "NICPORT.DLL";

// The text of a buffer the library wrote into, ended by us.
template <std::size_t N> std::string bufferText(std::array<char, N>& buffer)
{
    buffer[N - 1] = '\0';
    return std::string(buffer.data());
}

} // namespace

std::int32_t Discovery::Discover(std::string& errorText)
{
    findTypes(errorText);
    for (const auto& type : types_)
        listCards(type, errorText);
    cardCount_ = cards_.size();
    return cardCount_;
}

void Discovery::findTypes(std::string& errorText)
{
    if (!hardware_.load(kHardwareLibrary)) {
        errorText = StringTable::format(ids::ErrorLoadingLibrary, {kHardwareDisplayName});
        return;
    }
    const auto init = hardware_.resolve<NicportInitFn>("NicportInit");
    const auto discoverCards = hardware_.resolve<DiscoverCardsFn>("DiscoverCards");
    const auto cardType = hardware_.resolve<CardTypeFn>("CardType");
    const char* missing = !init            ? "NicportInit()"
                          : !discoverCards ? "DiscoverCards()"
                          : !cardType      ? "CardType()"
                                           : nullptr;
    if (missing) {
        errorText =
            StringTable::format(ids::ErrorResolvingFunction, {missing, kHardwareDisplayName});
        return;
    }
    if (init() != 0) {
        errorText = StringTable::format(ids::ErrorInitializingLibrary, {kHardwareDisplayName});
        return;
    }
    const std::uint32_t count = discoverCards();
    if (count == 0) {
        errorText = StringTable::load(ids::ErrorNoAdapters);
        return;
    }
    for (std::uint32_t nic = 0; nic < count; ++nic) {
        std::array<char, VELNET_CARD_TYPE_SIZE> buffer{};
        if (!cardType(static_cast<std::int32_t>(nic), buffer.data())) {
            if (nic == 0)
                errorText = StringTable::load(ids::ErrorTypeNotResolved);
            break;
        }
        std::string type = bufferText(buffer);
        if (std::find(types_.begin(), types_.end(), type) == types_.end())
            types_.push_back(std::move(type));
    }
}

void Discovery::listCards(const std::string& type, std::string& errorText)
{
    const std::string libraryName = type + "CFG";
    velnet::platform::DynamicLibrary library;
    if (!library.load(libraryName)) {
        errorText = StringTable::format(ids::ErrorLoadingLibrary, {libraryName});
        return;
    }
    if (const auto cardName = library.resolve<CardNameFn>("CardName")) {
        std::int32_t card = 0;
        for (;; ++card) {
            std::array<char, VELNET_TEXT_SIZE> buffer{};
            if (!cardName(card, buffer.data()))
                break;
            cards_.append(
                CardRecord{CardRecord::Untouched, card, type, bufferText(buffer), libraryName});
        }
        if (card == 0)
            errorText = StringTable::format(ids::ErrorNoNicsInLibrary, {libraryName});
    } else {
        errorText = StringTable::format(ids::ErrorResolvingFunction, {"CardName()", libraryName});
    }
    if (typeCount() == 1) {
        kept_ = std::move(library);
        keptName_ = libraryName;
    }
}

} // namespace velnet::cardcheck
