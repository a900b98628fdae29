// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/RegFormat.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velnet::test {

// Every key ("root\path", lower case) with its values by lower-cased name,
// for comparing two stores whole.
using FlatStore = std::map<std::string, std::map<std::string, registry::Value>>;

FlatStore flatten(const registry::RegTree& tree);
FlatStore flattenFile(const std::string& path);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> filesIn(const std::string& folder);

// A folder such as /tmp under `parent` (which is opened to everyone):
// root's, sticky, and writable by every user.
std::string makeSharedFolder(const std::string& parent, const std::string& name);

// Runs `deed` in a child as the unprivileged user nobody, as a neighbour on
// the machine does; true when it ran and succeeded.
bool asNobody(const std::function<bool()>& deed);

} // namespace velnet::test
