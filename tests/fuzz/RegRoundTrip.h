// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velnet::test {

// The store's round-trip promise for one file: what parses is written back
// byte for byte when nothing changed; written fresh, it reads back as the same
// tree and writes the same bytes again; and after a few changes, the rewrite
// reads back as the changed tree and is itself kept byte for byte.
// Returns what broke, or nothing.
std::string roundTripProblem(std::string_view bytes);

} // namespace velnet::test
