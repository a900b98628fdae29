// SPDX-License-Identifier: MIT
#include "regtool/ValueText.h"

#include "regtool/CommandLine.h"

#include <cctype>
#include <cstdio>

namespace velnet::regtool {

using namespace velnet::registry;

std::string typeName(ValueType type)
{
    switch (type) {
    case ValueType::None:
        return "REG_NONE";
    case ValueType::Sz:
        return "REG_SZ";
    case ValueType::ExpandSz:
        return "REG_EXPAND_SZ";
    case ValueType::Binary:
        return "REG_BINARY";
    case ValueType::Dword:
        return "REG_DWORD";
    case ValueType::DwordBigEndian:
        return "REG_DWORD_BIG_ENDIAN";
    case ValueType::Link:
        return "REG_LINK";
    case ValueType::MultiSz:
        return "REG_MULTI_SZ";
    case ValueType::ResourceList:
        return "REG_RESOURCE_LIST";
    case ValueType::FullResourceDescriptor:
        return "REG_FULL_RESOURCE_DESCRIPTOR";
    case ValueType::ResourceRequirementsList:
        return "REG_RESOURCE_REQUIREMENTS_LIST";
    case ValueType::Qword:
        return "REG_QWORD";
    }
    return "REG_UNKNOWN_" + std::to_string(static_cast<unsigned>(type));
}

std::optional<ValueType> typeFromName(const std::string& name)
{
    const std::string n = toLowerAscii(name);
    if (n == "reg_sz")
        return ValueType::Sz;
    if (n == "reg_expand_sz")
        return ValueType::ExpandSz;
    if (n == "reg_binary")
        return ValueType::Binary;
    if (n == "reg_dword")
        return ValueType::Dword;
    if (n == "reg_qword")
        return ValueType::Qword;
    if (n == "reg_multi_sz")
        return ValueType::MultiSz;
    return std::nullopt;
}

std::string textOf(const Value& v, std::size_t from)
{
    std::string s(v.data.begin() + static_cast<std::ptrdiff_t>(from), v.data.end());
    if (auto nul = s.find('\0'); nul != std::string::npos)
        s.resize(nul);
    return s;
}

std::string dataText(const Value& v)
{
    char buf[32];
    switch (v.type) {
    case ValueType::Sz:
    case ValueType::ExpandSz:
    case ValueType::Link:
        return textOf(v);
    case ValueType::Dword:
        if (v.data.size() == 4) {
            const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                    (static_cast<std::uint32_t>(v.data[3]) << 24);
            std::snprintf(buf, sizeof buf, "0x%x", n);
            return buf;
        }
        break;
    case ValueType::Qword:
        if (v.data.size() == 8) {
            unsigned long long n = 0;
            for (int i = 7; i >= 0; --i)
                n = (n << 8) | v.data[static_cast<std::size_t>(i)];
            std::snprintf(buf, sizeof buf, "0x%llx", n);
            return buf;
        }
        break;
    case ValueType::MultiSz: {
        std::string out;
        std::size_t i = 0;
        while (i < v.data.size() && v.data[i] != 0) {
            std::string item = textOf(v, i);
            if (!out.empty())
                out += "\\0";
            out += item;
            i += item.size() + 1;
        }
        return out;
    }
    default:
        break;
    }
    std::string hex;
    for (auto b : v.data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        hex += buf;
    }
    return hex;
}

std::vector<std::uint8_t> parseData(ValueType type, const std::string& d, const std::string& sep,
                                    const Options& o)
{
    std::vector<std::uint8_t> bytes;
    switch (type) {
    case ValueType::Dword:
    case ValueType::Qword: {
        std::size_t used = 0;
        unsigned long long n = 0;
        // Decimal, or hexadecimal after "0x"; a leading zero is not octal.
        const bool hex = d.size() > 2 && d[0] == '0' && (d[1] == 'x' || d[1] == 'X');
        const std::string digits = hex ? d.substr(2) : d;
        try {
            n = std::stoull(digits, &used, hex ? 16 : 10);
        } catch (...) {
            used = 0;
        }
        const bool fits = type == ValueType::Qword || n <= 0xFFFFFFFFull;
        if (digits.empty() || used != digits.size() ||
            !std::isxdigit(static_cast<unsigned char>(digits[0])) || !fits)
            throw Error{"ERROR: Invalid value for " + typeName(type) + ": \"" + d + "\"."};
        const int size = type == ValueType::Dword ? 4 : 8;
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
        return bytes;
    }
    case ValueType::Binary: {
        if (d.size() % 2 != 0)
            throw Error{"ERROR: Invalid value for REG_BINARY: \"" + d + "\"."};
        for (std::size_t i = 0; i < d.size(); i += 2) {
            const std::string pair = d.substr(i, 2);
            if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
                !std::isxdigit(static_cast<unsigned char>(pair[1])))
                throw Error{"ERROR: Invalid value for REG_BINARY: \"" + d + "\"."};
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
        }
        return bytes;
    }
    case ValueType::MultiSz: {
        std::size_t start = 0;
        while (start <= d.size() && !d.empty()) {
            auto end = d.find(sep, start);
            if (end == std::string::npos)
                end = d.size();
            bytes.insert(bytes.end(), d.begin() + static_cast<std::ptrdiff_t>(start),
                         d.begin() + static_cast<std::ptrdiff_t>(end));
            bytes.push_back(0);
            start = end + sep.size();
            if (end == d.size())
                break;
        }
        bytes.push_back(0);
        return bytes;
    }
    case ValueType::Sz:
    case ValueType::ExpandSz:
        bytes.assign(d.begin(), d.end());
        bytes.push_back(0);
        return bytes;
    default:
        o.syntax();
    }
}

} // namespace velnet::regtool
