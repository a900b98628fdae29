// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace velnet {

// Composes a message the way the platform's message formatter does, in one
// pass over the pattern: %1 to %99 insert the arguments, "%%" gives "%",
// "%n" a line break. Inserted texts are never scanned again, so a "%2" or
// "%" inside an argument stays as it is. An insert without an argument
// becomes empty; any other "%" is kept.
std::string formatMessage(std::string_view pattern, std::span<const std::string> args);
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string> args);

} // namespace velnet
