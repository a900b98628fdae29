// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/CardList.h"

namespace velnet::cardcheck {

CardRecord* CardList::at(std::int32_t position)
{
    if (position < 0 || position >= size())
        return nullptr;
    return records_[static_cast<std::size_t>(position)].get();
}

const CardRecord* CardList::at(std::int32_t position) const
{
    if (position < 0 || position >= size())
        return nullptr;
    return records_[static_cast<std::size_t>(position)].get();
}

CardRecord& CardList::append(CardRecord record)
{
    records_.push_back(std::make_unique<CardRecord>(std::move(record)));
    return *records_.back();
}

void CardList::clear()
{
    while (!records_.empty())
        records_.erase(records_.begin());
}

} // namespace velnet::cardcheck
