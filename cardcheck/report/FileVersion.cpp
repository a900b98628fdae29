// SPDX-License-Identifier: MIT
#include "cardcheck/report/FileVersion.h"

#include "common/registry/Registry.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>

namespace velnet::cardcheck {

namespace {

// Driver files are small; anything larger is not read whole.
constexpr std::size_t kMaxFileSize = 64u << 20;

struct Block
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::string key;
    std::size_t value = 0;
    std::size_t children = 0;
};

std::uint16_t word(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::size_t align4(std::size_t offset)
{
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

// UTF-16LE text up to a NUL or `limit`; characters beyond Latin-1 become '?'.
std::string narrow(const std::string& bytes, std::size_t at, std::size_t limit, std::size_t* after)
{
    std::string text;
    std::size_t p = at;
    while (p + 1 < limit) {
        const std::uint16_t c = word(bytes, p);
        p += 2;
        if (c == 0)
            break;
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    if (after)
        *after = p;
    return text;
}

std::optional<Block> parse(const std::string& bytes, std::size_t begin, std::size_t limit)
{
    if (begin + 6 > limit)
        return std::nullopt;
    Block block;
    block.begin = begin;
    const std::size_t length = word(bytes, begin);
    if (length < 6 || begin + length > limit)
        return std::nullopt;
    block.end = begin + length;
    block.valueLength = word(bytes, begin + 2);
    block.type = word(bytes, begin + 4);
    std::size_t afterKey = 0;
    block.key = narrow(bytes, begin + 6, block.end, &afterKey);
    block.value = align4(afterKey);
    const std::size_t valueBytes = block.type == 1 ? block.valueLength * 2u : block.valueLength;
    block.children = std::min(align4(block.value + valueBytes), block.end);
    return block;
}

std::optional<Block> child(const std::string& bytes, const Block& parent, const std::string& key)
{
    std::size_t at = parent.children;
    while (at < parent.end) {
        const auto block = parse(bytes, at, parent.end);
        if (!block)
            return std::nullopt;
        if (velnet::registry::equalsIgnoreCase(block->key, key))
            return block;
        at = align4(block->end);
    }
    return std::nullopt;
}

std::u16string utf16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

} // namespace

std::optional<std::string> FileVersion::query(const std::string& path, const std::string& block,
                                              const std::string& name)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return queryBytes(bytes, block, name);
}

std::optional<std::string>
FileVersion::queryBytes(const std::string& bytes, const std::string& block, const std::string& name)
{
    std::string marker;
    for (char16_t c : utf16("VS_VERSION_INFO")) {
        marker += static_cast<char>(c & 0xFF);
        marker += static_cast<char>(c >> 8);
    }
    for (std::size_t at = bytes.find(marker); at != std::string::npos;
         at = bytes.find(marker, at + 1)) {
        if (at < 6)
            continue;
        // Offsets inside the resource are aligned from its start.
        const std::string resource = bytes.substr(at - 6);
        const auto root = parse(resource, 0, resource.size());
        if (!root || root->key != "VS_VERSION_INFO")
            continue;
        const auto strings = child(resource, *root, "StringFileInfo");
        if (!strings)
            return std::nullopt;
        const auto table = child(resource, *strings, block);
        if (!table)
            return std::nullopt;
        const auto entry = child(resource, *table, name);
        if (!entry)
            return std::nullopt;
        return narrow(resource, entry->value, entry->end, nullptr);
    }
    return std::nullopt;
}

} // namespace velnet::cardcheck
