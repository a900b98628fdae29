// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velnet::regtool {

class Options;

// "REG_SZ", "REG_DWORD", ... as reg.exe names the types.
std::string typeName(registry::ValueType type);
// The type a /t switch names; nothing for a type the tool cannot write.
std::optional<registry::ValueType> typeFromName(const std::string& name);
// The text of a string value from byte `from` up to its first NUL.
std::string textOf(const registry::Value& v, std::size_t from = 0);
// A value's data as QUERY prints it.
std::string dataText(const registry::Value& v);
// The bytes that ADD stores for /d `d` of `type` (`sep` parts a
// REG_MULTI_SZ); throws Error for data the type cannot hold.
std::vector<std::uint8_t> parseData(registry::ValueType type, const std::string& d,
                                    const std::string& sep, const Options& o);

} // namespace velnet::regtool
