// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/CardList.h"
#include "common/platform/DynamicLibrary.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velnet::cardcheck {

class AdapterLibrary;

// Finds the NICs: loads nicport.dll, asks it for the NICs and their types,
// opens each type's card-type library once to list its cards, and builds the
// CardList. Runs on the start-up worker thread. What it found (the list, the
// open nicport.dll and, with one type, the still loaded card-type library)
// passes to the AdapterLibrary created from it.
class Discovery
{
public:
    Discovery() = default;
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;
    Discovery(Discovery&&) noexcept = default;
    Discovery& operator=(Discovery&&) noexcept = default;

    // Returns the number of NICs listed, possibly 0. Every failure on the
    // way replaces `errorText` with its message (the last one wins): texts
    // 102, 103, 104, 105, 149, 219 of the string table. Call once.
    std::int32_t Discover(std::string& errorText);

    const CardList& cards() const { return cards_; }
    std::int32_t cardCount() const { return cardCount_; }
    // The distinct types in the order first seen (exact comparison).
    const std::vector<std::string>& typeList() const { return types_; }
    std::int32_t typeCount() const { return static_cast<std::int32_t>(types_.size()); }
    bool hardwareLibraryLoaded() const { return hardware_.isLoaded(); }
    // With exactly one type: its library, still loaded, and its name.
    bool keptLibraryLoaded() const { return kept_.isLoaded(); }
    const std::string& keptLibraryName() const { return keptName_; }

private:
    friend class AdapterLibrary;

    void findTypes(std::string& errorText);
    void listCards(const std::string& type, std::string& errorText);

    CardList cards_;
    std::vector<std::string> types_;
    velnet::platform::DynamicLibrary hardware_;
    velnet::platform::DynamicLibrary kept_;
    std::string keptName_;
    std::int32_t cardCount_ = 0;
};

} // namespace velnet::cardcheck
