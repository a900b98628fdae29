// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/RegFormat.h"

#include <map>
#include <string>

namespace velnet::test {

// Every key ("root\path", lower case) with its values by lower-cased name,
// for comparing two stores whole.
using FlatStore = std::map<std::string, std::map<std::string, registry::Value>>;

FlatStore flatten(const registry::RegTree& tree);
FlatStore flattenFile(const std::string& path);

} // namespace velnet::test
