// SPDX-License-Identifier: MIT
#include "nicsetup/Tables.h"

#include <algorithm>
#include <cstring>

namespace velnet::nicsetup {

CARD_INFO ETHCard[MAX_ADAPTERS];
std::uint32_t RL_INFO[MAX_ADAPTERS][MAX_ADAPTERS];

void clearTables()
{
    std::memset(ETHCard, 0, sizeof ETHCard);
    std::memset(RL_INFO, 0, sizeof RL_INFO);
}

void setText(char (&field)[TEXT_FIELD_SIZE], std::string_view text)
{
    const std::size_t n = std::min(text.size(), TEXT_FIELD_SIZE - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, TEXT_FIELD_SIZE - n);
}

std::string_view textOf(const char (&field)[TEXT_FIELD_SIZE])
{
    const void* nul = std::memchr(field, 0, TEXT_FIELD_SIZE);
    const std::size_t n =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : TEXT_FIELD_SIZE;
    return {field, n};
}

bool isInUse(std::uint32_t adapterIndex)
{
    return adapterIndex < MAX_ADAPTERS && (ETHCard[adapterIndex].CardFlags & CARD_IN_USE) != 0;
}

} // namespace velnet::nicsetup
