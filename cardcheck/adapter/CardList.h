// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/adapter/CardRecord.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velnet::cardcheck {

// The NICs found, types in the order first seen and, within a type, by card
// number. A NIC's position here is its index everywhere in the program: the
// row of the NIC combo box, the argument of DisableDriver and EnableDriver.
class CardList
{
public:
    CardList() = default;
    CardList(const CardList&) = delete;
    CardList& operator=(const CardList&) = delete;
    CardList(CardList&&) noexcept = default;
    CardList& operator=(CardList&&) noexcept = default;

    std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
    bool empty() const { return records_.empty(); }
    // The record at `position`, or nullptr when out of range.
    CardRecord* at(std::int32_t position);
    const CardRecord* at(std::int32_t position) const;

    CardRecord& append(CardRecord record);
    // Deletes every record, from the front.
    void clear();

private:
    std::vector<std::unique_ptr<CardRecord>> records_;
};

} // namespace velnet::cardcheck
