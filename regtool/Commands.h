// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/FileRegistry.h"

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace velnet::regtool {

constexpr const char* kSuccess = "The operation completed successfully.";
constexpr const char* kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
// A query limit no value reaches.
constexpr std::size_t kAnySize = static_cast<std::size_t>(-1);

// Asks `question` on the terminal; true for "y" or "yes".
bool confirm(std::ostream& out, const std::string& question);
// Throws the Error reg.exe reports for `s`; nothing for success.
void check(registry::Status s, const registry::FileRegistry& reg);

// The commands, each given the whole command line (the command first).
int query(const std::vector<std::string>& args, registry::FileRegistry& reg, std::ostream& out);
int add(const std::vector<std::string>& args, registry::FileRegistry& reg, std::ostream& out);
int remove(const std::vector<std::string>& args, registry::FileRegistry& reg, std::ostream& out);
int import(const std::vector<std::string>& args, registry::FileRegistry& reg, std::ostream& out);
int exportKey(const std::vector<std::string>& args, registry::FileRegistry& reg, std::ostream& out);

} // namespace velnet::regtool
